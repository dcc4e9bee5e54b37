#pragma once
// The XML document model: a small reader (tokenizer + tree builder) and an indented writer.
// The document is itself the root element of a tree of nodes. Nodes, attributes and long
// strings live in pools owned by the document, so a document of millions of elements is
// built, written and freed without one allocation per node.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "base/Progress.h"
#include "base/Stream.h"
#include "base/StringList.h"
#include "xml/XmlString.h"

namespace zel {

class TMorXMLNode;
class TMorXMLTree;
struct TMorXMLPools;

// Tokens (or lines) read between two questions whether to stop: frequent enough for a 30 ms
// rhythm, rare enough to cost nothing.
inline constexpr size_t kReadPumpInterval = 4096;

// What a node's Value holds.
inline constexpr uint8_t kValueText = 0;
inline constexpr uint8_t kValueCData = 1;  // CDATA content, marked as EscapeCData does
// Markup and text written as they were read (marked as CDATA content is): text and CDATA
// sections that touch, or a whole element whose whitespace is declared data.
inline constexpr uint8_t kValueRun = 2;

// The name of the attribute that keeps what follows a tag's last attribute without being
// one (`<option selected>`): its value is written as it stands. No attribute read from a tag
// has this name, since a name ends at its '='.
inline constexpr std::string_view kRawAttributeName = "=";

class TMorXMLAttribute {
 public:
  TXmlString Name;
  TXmlString Value;
  TMorXMLAttribute* Next = nullptr;  // the following attribute of the same node
};

// What a node stands for. The reader makes elements (which include the XML declaration
// `?xml` at the document level), and leaves for comments, other processing instructions
// (a declaration inside an element among them) and declarations, and the text segments of
// elements that also hold child nodes.
enum class TMorXMLNodeKind : uint8_t { nkElement, nkComment, nkInstruction, nkText };

// Children in document order, linked first-child / next-sibling. Indexing walks the list.
class TMorXMLNodeList {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TMorXMLNode*;
    using difference_type = std::ptrdiff_t;
    using pointer = TMorXMLNode* const*;
    using reference = TMorXMLNode*;
    Iterator() = default;
    explicit Iterator(TMorXMLNode* n) : FNode(n) {}
    TMorXMLNode* operator*() const { return FNode; }
    Iterator& operator++();
    Iterator operator++(int) {
      Iterator old = *this;
      ++*this;
      return old;
    }
    bool operator!=(const Iterator& o) const { return FNode != o.FNode; }
    bool operator==(const Iterator& o) const { return FNode == o.FNode; }

   private:
    TMorXMLNode* FNode = nullptr;
  };

  int Count() const;  // walks the list
  bool Empty() const { return FFirst == nullptr; }
  TMorXMLNode* First() const { return FFirst; }
  TMorXMLNode* Last() const { return FLast; }
  // Linear in index; an index outside the list raises EListError.
  TMorXMLNode* operator[](int index) const;
  Iterator begin() const { return Iterator(FFirst); }
  Iterator end() const { return Iterator(nullptr); }

 private:
  friend class TMorXMLNode;
  friend struct TMorXMLPools;
  TMorXMLNode* FFirst = nullptr;
  TMorXMLNode* FLast = nullptr;
};

class TMorXMLAttributeList {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TMorXMLAttribute*;
    using difference_type = std::ptrdiff_t;
    using pointer = TMorXMLAttribute* const*;
    using reference = TMorXMLAttribute*;
    Iterator() = default;
    explicit Iterator(TMorXMLAttribute* a) : FAttr(a) {}
    TMorXMLAttribute* operator*() const { return FAttr; }
    Iterator& operator++() {
      FAttr = FAttr->Next;
      return *this;
    }
    Iterator operator++(int) {
      Iterator old = *this;
      ++*this;
      return old;
    }
    bool operator!=(const Iterator& o) const { return FAttr != o.FAttr; }
    bool operator==(const Iterator& o) const { return FAttr == o.FAttr; }

   private:
    TMorXMLAttribute* FAttr = nullptr;
  };

  int Count() const;  // walks the list
  bool Empty() const { return FFirst == nullptr; }
  TMorXMLAttribute* First() const { return FFirst; }
  // Linear in index; an index outside the list raises EListError.
  TMorXMLAttribute* operator[](int index) const;
  Iterator begin() const { return Iterator(FFirst); }
  Iterator end() const { return Iterator(nullptr); }

 private:
  friend class TMorXMLNode;
  friend struct TMorXMLPools;
  TMorXMLAttribute* FFirst = nullptr;
};

class TMorXMLNode {
 public:
  // Sets the three fields; does not add the node to the parent's Nodes.
  TMorXMLNode(std::string_view name, TMorXMLNode* parentNode, std::string_view value);
  // Not virtual, to keep nodes small: a document is never deleted through a node pointer.
  ~TMorXMLNode() = default;
  TMorXMLNode(const TMorXMLNode&) = delete;
  TMorXMLNode& operator=(const TMorXMLNode&) = delete;

  TXmlString Name;
  TXmlString Value;
  TMorXMLNodeList Nodes;
  TMorXMLAttributeList Attributes;
  TMorXMLNode* ParentNode = nullptr;
  TMorXMLNode* NextSibling = nullptr;
  uint8_t ValueKind = kValueText;
  TMorXMLNodeKind Kind = TMorXMLNodeKind::nkElement;

  // Appends an attribute and returns it. The node must belong to a document.
  TMorXMLAttribute* AddAttribute(std::string_view name, std::string_view value);
  // Creates a child of the given kind at the end of Nodes and returns it. The node must
  // belong to a document (its pools hold the child).
  TMorXMLNode* AddChild(std::string_view name, std::string_view value,
                        TMorXMLNodeKind kind = TMorXMLNodeKind::nkElement);
  // Frees every descendant (every attribute) and empties the list, without recursion.
  void ClearNodes();
  void ClearAttributes();

  // The document this node belongs to (the root of its parent chain), or null.
  TMorXMLTree* Document();

 protected:
  bool FIsDocument = false;
};

class TMorXMLTree : public TMorXMLNode {
 public:
  TMorXMLTree(std::string_view name = "", TMorXMLNode* parentNode = nullptr,
              std::string_view value = "");
  ~TMorXMLTree();

  TStringList Lines;  // the input text, then the tokens, then the output text

  // ClearNodes, ClearAttributes, then reads the file's bytes as 8-bit text (split into lines
  // as the line list does) and parses them. "Cannot open file ..." when it cannot be read.
  // With a progress that stops the read, returns false and the document holds what was read.
  bool LoadFromFile(const std::string& fileName, const TProgress& progress = {});
  // Builds the tree from the tokens in Lines. No token at all: "List index out of bounds
  // (0)", after the document has been cleared.
  void BuildFromTokens();
  // The same result as putting `text` (line-list text: every line followed by CR LF) into
  // Lines, TokenizeXML(Lines) and BuildFromTokens(), without building the token list.
  // Lines is left empty. False when the progress stopped the read.
  bool ParseText(std::string_view text, const TProgress& progress = {});
  // The whole document as indented text; empty when the document has no child.
  std::string GetXMLText() const;
  // Lines gets the text of GetXMLText, then goes to the stream.
  void SaveToStream(TStream& stream);

  TMorXMLPools& Pools() { return *FPools; }

 private:
  friend class TMorXMLNode;
  std::unique_ptr<TMorXMLPools> FPools;
};

// Replaces the XML text held in L by its tokens, one per line: "OT:" start tag, "CT:"
// closing tag, "ET:" empty-element tag, "TX:" text, "CD:" CDATA content (escaped), "CM:"
// comment content (escaped), "PI:" processing instruction (escaped) or declaration (cleaned
// tag text), "RN:" text kept as it was read (escaped).
void TokenizeXML(TStringList& L);
// The value of the attribute (or pseudo-attribute) `name` in a tag's text: [begin, end)
// inside its quotes. False when the text holds no such name, '=' and quoted value.
bool FindPseudoAttribute(std::string_view text, std::string_view name, size_t& begin, size_t& end);
// The next attribute of a tag's text from pos, as the tree builder reads it: its name is the
// trimmed text up to the next '=', its value runs between the first quote after that '=' and
// the next quote of the same kind. Returns the position after the value, or npos when no
// whole attribute follows (*openQuote, if given, is then the quote of a value that never
// closes).
size_t NextTagAttribute(std::string_view t, size_t pos, std::string_view& name,
                        std::string_view& value, char* openQuote = nullptr);
// The quote of a tag's value that never closes, as NextTagAttribute reads them, or 0.
char OpenValueQuote(std::string_view tag);
// Whether a tag's text (without its brackets) declares xml:space="preserve", as the tree
// builder reads its attributes (so a tag the save rewrites from them declares it too).
bool DeclaresSpacePreserve(std::string_view tag);
// Creates a child element of parent from the text of a tag and returns it.
TMorXMLNode* AddNodeFromTag(TMorXMLNode* parent, std::string_view tagText, std::string_view value);
// One node and its descendants as indented text, two spaces per level down to
// kMaxIndentLevel (base/TextSink.h).
std::string NodeToText(const TMorXMLNode* node, int level);
// ` name="value"`, or single quotes when the value holds a double quote.
std::string AttributeToText(const TMorXMLAttribute* attribute);

std::string CleanTagText(std::string_view s);
// Line breaks and TABs become the marks "\n " and "\t "; backslashes of the text are
// doubled where they could be taken for a mark (see SectionMarks.h), so UnescapeCData gives
// the text back exactly.
std::string EscapeCData(std::string_view s);
std::string UnescapeCData(std::string_view s);
// 1-based position of sub in s at or after start; 0 when none or either string is empty.
size_t PosFrom(std::string_view sub, std::string_view s, size_t start);

// One line of the indented text: its indentation as a level (two spaces each) and the rest.
// Returns false to stop the walk.
using TXMLLineSink = std::function<bool(size_t level, std::string_view text)>;
// Calls sink once per line of exactly the list that TStringList::SetText(GetXMLText())
// would hold, in order, without building the whole text and without spending time on the
// indentation. The view is valid during the call. False when the sink stopped the walk.
// With wholeNodes, the line breaks of a comment, CDATA section, instruction or run stay in its
// line (as CR LF), so that every node is one line.
bool WalkXMLLines(const TMorXMLTree& doc, const TXMLLineSink& sink, bool wholeNodes = false);
// The same lines with their indentation as spaces, as deep as GetXMLText indents them.
void ForEachXMLLine(const TMorXMLTree& doc, const std::function<void(std::string_view)>& sink);
// The number of lines ForEachXMLLine yields, without building them. A progress that stops
// the count makes the result a part of it.
size_t CountXMLLines(const TMorXMLTree& doc, const TProgress& progress = {},
                     bool wholeNodes = false);

}  // namespace zel
