#pragma once
// Trims the lines of a Unicode file as they are read, except where a line starts or ends
// inside a comment, CDATA section, processing instruction or tag (an attribute value may run
// over lines), or inside an element that declares xml:space="preserve": there the blanks are
// data. It follows the markup from line to line with one pass over each line.

#include <string>
#include <string_view>

namespace zel {

class TSectionLineTrim {
 public:
  // The line without its leading blanks (unless it starts inside a section) and its trailing
  // blanks (unless it ends inside one); blanks are characters of code 32 or less.
  std::u16string_view Trim(std::u16string_view line);

 private:
  enum class TInside : unsigned char { None, Comment, CData, Instruction, Tag };
  void Follow(std::u16string_view line);
  void EndTag();

  TInside FInside = TInside::None;
  char16_t FQuote = 0;        // the quote a tag's value is open in
  std::string FTag;           // the text of the tag being read
  size_t FPreserveDepth = 0;  // elements open inside the outermost preserving one
};

}  // namespace zel
