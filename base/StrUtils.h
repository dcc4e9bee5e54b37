#pragma once
// Small 8-bit string helpers shared by every layer.

#include <string>
#include <string_view>

namespace zel {

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Trimming removes every leading and trailing character whose code is 32 or less.
inline bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}
// Inline: the load trims every token and line it makes.
inline std::string_view TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Replaces every occurrence of `from` (not empty) by `to`, left to right.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// ASCII case folding; other bytes stay.
inline char LowerChar(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char UpperChar(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Equal when they differ at most in the case of ASCII letters.
bool SameText(std::string_view a, std::string_view b);

inline bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The file name without its folder: the part after the last '/', the only folder separator
// here ('\' and ':' may be part of a name).
std::string ExtractFileName(std::string_view path);

// The system's text for an errno value.
std::string SysErrorMessage(int err);

}  // namespace zel
