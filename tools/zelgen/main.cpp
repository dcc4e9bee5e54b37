// zelgen: writes a deterministic XML document of a given size and shape, for benchmarks and
// for trying the editor on large files. The same arguments always give the same bytes.
//   zelgen [--shape catalog|deep|wide|line] MEGABYTES OUT

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Usage() {
  std::fputs("usage: zelgen [--shape catalog|deep|wide|line] MEGABYTES OUT\n", stderr);
  return 2;
}

// A fixed linear congruential sequence: reproducible across runs and machines.
class TSequence {
 public:
  unsigned Next(unsigned range) {
    FState = FState * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<unsigned>(FState >> 33) % range;
  }

 private:
  unsigned long long FState = 0x2545F4914F6CDD1DULL;
};

const char* const kWords[] = {"alpha", "beta", "gamma", "delta", "epsilon",
                              "zeta",  "eta",  "theta", "iota",  "kappa"};

class TWriter {
 public:
  explicit TWriter(FILE* f) : FFile(f) {}
  ~TWriter() { Flush(); }
  void Put(const char* s, size_t n) {
    FBuf.append(s, n);
    FWritten += n;
    if (FBuf.size() >= (1u << 20)) Flush();
  }
  void Put(const std::string& s) { Put(s.data(), s.size()); }
  void Printf(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
    char tmp[1024];
    va_list ap;
    va_start(ap, fmt);
    const int n = std::vsnprintf(tmp, sizeof tmp, fmt, ap);
    va_end(ap);
    if (n > 0)
      Put(tmp, static_cast<size_t>(n) < sizeof tmp ? static_cast<size_t>(n) : sizeof tmp - 1);
  }
  size_t Written() const { return FWritten; }
  bool Flush() {
    const bool ok = std::fwrite(FBuf.data(), 1, FBuf.size(), FFile) == FBuf.size();
    FBuf.clear();
    return ok;
  }

 private:
  FILE* FFile;
  std::string FBuf;
  size_t FWritten = 0;
};

// Records with attributes, text, entities, comments, CDATA and a little nesting: what an
// export of a database looks like.
void Catalog(TWriter& w, size_t bytes, const char* nl, const char* in1, const char* in2) {
  TSequence seq;
  w.Printf("<?xml version=\"1.0\" encoding=\"UTF-8\"?>%s<catalog>%s", nl, nl);
  for (unsigned i = 0; w.Written() < bytes; ++i) {
    const char* word = kWords[seq.Next(10)];
    w.Printf("%s<book id=\"%u\" lang=\"en\" kind='%s'>%s", in1, i, word, nl);
    w.Printf("%s<title>Some Title number %u &amp; %s</title>%s", in2, i, word, nl);
    w.Printf("%s<author>Author %u</author>%s", in2, seq.Next(977), nl);
    w.Printf("%s<price currency=\"EUR\">%u.%u5</price>%s", in2, seq.Next(100), seq.Next(10), nl);
    if (i % 50 == 0) w.Printf("%s<!-- a comment about book %u -->%s", in2, i, nl);
    if (i % 100 == 7) w.Printf("%s<code><![CDATA[if (a < b && c > d) x = 1;]]></code>%s", in2, nl);
    if (i % 10 == 3) {
      w.Printf("%s<tags>%s", in2, nl);
      for (unsigned t = 0, n = 1 + seq.Next(4); t < n; ++t)
        w.Printf("%s%s<tag>%s</tag>%s", in2, in1, kWords[seq.Next(10)], nl);
      w.Printf("%s</tags>%s", in2, nl);
    }
    w.Printf("%s<note/>%s%s</book>%s", in2, nl, in1, nl);
  }
  w.Printf("</catalog>%s", nl);
}

// One element inside the other, as deep as the size allows, each with an attribute and text.
void Deep(TWriter& w, size_t bytes) {
  w.Printf("<?xml version=\"1.0\"?>\n");
  const size_t perLevel = 20;  // about what one level costs in opening and closing lines
  const unsigned depth = static_cast<unsigned>(bytes / perLevel) + 1;
  for (unsigned i = 0; i < depth; ++i) w.Printf("<d n=\"%u\">\n", i);
  for (unsigned i = depth; i-- > 0;) w.Printf("</d>\n");
}

// A root with very many small children: the flattest document.
void Wide(TWriter& w, size_t bytes) {
  TSequence seq;
  w.Printf("<?xml version=\"1.0\"?>\n<items>\n");
  for (unsigned i = 0; w.Written() < bytes; ++i)
    w.Printf("  <item n=\"%u\" v=\"%s\"/>\n", i, kWords[seq.Next(10)]);
  w.Printf("</items>\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string shape = "catalog";
  int arg = 1;
  if (arg + 1 < argc && std::strcmp(argv[arg], "--shape") == 0) {
    shape = argv[arg + 1];
    arg += 2;
  }
  if (argc - arg != 2) return Usage();
  char* end = nullptr;
  const double megabytes = std::strtod(argv[arg], &end);
  if (end == argv[arg] || *end != '\0' || !(megabytes > 0)) return Usage();
  const size_t bytes = static_cast<size_t>(megabytes * 1000 * 1000);
  FILE* f = std::fopen(argv[arg + 1], "wb");
  if (f == nullptr) {
    std::fprintf(stderr, "zelgen: cannot create %s: %s\n", argv[arg + 1], std::strerror(errno));
    return 1;
  }
  {
    TWriter w(f);
    if (shape == "catalog")
      Catalog(w, bytes, "\n", "  ", "    ");
    else if (shape == "line")
      Catalog(w, bytes, "", "", "");
    else if (shape == "deep")
      Deep(w, bytes);
    else if (shape == "wide")
      Wide(w, bytes);
    else {
      std::fclose(f);
      return Usage();
    }
    if (!w.Flush()) {
      std::fprintf(stderr, "zelgen: cannot write %s\n", argv[arg + 1]);
      std::fclose(f);
      return 1;
    }
  }
  if (std::fclose(f) != 0) {
    std::fprintf(stderr, "zelgen: cannot write %s: %s\n", argv[arg + 1], std::strerror(errno));
    return 1;
  }
  return 0;
}
