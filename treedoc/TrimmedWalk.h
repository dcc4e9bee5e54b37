#pragma once
// The walk from a decoded UTF-8 file's text to its bytes (after the byte-order mark), where
// the text is the bytes with every line end made CR LF and blanks dropped at the starts and
// ends of lines, as the reading of Unicode files trims them.

#include <cstddef>
#include <string_view>

namespace zel {

struct TTrimmedWalk {
  std::string_view Text, Bytes;
  size_t InText = 0, InBytes = 0;

  static bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }
  static bool LineEnd(char c) { return c == '\r' || c == '\n'; }

  // Goes on to text offset `to`, then past the bytes the text dropped there; false where the
  // text is not such a reading of the bytes. Linear over all calls.
  bool To(size_t to) {
    while (InBytes < Bytes.size()) {
      const char b = Bytes[InBytes];
      if (LineEnd(b)) {
        if (InText >= to) break;
        if (Text.compare(InText, 2, "\r\n") != 0) return false;
        InBytes += Bytes.compare(InBytes, 2, "\r\n") == 0 ? 2 : 1;
        InText += 2;
      } else if (InText < Text.size() && Text[InText] == b) {
        if (InText >= to) break;
        ++InBytes, ++InText;
      } else if (Blank(b)) {
        ++InBytes;  // dropped by the trim
      } else {
        return false;
      }
    }
    return true;
  }
  // Whether all of the text was walked: the bytes' last line may lack the line end the text
  // gives it.
  bool Whole() {
    if (!To(Text.size())) return false;
    return InText == Text.size() || (InText + 2 == Text.size() && Text.ends_with("\r\n"));
  }
};

}  // namespace zel
