#pragma once
// Code pages: the system's 8-bit code page and conversions between a code page and UTF-16,
// through iconv. Converters are kept per code page and thread; text that is all ASCII is
// copied without them.

#include <string>
#include <string_view>

namespace zel {

constexpr unsigned CP_UTF16LE = 1200;
constexpr unsigned CP_UTF16BE = 1201;
constexpr unsigned CP_UTF8 = 65001;
constexpr unsigned CP_WINDOWS_1252 = 1252;

// The system's 8-bit code page from the locale's character set (LC_ALL, LC_CTYPE, LANG):
// UTF-8 and plain ASCII (no locale, C, POSIX) 65001, ISO-8859-n 28590 + n, windows-125x 125x,
// KOI8-R 20866, KOI8-U 21866, anything else 1252. A process-wide override wins.
unsigned GetACP();
// 0 removes the override.
void SetACPOverride(unsigned codePage);
// The code page for a character set name by the rules above (0 when none matches).
unsigned CodePageFromCharset(std::string_view charset);
// The iconv name of a code page.
std::string IconvNameOf(unsigned codePage);
// The name an XML declaration gives the code page: "UTF-8", "windows-1252", "ISO-8859-2".
std::string CharsetNameOf(unsigned codePage);

// Bytes the code page cannot decode become U+FFFD and set *lossy; a byte 0 becomes U+0000.
// In 1252 the five bytes it leaves undefined (81, 8D, 8F, 90, 9D) become the characters of the
// same value.
std::u16string MultiByteToWide(unsigned codePage, std::string_view text, bool* lossy = nullptr);
// Characters the code page cannot hold become '?' and set *lossy; U+0081 ... U+009D go back to
// 1252's undefined bytes.
std::string WideToMultiByte(unsigned codePage, std::u16string_view text, bool* lossy = nullptr);

}  // namespace zel
