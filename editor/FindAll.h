#pragma once
// Find All over the node texts: every node that matches, in document order, by the rules of
// Find Next (match case, whole word) or by a regular expression; and the XPath that names a
// node (NodePath.cpp).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "outline/TreeView.h"

namespace re2 {
class RE2;
}

namespace zel {

class TTextMatch;

struct TFindAllOptions {
  bool Regex = false;
  bool MatchCase = false;
  // Plain: the whole node text equals the pattern. Regex: a match spans the whole text.
  bool WholeWord = false;
};

// A regular expression over node texts, by the encoding of the ANSI code page. Throws
// Exception for one that does not compile, naming the position. Without `capture` its groups
// are not kept, which only asking whether a text matches needs.
std::unique_ptr<re2::RE2> CompileNodeTextRegex(const std::string& pattern, bool matchCase,
                                               bool capture);

class TNodeTextQuery {
 public:
  // Throws Exception for a regular expression that does not compile, naming the position.
  TNodeTextQuery(std::string pattern, const TFindAllOptions& options);
  ~TNodeTextQuery();
  TNodeTextQuery(const TNodeTextQuery&) = delete;
  TNodeTextQuery& operator=(const TNodeTextQuery&) = delete;

  bool Matches(std::string_view text) const;

 private:
  std::string FPattern;  // the plain match points into it
  bool FWholeWord;
  std::unique_ptr<TTextMatch> FPlain;
  std::unique_ptr<re2::RE2> FRegex;
};

// A matching node and its absolute index (the root 0), counted on the way.
struct TFoundNode {
  TTreeNode* Node = nullptr;
  int Index = 0;
};
// The matching nodes, in document order, in one pass over the tree.
std::vector<TFoundNode> FindAllNodeText(const TTreeView& tree, const TNodeTextQuery& query);

// Find Next by a query: the first node after `from` (down) or before it that matches; null
// when none does or `from` is null. Never wraps.
TTreeNode* FindNextNode(TTreeNode* from, const TNodeTextQuery& query, bool down);

// The prefix by which XPath queries name the document's first default namespace.
inline constexpr char kXPathDefaultPrefix[] = "d";
// The XPath of a node, which an XPath query selects it by: `/catalog[1]/d:book[3]/title[1]`.
// An element's step counts its siblings of the same name and namespace and is named by the
// prefix as written where the query knows it by that (each prefix by its first declaration in
// the document), the default namespace by `d:`, or else by `*[local-name() = ...]`;
// `comment()[k]`, `processing-instruction()[k]` and `text()[k]` count their kind as XPath does
// (a CDATA section and an entity reference part a text; characters after a text's characters
// join it). The first node (the file) is "/". Empty for a node XPath has no node for: the XML
// declaration, the DOCTYPE and its internal subset, a text of entity references alone. Costs
// the siblings before the node and before each ancestor; where the node or an ancestor
// declares a namespace, the nodes before it in the document.
std::string NodePath(const TTreeNode& node);
// Whether NodePath gives a path, from the node and its ancestors alone.
bool HasNodePath(const TTreeNode& node);
// The paths of the nodes found, in one pass over the tree: linear however many.
std::vector<std::string> NodePaths(const TTreeView& tree, const std::vector<TFoundNode>& found);

}  // namespace zel
