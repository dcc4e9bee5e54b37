// Loads, writes and frees a generated catalog of about 100 MB and 3 million elements,
// reporting the time of each step and the memory used.

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "bench/BenchUtil.h"
#include "xml/MorXMLTree.h"

using namespace zel;

namespace {

using bench::PeakMB;
using bench::ResidentMB;
using bench::Seconds;

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
  const double baseRss = ResidentMB();

  auto doc = std::make_unique<TMorXMLTree>();
  auto t = bench::Clock::now();
  doc->LoadFromFile(path);
  std::printf("LoadFromFile    %6.2f s   DOM resident %.0f MB, peak so far %ld MB\n", Seconds(t),
              ResidentMB() - baseRss, PeakMB());
  std::remove(path);

  t = bench::Clock::now();
  size_t lines = CountXMLLines(*doc);
  std::printf("CountXMLLines   %6.2f s   %zu lines\n", Seconds(t), lines);

  t = bench::Clock::now();
  size_t chars = 0;
  ForEachXMLLine(*doc, [&](std::string_view l) { chars += l.size(); });
  std::printf("ForEachXMLLine  %6.2f s   %zu characters\n", Seconds(t), chars);

  t = bench::Clock::now();
  size_t textSize = doc->GetXMLText().size();
  std::printf("GetXMLText      %6.2f s   %.1f MB\n", Seconds(t),
              static_cast<double>(textSize) / (1 << 20));

  t = bench::Clock::now();
  doc.reset();
  std::printf("destroy         %6.2f s\n", Seconds(t));
  std::printf("peak RSS        %ld MB\n", PeakMB());
  return 0;
}
