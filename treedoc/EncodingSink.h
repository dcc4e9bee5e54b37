#pragma once
// Text in the code page, converted to a file's own encoding on its way to another sink, in
// pieces of bounded size whatever the text.

#include <iconv.h>

#include <string>
#include <string_view>

#include "base/TextSink.h"

namespace zel {

class TEncodingSink final : public TTextSink {
 public:
  // encoding: an iconv name. Valid() is false when iconv cannot convert to it.
  TEncodingSink(TTextSink& out, unsigned codePage, const std::string& encoding);
  ~TEncodingSink() override;
  TEncodingSink(const TEncodingSink&) = delete;
  TEncodingSink& operator=(const TEncodingSink&) = delete;

  bool Valid() const;
  void Write(std::string_view text) override;
  void WriteRepeated(char c, size_t count) override;
  // What the text that follows belongs to, for the message of a character that does not
  // convert.
  void SetNode(std::string_view text) { FNode = text; }
  // The last characters, and the encoding's return to its initial state. Raises EZelXMLTree
  // for a character the encoding cannot hold, here or on any write, naming the node.
  void Finish();

  // Whether the encoding holds every character of text (in the code page).
  static bool Holds(unsigned codePage, const std::string& encoding, std::string_view text);

 private:
  void Convert(bool last);
  [[noreturn]] void Unconvertible() const;

  TTextSink& FOut;
  iconv_t FCd;
  std::string FEncoding;
  std::string FIn;  // text not yet converted: a character may be cut at a piece's end
  std::string FBuffer;
  std::string_view FNode;
};

}  // namespace zel
