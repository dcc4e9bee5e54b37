// XPath queries on a three-million-node outline beside xmllint's --xpath on the saved file, in
// the same run: the time of each (to the result, and the CPU of the query's process) and its
// multiple of xmllint's, the peak memory of both, and how long a Cancel takes at several
// points of a query.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "bench/BenchUtil.h"
#include "editor/XPath.h"
#include "treedoc/XMLSave.h"

extern char** environ;

namespace {

using zel::bench::Clock;
using zel::bench::Ms;

constexpr int kBooks = 600000;  // five nodes each

struct TRun {
  double Ms = -1, CpuMs = -1;
  long PeakMB = -1;
};

double CpuMs(const rusage& usage) {
  const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// xmllint --xpath on the file, its output dropped.
TRun XmlLint(const std::string& file, const std::string& expression) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {"xmllint", "--xpath", expression.c_str(), file.c_str(), nullptr};
  const auto start = Clock::now();
  pid_t pid = 0;
  TRun run;
  if (posix_spawnp(&pid, "xmllint", &actions, nullptr, const_cast<char**>(argv), environ) == 0) {
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
      run.Ms = Ms(start);
      run.PeakMB = usage.ru_maxrss / 1024;
      run.CpuMs = CpuMs(usage);
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

// The query's process is reaped once it has given back its memory, after the result.
void AwaitNoChild() {
  siginfo_t info{};
  while (waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void Compare(const zel::TTreeView& tree, const std::string& file, const std::string& expression) {
  rusage before{}, usage{};
  getrusage(RUSAGE_CHILDREN, &before);
  const auto start = Clock::now();
  const zel::TXPathResult result = zel::EvaluateXPath(tree, expression);
  const double ms = Ms(start);
  AwaitNoChild();
  getrusage(RUSAGE_CHILDREN, &usage);  // its peak: the largest child's so far
  const double cpu = CpuMs(usage) - CpuMs(before);
  const TRun lint = XmlLint(file, expression);
  const std::string what =
      result.IsNodeSet ? std::to_string(result.Nodes.size()) + " nodes" : "value " + result.Value;
  std::printf(
      "%s: %s\n  query   %5.0f ms, CPU %5.0f ms, peak %4ld MB\n"
      "  xmllint %5.0f ms, CPU %5.0f ms, peak %4ld MB\n  ratio %.2fx, CPU %.2fx\n",
      expression.c_str(), what.c_str(), ms, cpu, usage.ru_maxrss / 1024, lint.Ms, lint.CpuMs,
      lint.PeakMB, lint.Ms > 0 ? ms / lint.Ms : 0.0, lint.CpuMs > 0 ? cpu / lint.CpuMs : 0.0);
}

void CancelAfter(const zel::TTreeView& tree, int afterMs) {
  zel::TXPathJob job(tree, "count(//book[title = 'none'])");
  const bool done = job.Wait(afterMs);
  const auto start = Clock::now();
  job.Cancel();
  const double cancel = Ms(start);
  AwaitNoChild();
  std::printf("cancel after %5d ms: %6.1f ms, its process gone after %6.1f ms%s\n", afterMs, cancel,
              Ms(start), done ? " (had finished)" : "");
}

}  // namespace

int main() {
  using namespace zel;
  TTreeView tree;
  bench::AddCatalog(tree, kBooks);
  std::printf("nodes: %d\n", tree.Count());
  char file[] = "/tmp/bench-xpath-XXXXXX";
  const int fd = mkstemp(file);
  if (fd < 0) return 1;
  close(fd);
  {
    std::string text;
    BuildXMLText(tree, text);
    std::ofstream(file, std::ios::binary) << text;
    std::printf("saved text: %zu MB\n", text.size() >> 20);
  }
  for (const char* expression :
       {"count(//book)", "//book[price > 30]/title", "//book[substring(@id, 6) = '7']/title"})
    Compare(tree, file, expression);
  unlink(file);
  for (const int after : {0, 200, 1000, 1800}) CancelAfter(tree, after);
  return 0;
}
