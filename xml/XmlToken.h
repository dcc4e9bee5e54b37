#pragma once
// The tokens the reader cuts a text into, and the way to have them handed out one at a time.

#include <cstddef>
#include <cstdint>
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
// scans read (a small multiple of the text's length). With changedTexts, adds the number of
// texts the tokens hold otherwise than the text does: a line break or a tab in them became a
// space, the blanks at their ends went, or blanks that were an element's whole content went.
size_t ReadXmlTokens(std::string_view text, TXmlTokenSink& sink, size_t* changedTexts = nullptr);

// Where a token (or a line made of tokens) was read: the characters [Begin, End) of the text.
// Exact when reading those characters where the token stood gives the token again: false
// where the reader joined it with text around dropped markup, or mended what never ended.
// Lead, where a reader sets it, is where the blanks before it start: the end of the token
// before it.
struct TSourceSpan {
  static constexpr size_t kNone = SIZE_MAX;
  size_t Begin = kNone;
  size_t End = kNone;
  bool Exact = false;
  size_t Lead = kNone;
  bool Known() const { return Begin != kNone; }
  // From the start of this span to the end of `later`, exact when both are.
  TSourceSpan Through(const TSourceSpan& later) const {
    if (!Known() || !later.Known()) return {};
    return {Begin, later.End, Exact && later.Exact, Lead};
  }
};

// The same, with span set to each token's place before the sink hears of it.
size_t ReadXmlTokens(std::string_view text, TXmlTokenSink& sink, TSourceSpan& span,
                     size_t* changedTexts = nullptr);

// The same for a text whose line ends are a file's own (CR LF, a lone CR or a lone LF) and
// that ends in one: the tokens of that text with every line end made CR LF, each place in the
// text as given. With span, as above.
size_t ReadXmlTokensAsRead(std::string_view text, TXmlTokenSink& sink, TSourceSpan* span,
                           size_t* changedTexts = nullptr);

}  // namespace zel
