#pragma once
// Trims the lines of a Unicode file as they are read, except where a line starts or ends
// inside a comment or CDATA section: a section's text is character data, so its blanks stay.
// It follows the sections from line to line with one pass over each line.

#include <string_view>

namespace zel {

class TSectionLineTrim {
 public:
  // The line without its leading blanks (unless it starts inside a section) and its trailing
  // blanks (unless it ends inside one); blanks are characters of code 32 or less.
  std::u16string_view Trim(std::u16string_view line);

 private:
  enum class TInside : unsigned char { None, Comment, CData };
  void Follow(std::u16string_view line);

  TInside FInside = TInside::None;
};

}  // namespace zel
