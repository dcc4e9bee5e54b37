#pragma once
// Find All over the node texts: every node that matches, in document order, by the rules of
// Find Next (match case, whole word) or by a regular expression; and the path that names a
// node for display.

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

// XPath-like: `/catalog[1]/book[3]/title[1]`; an element's step counts its same-named element
// siblings, `comment()[k]`, `text()[k]` and `processing-instruction()[k]` count their kind, and
// the declaration, DOCTYPE and other markup XPath has no node for are `node()[k]` among all
// siblings. The first node (the file) is not a step: its path is "/". Costs the preceding
// siblings of the node and its ancestors.
std::string NodePath(const TTreeNode& node);
// The paths of the nodes found, in one pass over the tree: linear however many.
std::vector<std::string> NodePaths(const TTreeView& tree, const std::vector<TFoundNode>& found);

}  // namespace zel
