#pragma once
// The walk from a decoded file's text to the text it was read from (its bytes after the
// byte-order mark, or its decoded characters), where the text is that with every line end
// made CR LF and blanks dropped at the starts and ends of lines, as the reading of Unicode
// files trims them, and with the encoding its declaration names rewritten.

#include <cstddef>
#include <string_view>

namespace zel {

// Where the text holds one run where the bytes hold another: the declaration's encoding, named
// anew (or added) for the text. A run of length 0 on either side is none.
struct TTextSwap {
  size_t Text = 0, TextLength = 0;
  size_t Bytes = 0, BytesLength = 0;
  bool Any() const { return TextLength != 0 || BytesLength != 0; }
};

struct TTrimmedWalk {
  std::string_view Text, Bytes;
  TTextSwap Swap = {};
  size_t InText = 0, InBytes = 0;

  static bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }
  static bool LineEnd(char c) { return c == '\r' || c == '\n'; }

  // Goes on to text offset `to`, then past the bytes the text dropped there; false where the
  // text is not such a reading of the bytes. Linear over all calls. A place inside the swapped
  // run stands at its start.
  bool To(size_t to) {
    while (InBytes < Bytes.size()) {
      const char b = Bytes[InBytes];
      if (Swap.Any() && InText == Swap.Text && InBytes == Swap.Bytes) {
        if (InText >= to && Swap.TextLength != 0) break;
        InText += Swap.TextLength;
        InBytes += Swap.BytesLength;
        Swap = {};
      } else if (LineEnd(b)) {
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
