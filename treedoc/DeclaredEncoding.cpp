#include "treedoc/DeclaredEncoding.h"

#include <iconv.h>

#include <cerrno>

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "treedoc/ZelXMLTree.h"
#include "xml/MorXMLTree.h"

namespace zel {

namespace {

// Enough for any XML declaration, in four bytes per character.
constexpr size_t kHeadSize = 1024;

// An open iconv descriptor, closed with its scope; invalid when iconv does not know a name.
class TIconv {
 public:
  TIconv(const std::string& to, const std::string& from)
      : FCd(iconv_open(to.c_str(), from.c_str())) {}
  ~TIconv() {
    if (Valid()) iconv_close(FCd);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;
  // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv's own failure value
  bool Valid() const { return FCd != reinterpret_cast<iconv_t>(-1); }
  // Converts all of in into out (bytes, or UTF-16 units), growing out only when iconv asks:
  // a whole file decodes into about its own size, not four times it. False on a sequence
  // that does not convert (*done: bytes taken).
  template <typename Str>
  bool Run(std::string_view in, Str& out, size_t* done = nullptr) {
    constexpr size_t kUnit = sizeof(typename Str::value_type);
    iconv(FCd, nullptr, nullptr, nullptr, nullptr);
    char* inp = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    out.resize((kUnit == 1 ? in.size() * 4 : in.size()) + 16);
    size_t used = 0;
    bool ok = true;
    for (bool flushing = false;;) {
      char* outp = reinterpret_cast<char*>(out.data()) + used;
      size_t outLeft = out.size() * kUnit - used;
      const size_t rc = flushing ? iconv(FCd, nullptr, nullptr, &outp, &outLeft)
                                 : iconv(FCd, &inp, &inLeft, &outp, &outLeft);
      used = static_cast<size_t>(outp - reinterpret_cast<char*>(out.data()));
      if (rc == static_cast<size_t>(-1) && errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      if (rc == static_cast<size_t>(-1)) ok = false;
      if (!ok || flushing) break;
      flushing = true;  // back to the initial shift state
    }
    out.resize(used / kUnit);
    if (done) *done = in.size() - inLeft;
    return ok;
  }

 private:
  iconv_t FCd;
};

// The family of the first four bytes: how the declaration itself is written.
const char* BaseEncodingOf(std::string_view head) {
  const auto starts = [&](std::string_view p) { return head.starts_with(p); };
  using namespace std::string_view_literals;
  if (starts("\x3C\0\0\0"sv)) return "UTF-32LE";
  if (starts("\0\0\0\x3C"sv)) return "UTF-32BE";
  if (starts("\x3C\0\x3F\0"sv)) return "UTF-16LE";
  if (starts("\0\x3C\0\x3F"sv)) return "UTF-16BE";
  if (starts("\x4C\x6F\xA7\x94"sv)) return "IBM037";
  return nullptr;  // ASCII-compatible
}

// Whether text (ASCII) starts with an XML declaration, not with an instruction such as
// "<?xml-stylesheet".
bool StartsWithDeclaration(std::string_view text) {
  return text.starts_with("<?xml") && text.size() > 5 && (IsBlank(text[5]) || text[5] == '?');
}

// The encoding named by the declaration at the start of text (ASCII), or "".
std::string DeclaredName(std::string_view text) {
  if (!StartsWithDeclaration(text)) return "";
  text = text.substr(0, text.find("?>"));
  size_t begin = 0, end = 0;
  if (!FindPseudoAttribute(text, "encoding", begin, end)) return "";
  const std::string_view name = text.substr(begin, end - begin);
  // Only a name as XML spells one ([A-Za-z][A-Za-z0-9._-]*) names an encoding: iconv would take
  // "'UTF-7" for UTF-7, where the reader and the save see no encoding named at all.
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (name.empty() || !letter(name[0])) return "";
  for (const char c : name)
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-') return "";
  return std::string(name);
}

bool IsStateful(const std::string& name) {
  const std::string u = UpperCase(name);
  for (const char* stateful : {"ISO-2022", "ISO2022", "CSISO2022", "UTF-7", "UTF7", "HZ"})
    if (u.starts_with(stateful)) return true;
  return false;
}

// A name that leaves the byte order open: the first bytes decide it.
bool IsUnicodeWithoutOrder(const std::string& name) {
  const std::string u = UpperCase(name);
  return u == "UTF-16" || u == "UTF-32" || u == "UCS-2" || u == "UCS-4" || u == "UTF16" ||
         u == "UTF32" || u == "ISO-10646-UCS-2" || u == "ISO-10646-UCS-4";
}

// Whether the encoding writes the characters of markup as ASCII does. Backslash and tilde are
// left out: Shift_JIS and its kin put other signs there.
bool KeepsAsciiMarkup(const std::string& name) {
  static constexpr std::string_view kProbe =
      "<?xml version=\"1.0\" encoding='x'?>\r\n\t<a b=\"c\"/><!-- ; --><![CDATA[ ]]>&#38;%_-.:"
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz+()[]!#$*,@^`{|}";
  TIconv to(name, "UTF-8");
  std::string out;
  return to.Valid() && to.Run(kProbe, out) && out == kProbe;
}

// Whether the declaration, read as ASCII, reads the same in the encoding: an encoding whose
// start is ASCII but that shifts to other meanings later.
bool DeclarationReadsAsAscii(const std::string& name, std::string_view declaration) {
  TIconv from("UTF-8", name);
  std::string out;
  return from.Valid() && from.Run(declaration, out) && out == declaration;
}

size_t LineAt(std::u16string_view decoded) {
  size_t line = 1;
  for (size_t i = 0; i < decoded.size(); ++i)
    if (decoded[i] == u'\n' ||
        (decoded[i] == u'\r' && (i + 1 == decoded.size() || decoded[i + 1] != u'\n')))
      ++line;
  return line;
}

}  // namespace

std::string ForeignEncodingOfBytes(const std::string& fileName, std::string_view bytes) {
  const std::string head(bytes.substr(0, kHeadSize));
  const char* base = BaseEncodingOf(head);
  std::string declaration(head);
  if (base != nullptr) {
    // The declaration in ASCII: decode what decodes of the first bytes.
    TIconv toAscii("UTF-8", base);
    std::string out;
    size_t done = 0;
    toAscii.Run(head, out, &done);
    declaration = out;
    // Four bytes of 8-bit text can read as "<?xm" in EBCDIC: only a whole declaration, which
    // an EBCDIC document needs, makes the file EBCDIC.
    if (std::string_view(base) == "IBM037" && !StartsWithDeclaration(declaration)) return "";
  }
  std::string name = DeclaredName(declaration);
  if (base == nullptr) {
    // The declaration reads as ASCII: only an encoding that shifts away from ASCII later
    // needs converting; any other keeps its bytes, as it always did.
    if (name.empty() || !TIconv("UTF-16LE", name).Valid()) return "";
    const std::string_view decl = std::string_view(head).substr(0, head.find("?>"));
    const bool shifts =
        IsStateful(name) || (!KeepsAsciiMarkup(name) && DeclarationReadsAsAscii(name, decl));
    return shifts ? name : "";
  }
  if (name.empty() || IsUnicodeWithoutOrder(name)) return base;
  if (!TIconv("UTF-16LE", name).Valid())
    throw EZelXMLTree(
        Format("The file \"%s\" declares the encoding \"%s\" at line 1, which "
               "this system cannot convert.",
               fileName.c_str(), name.c_str()));
  return name;
}

bool Decode(const std::string& encoding, std::string_view bytes, std::u16string& out,
            size_t* badLine) {
  TIconv decoder("UTF-16LE", encoding);
  out.clear();
  const bool ok = decoder.Valid() && decoder.Run(bytes, out);
  if (!ok && badLine != nullptr) *badLine = LineAt(out);
  return ok;
}

std::u16string DecodeForeign(const std::string& fileName, const std::string& encoding,
                             std::string_view bytes) {
  std::u16string decoded;
  size_t line = 1;
  if (!Decode(encoding, bytes, decoded, &line))
    throw EZelXMLTree(
        Format("The file \"%s\" is declared as %s but holds bytes at line %zu that "
               "are not %s.",
               fileName.c_str(), encoding.c_str(), line, encoding.c_str()));
  return decoded;
}

}  // namespace zel
