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

  // A node's text written anew as the encoding can hold it: each character it cannot hold as
  // a character reference where XML takes one (text, attribute values). Raises EZelXMLTree
  // naming the node for one anywhere else (a name, a comment, an instruction, CDATA).
  std::string Fitted(std::string_view text);

 private:
  bool Holds(std::string_view character);
  void Convert(bool last);
  [[noreturn]] void Unconvertible() const;

  TTextSink& FOut;
  unsigned FCodePage;
  iconv_t FCd, FCheck;
  bool FUnicode;  // the encoding holds every character
  std::string FEncoding;
  std::string FIn;  // text not yet converted: a character may be cut at a piece's end
  std::string FBuffer;
  std::string_view FNode;
};

}  // namespace zel
