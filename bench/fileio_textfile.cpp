// Reads a 100 MB UTF-16 file line by line with TVyTextFile and compares it with a plain
// buffered read of the same file; then converts the lines to 8-bit text.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchUtil.h"
#include "fileio/VyTextFile.h"
#include "platform/CodePage.h"

using namespace zel;

namespace {

using bench::Clock;
using bench::Seconds;

// Lines of 10 to 150 characters, one in ten with characters outside ASCII.
void WriteFile(const std::string& name, size_t bytes) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) {
    std::perror(name.c_str());
    std::exit(1);
  }
  std::u16string chunk = u"\uFEFF";
  size_t written = 0;
  unsigned seed = 12345;
  while (written < bytes) {
    seed = seed * 1103515245u + 12345u;
    const size_t length = 10 + (seed >> 16) % 141;
    const bool accented = (seed >> 8) % 10 == 0;
    for (size_t k = 0; k < length; ++k)
      chunk.push_back(accented && k % 7 == 3 ? (k % 2 ? u'\u00E9' : u'\u20AC')
                                             : static_cast<char16_t>(u'a' + (k + length) % 26));
    chunk += u"\r\n";
    if (chunk.size() > 1 << 20) {
      std::fwrite(chunk.data(), 2, chunk.size(), f);
      written += chunk.size() * 2;
      chunk.clear();
    }
  }
  std::fwrite(chunk.data(), 2, chunk.size(), f);
  std::fclose(f);
}

struct Counts {
  size_t lines = 0;
  size_t units = 0;
};

Counts ReadWithTextFile(const std::string& name, std::vector<std::u16string>* keep) {
  Counts c;
  TVyTextFile f(name, 128, GENERIC_READ, 0);
  f.Reset({}, 0, 0);
  while (!f.Eof()) {
    std::u16string line = f.Readln();
    ++c.lines;
    c.units += line.size();
    if (keep) keep->push_back(std::move(line));
  }
  return c;
}

// The baseline: 64 KiB freads, and the same work of cutting UTF-16 lines at CR LF.
Counts ReadPlain(const std::string& name, bool split) {
  Counts c;
  FILE* f = std::fopen(name.c_str(), "rb");
  std::vector<char16_t> buf(32768);
  std::u16string line;
  size_t n;
  bool skipMark = true;
  while ((n = std::fread(buf.data(), 2, buf.size(), f)) > 0) {
    c.units += n;
    if (!split) continue;
    size_t i = skipMark ? 1 : 0;
    skipMark = false;
    size_t start = i;
    for (; i < n; ++i) {
      if (buf[i] == u'\n' &&
          (i > start ? buf[i - 1] == u'\r' : !line.empty() && line.back() == u'\r')) {
        line.append(buf.data() + start, i - start);
        line.pop_back();
        ++c.lines;
        line.clear();
        start = i + 1;
      }
    }
    line.append(buf.data() + start, n - start);
  }
  std::fclose(f);
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t megabytes = argc > 1 ? std::stoul(argv[1]) : 100;
  SetACPOverride(1252);
  const auto dir = std::filesystem::temp_directory_path() / "zel_bench_fileio";
  std::filesystem::create_directories(dir);
  const std::string name = (dir / "utf16.txt").string();

  auto t = Clock::now();
  WriteFile(name, megabytes << 20);
  const double size = static_cast<double>(std::filesystem::file_size(name)) / (1 << 20);
  std::printf("fileio_textfile: wrote %.0f MB of UTF-16 in %.2f s\n", size, Seconds(t));

  ReadPlain(name, false);  // warm the page cache
  t = Clock::now();
  ReadPlain(name, false);
  const double raw = Seconds(t);
  t = Clock::now();
  const Counts plain = ReadPlain(name, true);
  const double plainSplit = Seconds(t);
  t = Clock::now();
  const Counts text = ReadWithTextFile(name, nullptr);
  const double textFile = Seconds(t);

  std::printf("  plain fread, bytes only       %6.3f s  %7.0f MB/s\n", raw, size / raw);
  std::printf("  plain fread, cut into lines   %6.3f s  %7.0f MB/s  %zu lines\n", plainSplit,
              size / plainSplit, plain.lines);
  std::printf("  TVyTextFile Eof/Readln        %6.3f s  %7.0f MB/s  %zu lines\n", textFile,
              size / textFile, text.lines);

  std::vector<std::u16string> lines;
  lines.reserve(text.lines);
  ReadWithTextFile(name, &lines);
  for (unsigned cp : {1252u, 65001u}) {
    size_t bytes = 0;
    t = Clock::now();
    for (const std::u16string& line : lines) bytes += WideToMultiByte(cp, line).size();
    const double s = Seconds(t);
    std::printf("  WideToMultiByte(%5u)        %6.3f s  %7.0f ns/line  %zu bytes\n", cp, s,
                s * 1e9 / static_cast<double>(lines.size()), bytes);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
