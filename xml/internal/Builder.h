#pragma once
// Turns tokens into the element tree of a document. Used both for the token lines of
// BuildFromTokens and directly by the tokenizer in the fused parse.

#include <string>
#include <string_view>

#include "xml/internal/Pools.h"
#include "xml/internal/Tokenizer.h"

namespace zel {

class TXmlBuilder {
 public:
  // Clears the document and names it "root"; it becomes the current element.
  explicit TXmlBuilder(TMorXMLTree& doc);
  void Token(TXmlToken kind, std::string_view text);
  // Stores what is still pending; call once after the last token.
  void Finish() { FlushJoin(); }

 private:
  // joinToLastText: the text follows an ignored closing tag and joins a text right before it.
  void AddText(std::string_view text, uint8_t kind, bool joinToLastText);
  // Joins a text or run to the last child when nothing but an ignored closing tag stood
  // between them and both touch it with text: a save writes no tag there, and the two read
  // back as one run. False when they stay apart.
  bool JoinToLastRun(std::string_view text, uint8_t kind);
  // Before an element gets its first child, its text moves into a text child, so that text
  // and children keep their document order.
  void PrepareForChild();
  void FlushJoin();

  TMorXMLTree& FDoc;
  TMorXMLPools& FPools;
  TMorXMLNode* FCurrent;
  // Texts joined to one element's value are collected here, so that many segments cost
  // linear time; FJoinNode's value is stale until FlushJoin.
  TMorXMLNode* FJoinNode = nullptr;
  // The last run made or joined, and whether it ends with a text.
  TMorXMLNode* FLastRun = nullptr;
  bool FLastRunEndsWithText = false;
  std::string FJoin;
  // The last token was a closing tag with no element to close: it leaves no trace, so the
  // texts on both sides of it are one text (saved, they would read back as one).
  bool FAfterIgnoredClose = false;
};

// AddNodeFromTag with the pools at hand (no walk up to the document).
TMorXMLNode* AddNodeFromTagIn(TMorXMLPools& pools, TMorXMLNode* parent, std::string_view tag,
                              std::string_view value);

}  // namespace zel
