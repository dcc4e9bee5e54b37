// Loads, writes and frees a generated catalog of about 100 MB and 3 million elements,
// reporting the time of each step and the memory used.

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "bench/BenchUtil.h"
#include "xml/MorXMLTree.h"

using namespace zel;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

using bench::PeakMB;

long CurrentRssMb() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * sysconf(_SC_PAGESIZE) / (1024 * 1024);
}

// Writes the catalog with LF line ends (the loader turns them into CR LF); returns the
// number of elements.
size_t Generate(const std::string& path, size_t targetBytes) {
  std::ofstream out(path, std::ios::binary);
  std::string chunk;
  size_t bytes = 0, elements = 1;
  out << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<catalog>\n";
  for (size_t i = 0; bytes < targetBytes; ++i) {
    const std::string id = std::to_string(i);
    chunk += "  <book id=\"bk" + id + "\" lang='en'>\n    <title>Title " + id +
             "</title>\n    <price>" + std::to_string(i % 90 + 5) + ".95</price>\n";
    elements += 3;
    if (i % 7 == 0) {
      chunk += "    <note>A longer remark about the book with some more words in it</note>\n";
      ++elements;
    }
    if (i % 25 == 0) chunk += "    <!-- checked " + id + " -->\n";
    chunk += "  </book>\n";
    if (chunk.size() > (1 << 20)) {
      out << chunk;
      bytes += chunk.size();
      chunk.clear();
    }
  }
  out << chunk << "</catalog>\n";
  return elements;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t targetMb = argc > 1 ? std::stoul(argv[1]) : 100;
  char path[] = "/tmp/zel_xml_benchXXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 1;
  close(fd);
  const size_t elements = Generate(path, targetMb << 20);
  std::ifstream probe(path, std::ios::binary | std::ios::ate);
  const double fileMb = static_cast<double>(probe.tellg()) / (1 << 20);
  std::printf("document: %.1f MB, %zu elements\n", fileMb, elements);
  const long baseRss = CurrentRssMb();

  auto doc = std::make_unique<TMorXMLTree>();
  auto t = std::chrono::steady_clock::now();
  doc->LoadFromFile(path);
  std::printf("LoadFromFile    %6.2f s   DOM resident %ld MB, peak so far %ld MB\n", Seconds(t),
              CurrentRssMb() - baseRss, PeakMB());
  std::remove(path);

  t = std::chrono::steady_clock::now();
  size_t lines = CountXMLLines(*doc);
  std::printf("CountXMLLines   %6.2f s   %zu lines\n", Seconds(t), lines);

  t = std::chrono::steady_clock::now();
  size_t chars = 0;
  ForEachXMLLine(*doc, [&](std::string_view l) { chars += l.size(); });
  std::printf("ForEachXMLLine  %6.2f s   %zu characters\n", Seconds(t), chars);

  t = std::chrono::steady_clock::now();
  size_t textSize = doc->GetXMLText().size();
  std::printf("GetXMLText      %6.2f s   %.1f MB\n", Seconds(t),
              static_cast<double>(textSize) / (1 << 20));

  t = std::chrono::steady_clock::now();
  doc.reset();
  std::printf("destroy         %6.2f s\n", Seconds(t));
  std::printf("peak RSS        %ld MB\n", PeakMB());
  return 0;
}
