#include "platform/CodePage.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <atomic>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Utf8.h"

namespace zel {

namespace {

std::atomic<unsigned> gOverride{0};

constexpr const char* kHostUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

std::string Normalized(std::string_view charset) {
  std::string s;
  for (char c : charset) {
    if (c >= 'a' && c <= 'z') s.push_back(static_cast<char>(c - 'a' + 'A'));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) s.push_back(c);
  }
  return s;
}

unsigned NumberAfter(const std::string& s, std::string_view prefix) {
  if (s.size() <= prefix.size() || s.compare(0, prefix.size(), prefix) != 0) return 0;
  unsigned n = 0;
  for (size_t i = prefix.size(); i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9' || n > 100000) return 0;
    n = n * 10 + static_cast<unsigned>(s[i] - '0');
  }
  return n;
}

// The character set part of a locale name: "de_DE.ISO-8859-15@euro" gives "ISO-8859-15".
std::string_view CharsetOfLocaleName(std::string_view name) {
  const size_t dot = name.find('.');
  if (dot == std::string_view::npos) return {};
  name.remove_prefix(dot + 1);
  return name.substr(0, name.find('@'));
}

unsigned SystemCodePage() {
  const char* name = nullptr;
  for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = std::getenv(var);
    if (v != nullptr && *v != '\0') {
      name = v;
      break;
    }
  }
  if (name == nullptr) return CP_UTF8;  // the C locale
  unsigned cp = 0;
  if (locale_t loc = newlocale(LC_CTYPE_MASK, name, nullptr)) {
    cp = CodePageFromCharset(nl_langinfo_l(CODESET, loc));
    freelocale(loc);
  } else {
    cp = CodePageFromCharset(CharsetOfLocaleName(name));  // named but not installed
  }
  return cp != 0 ? cp : CP_WINDOWS_1252;
}

// Code pages in which the bytes 0 to 127 are ASCII, so that ASCII text needs no converter.
bool AsciiCompatible(unsigned cp) {
  switch (cp) {
    case 1200:
    case 1201:
    case 12000:
    case 12001:
    case 65000:
    case 52936:
    case 37:
    case 500:
    case 870:
    case 875:
    case 1026:
    case 1047:
    case 20880:
    case 20905:
    case 20924:
    case 21025:
      return false;
    default:
      if (cp >= 50220 && cp <= 50229) return false;  // ISO-2022: escapes are ASCII bytes
      if (cp >= 1140 && cp <= 1149) return false;    // EBCDIC
      if (cp >= 20273 && cp <= 20871) return false;  // EBCDIC
      return true;
  }
}

bool AllAscii(const unsigned char* p, size_t n) {
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    if (w & 0x8080808080808080ull) return false;
  }
  for (; i < n; ++i)
    if (p[i] & 0x80) return false;
  return true;
}

// Converters per code page and direction, kept for the thread's life: opening one costs far
// more than a line's conversion.
class TConverters {
 public:
  ~TConverters() {
    for (Entry& e : FEntries)
      if (e.cd != Invalid()) iconv_close(e.cd);
  }
  iconv_t Get(unsigned cp, bool toWide) {
    for (Entry& e : FEntries)
      if (e.cp == cp && e.toWide == toWide) return e.cd;
    const std::string name = IconvNameOf(cp);
    iconv_t cd =
        toWide ? iconv_open(kHostUtf16, name.c_str()) : iconv_open(name.c_str(), kHostUtf16);
    FEntries.push_back({cp, toWide, cd});
    return cd;
  }
  // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv's own failure value
  static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }

 private:
  struct Entry {
    unsigned cp;
    bool toWide;
    iconv_t cd;
  };
  std::vector<Entry> FEntries;
};

thread_local TConverters tConverters;

// Windows-1252 leaves five bytes undefined; Windows maps them to the control characters of the
// same value and back, so that no byte is lost. iconv rejects them.
bool IsUndefinedIn1252(unsigned value) {
  return value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
}

// Runs iconv over the whole input; on a sequence it cannot take it asks fallback(in, left,
// replacement) how many bytes to skip and what to write instead.
template <typename Fallback>
std::string Convert(iconv_t cd, const char* in, size_t inLeft, size_t initial, Fallback fallback) {
  std::string out(initial + 16, '\0');
  size_t used = 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
  auto room = [&](size_t need) {
    if (out.size() - used < need) out.resize(out.size() * 2 + need);
  };
  std::string replacement;
  while (inLeft > 0) {
    char* outp = out.data() + used;
    size_t outLeft = out.size() - used;
    const size_t rc = iconv(cd, const_cast<char**>(&in), &inLeft, &outp, &outLeft);
    used = static_cast<size_t>(outp - out.data());
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      room(64);
      continue;
    }
    // EILSEQ: input the code page cannot take; EINVAL: an incomplete sequence at the end.
    const bool incomplete = errno == EINVAL;
    size_t n = fallback(in, inLeft, replacement);
    if (incomplete) n = inLeft;
    in += n;
    inLeft -= n;
    room(replacement.size());
    std::memcpy(out.data() + used, replacement.data(), replacement.size());
    used += replacement.size();
  }
  for (;;) {  // back to the initial shift state for stateful encodings
    char* outp = out.data() + used;
    size_t outLeft = out.size() - used;
    const size_t rc = iconv(cd, nullptr, nullptr, &outp, &outLeft);
    used = static_cast<size_t>(outp - out.data());
    if (rc == static_cast<size_t>(-1) && errno == E2BIG) {
      room(64);
      continue;
    }
    break;
  }
  out.resize(used);
  return out;
}

}  // namespace

unsigned CodePageFromCharset(std::string_view charset) {
  const std::string s = Normalized(charset);
  // Plain ASCII (the C and POSIX locales) counts as UTF-8, as on every current desktop.
  if (s == "UTF8" || s == "ANSIX341968" || s == "ASCII" || s == "USASCII") return CP_UTF8;
  if (s == "KOI8R") return 20866;
  if (s == "KOI8U") return 21866;
  if (unsigned n = NumberAfter(s, "ISO8859"); n >= 1 && n <= 16) return 28590 + n;
  for (const char* prefix : {"WINDOWS", "CP"})
    if (unsigned n = NumberAfter(s, prefix); n >= 1250 && n <= 1258) return n;
  return 0;
}

unsigned GetACP() {
  const unsigned forced = gOverride.load(std::memory_order_relaxed);
  if (forced != 0) return forced;
  static const unsigned system = SystemCodePage();
  return system;
}

void SetACPOverride(unsigned codePage) {
  gOverride.store(codePage, std::memory_order_relaxed);
}

std::string IconvNameOf(unsigned cp) {
  switch (cp) {
    case CP_UTF16LE:
      return "UTF-16LE";
    case 1201:
      return "UTF-16BE";
    case 12000:
      return "UTF-32LE";
    case 12001:
      return "UTF-32BE";
    case 65000:
      return "UTF-7";
    case CP_UTF8:
      return "UTF-8";
    case 20127:
      return "ASCII";
    case 20866:
      return "KOI8-R";
    case 21866:
      return "KOI8-U";
    case 936:
      return "GBK";
    case 54936:
      return "GB18030";
    case 51932:
      return "EUC-JP";
    case 51949:
      return "EUC-KR";
    case 50220:
      return "ISO-2022-JP";
    case 1361:
      return "JOHAB";
    case 10000:
      return "MACINTOSH";
    default:
      if (cp >= 28591 && cp <= 28606) return "ISO-8859-" + std::to_string(cp - 28590);
      return "CP" + std::to_string(cp);
  }
}

std::u16string MultiByteToWide(unsigned codePage, std::string_view text, bool* lossy) {
  std::u16string out;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  if (AsciiCompatible(codePage) && AllAscii(p, text.size())) {
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) out[i] = p[i];
    return out;
  }
  if (codePage == CP_UTF8) {
    if (!AppendUtf8AsUtf16(text, out) && lossy) *lossy = true;
    return out;
  }
  iconv_t cd = tConverters.Get(codePage, true);
  if (cd == TConverters::Invalid()) {
    // A code page iconv does not know: keep the bytes as Latin-1 rather than lose them.
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) out[i] = p[i];
    return out;
  }
  const std::string bytes =
      Convert(cd, text.data(), text.size(), text.size() * 2,
              [codePage, lossy](const char* in, size_t, std::string& replacement) {
                const auto byte = static_cast<unsigned char>(*in);
                const bool kept = codePage == CP_WINDOWS_1252 && IsUndefinedIn1252(byte);
                if (!kept && lossy) *lossy = true;
                const char16_t unit = kept ? byte : char16_t{0xFFFD};
                replacement.assign(reinterpret_cast<const char*>(&unit), sizeof unit);
                return size_t{1};
              });
  out.resize(bytes.size() / 2);
  std::memcpy(out.data(), bytes.data(), out.size() * 2);
  return out;
}

std::string WideToMultiByte(unsigned codePage, std::u16string_view text, bool* lossy) {
  if (lossy != nullptr) *lossy = false;
  std::string out;
  bool ascii = AsciiCompatible(codePage);
  for (size_t i = 0; ascii && i < text.size(); ++i) ascii = text[i] < 0x80;
  if (ascii) {
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) out[i] = static_cast<char>(text[i]);
    return out;
  }
  if (codePage == CP_UTF8) {
    AppendUtf16AsUtf8(text, out);
    return out;
  }
  iconv_t cd = tConverters.Get(codePage, false);
  if (cd == TConverters::Invalid()) {
    out.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      out[i] = text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
      if (text[i] >= 0x80 && lossy != nullptr) *lossy = true;
    }
    return out;
  }
  // One '?' per character: a surrogate pair is skipped whole.
  return Convert(cd, reinterpret_cast<const char*>(text.data()), text.size() * 2,
                 text.size() + text.size() / 2,
                 [codePage, lossy](const char* in, size_t left, std::string& replacement) {
                   char16_t u, v;
                   std::memcpy(&u, in, 2);
                   if (codePage == CP_WINDOWS_1252 && IsUndefinedIn1252(u)) {
                     replacement.assign(1, static_cast<char>(u));
                     return size_t{2};
                   }
                   if (lossy != nullptr) *lossy = true;
                   replacement = "?";
                   if (u >= 0xD800 && u <= 0xDBFF && left >= 4) {
                     std::memcpy(&v, in + 2, 2);
                     if (v >= 0xDC00 && v <= 0xDFFF) return size_t{4};
                   }
                   return size_t{2};
                 });
}

std::string CharsetNameOf(unsigned cp) {
  if (cp == CP_UTF8) return "UTF-8";
  if (cp >= 1250 && cp <= 1258) return "windows-" + std::to_string(cp);
  if (cp == 20127) return "US-ASCII";
  return IconvNameOf(cp);
}

}  // namespace zel
