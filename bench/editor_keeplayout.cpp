// Keep Layout on the generated catalog of about 100 MB: the load with the layout kept against
// the plain load (time, CPU time of the process and of the thread that loads, peak memory, each
// in a process of its own), and the Keep Layout save, unedited, after one edit in the middle and
// after its undo, against the indented save. The load's peak is taken as it returns; the peak
// once the memory kept for edits has filled after it is given apart.
//   bench_editor_keeplayout [MEGABYTES | FILE]

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "GeneratedCatalog.h"
#include "bench/BenchUtil.h"
#include "editor/OutlineDocument.h"
#include "outline/TreeView.h"
#include "platform/BlockAllocator.h"
#include "platform/LargePages.h"
#include "treedoc/ZelXMLTree.h"

using namespace zel;

namespace {

// The CPU time of the calling thread so far, in seconds.
double ThreadSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One load, and with the layout kept its saves: printed on one line each.
int Measure(const std::string& in, const std::string& out, bool keep) {
  TOutlineDocument doc;
  TZelXMLTree component;
  component.SetTreeView(&doc.Tree());
  component.SetKeepLayout(keep);
  const bench::TCpuTime cpu = bench::CpuTime();
  const double thread = ThreadSeconds();
  auto t = bench::Clock::now();
  // The reserve fills for edits once no load holds it: the load's peak is taken before.
  auto held = std::make_unique<TBlockReserveHold>();
  component.LoadFromFile(in);
  const double load = bench::Seconds(t);
  const bench::TCpuTime used = bench::CpuTime();
  const double threadUsed = ThreadSeconds() - thread;
  const long peak = bench::PeakKB();
  held.reset();
  struct stat st {};
  stat(in.c_str(), &st);
  // Peaks against the document, the measure the layout kept is held to.
  const auto perByte = [&](long kb) {
    return double(kb) * 1024 / double(std::max<off_t>(st.st_size, 1));
  };
  SettledHugeBlockCounts();
  std::printf(
      "load, layout %s: %.2f s (CPU user %.2f s, system %.2f s, the loading thread %.2f s), peak "
      "%ld MB (%.2f bytes a byte; %.2f with the reserve for edits), %d nodes\n",
      keep ? "kept" : "not kept", load, used.User - cpu.User, used.System - cpu.System, threadUsed,
      peak / 1024, perByte(peak), perByte(bench::PeakKB()), doc.Tree().Count());
  t = bench::Clock::now();
  component.SaveToFile(out);
  std::printf("  save %s: %.2f s, peak %ld MB\n", keep ? "unedited, layout kept" : "indented",
              bench::Seconds(t), bench::PeakMB());
  if (keep) {
    TTreeNode* middle = doc.Tree().Item(doc.Tree().Count() / 2);
    doc.SetText(middle, std::string(middle->Text()) + " ");
    t = bench::Clock::now();
    component.SaveToFile(out);
    std::printf("  save after one edit, layout kept: %.2f s, peak %ld MB\n", bench::Seconds(t),
                bench::PeakMB());
    // Every node is looked at before the bytes read are written whole.
    doc.Undo();
    t = bench::Clock::now();
    component.SaveToFile(out);
    std::printf("  save after the edit undone, layout kept: %.2f s\n", bench::Seconds(t));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  UseLargePages(argv);
  if (argc == 5) return Measure(argv[2], argv[3], std::string(argv[4]) == "kept");
  const std::string arg = argc > 1 ? argv[1] : "100";
  char dir[] = "/tmp/zel-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return 1;
  const bool generated = arg.find_first_not_of("0123456789") == std::string::npos;
  const std::string in = generated ? std::string(dir) + "/big.xml" : arg;
  const std::string out = std::string(dir) + "/saved.xml";
  if (generated) {
    const std::string text = bench::GenerateCatalog(std::stoul(arg) * 1000 * 1000);
    FILE* f = std::fopen(in.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    // On disk before the runs: else the first save waits for its writeback.
    std::fflush(f);
    fsync(fileno(f));
    std::fclose(f);
  }
  std::printf("document %s%s\n", arg.c_str(), generated ? " MB" : "");
  std::fflush(stdout);
  // Each in a process of its own, so that each peak is its own.
  for (const char* mode : {"plain", "kept"}) {
    const pid_t pid = fork();
    if (pid == 0) {
      execl("/proc/self/exe", argv[0], "-", in.c_str(), out.c_str(), mode, nullptr);
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
  }
  if (generated) unlink(in.c_str());
  unlink(out.c_str());
  rmdir(dir);
  return 0;
}
