#pragma once
// The tokens the reader cuts a text into, and the way to have them handed out one at a time.

#include <cstddef>
#include <string_view>
#include <utility>

namespace zel {

enum class TXmlToken : char {
  OpenTag = 'O',
  CloseTag = 'C',
  EmptyTag = 'E',
  Text = 'T',
  CData = 'D',
  Comment = 'M',
  Instruction = 'P',
  // Text kept as it was read, marked as a CDATA section's content: text and CDATA sections
  // that touch (one text of the document), or an element whose whitespace is declared data.
  Run = 'R'
};

class TXmlTokenSink {
 public:
  // The view is valid during the call only. An exception thrown here ends the read.
  virtual void Token(TXmlToken kind, std::string_view text) = 0;

 protected:
  ~TXmlTokenSink() = default;
};

// A sink that hands each token to f(kind, text).
template <typename F>
class TXmlTokenSinkOf final : public TXmlTokenSink {
 public:
  explicit TXmlTokenSinkOf(F f) : FF(std::move(f)) {}
  void Token(TXmlToken kind, std::string_view text) override { FF(kind, text); }

 private:
  F FF;
};

// Cuts text into tokens for sink, in document order. Returns the number of characters the
// scans read (a small multiple of the text's length).
size_t ReadXmlTokens(std::string_view text, TXmlTokenSink& sink);

}  // namespace zel
