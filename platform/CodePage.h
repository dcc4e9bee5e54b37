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

// The system's 8-bit code page from the locale's character set (LC_ALL, LC_CTYPE, LANG):
// UTF-8 65001, ISO-8859-n 28590 + n, windows-125x 125x, KOI8-R 20866, KOI8-U 21866, anything
// else 1252. A process-wide override wins.
unsigned GetACP();
// 0 removes the override.
void SetACPOverride(unsigned codePage);
// The code page for a character set name by the rules above (0 when none matches).
unsigned CodePageFromCharset(std::string_view charset);
// The iconv name of a code page.
std::string IconvNameOf(unsigned codePage);

// Bytes the code page cannot decode become U+FFFD; a byte 0 becomes U+0000.
std::u16string MultiByteToWide(unsigned codePage, std::string_view text);
// Characters the code page cannot hold become '?'.
std::string WideToMultiByte(unsigned codePage, std::u16string_view text);

}  // namespace zel
