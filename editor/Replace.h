#pragma once
// Replace over the node texts: the new text of a node, by the rules of Find All (plain, or a
// regular expression whose rewrite takes \1 for a group), and the new texts of a list of nodes,
// leaving out those a replacement would break.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/FindAll.h"
#include "editor/OutlineDocument.h"

namespace zel {

class TTextMatch;

class TTextReplacer {
 public:
  // Throws Exception for a regular expression that does not compile (naming the position) or a
  // rewrite that names a group the expression does not have.
  TTextReplacer(std::string pattern, std::string replacement, const TFindAllOptions& options);
  ~TTextReplacer();
  TTextReplacer(const TTextReplacer&) = delete;
  TTextReplacer& operator=(const TTextReplacer&) = delete;

  // Every match of `text` replaced, left to right, matches not overlapping; with whole word the
  // text is one match or none. Returns how many were replaced, `out` the new text (untouched
  // when none). An empty plain pattern replaces nothing.
  size_t Replace(std::string_view text, std::string& out) const;

 private:
  std::string FPattern, FReplacement;
  bool FWholeWord;
  std::unique_ptr<TTextMatch> FPlain;
  std::unique_ptr<re2::RE2> FRegex;
};

// Whether `text` may take the place of the node's text: markup stays one piece of markup and
// character data stays character data (no '<'); a node with children keeps a start tag; inside
// an element nothing comes that may stand only at the first level, and at the first level the
// kind stays. Costs the two texts.
bool MayReplaceText(const TTreeNode& node, std::string_view text);

struct TReplacePlan {
  std::vector<TTextChange> Changes;
  size_t Replacements = 0;  // in the changed nodes
  size_t Skipped = 0;       // nodes whose replaced text would break them
};
// The new texts of `nodes` (each once), leaving out the first node, which holds the file's
// name, the texts MayReplaceText refuses and those that would no longer parse well-formed in
// their place (XML's rules for the kind: names, quotes, entities, "--" in a comment ...) where
// the old one did. Linear in their texts.
TReplacePlan PlanReplace(const std::vector<TTreeNode*>& nodes, const TTextReplacer& replacer);
// The same over every node of the tree, in document order.
TReplacePlan PlanReplaceAll(const TTreeView& tree, const TTextReplacer& replacer);

}  // namespace zel
