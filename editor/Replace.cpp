#include "editor/Replace.h"

#include <re2/re2.h>

#include <algorithm>
#include <span>

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "editor/NodeText.h"
#include "editor/PlacementRules.h"
#include "editor/SubtreeText.h"
#include "editor/TextMatch.h"

namespace zel {

TTextReplacer::TTextReplacer(std::string pattern, std::string replacement,
                             const TFindAllOptions& options)
    : FPattern(std::move(pattern)),
      FReplacement(std::move(replacement)),
      FWholeWord(options.WholeWord) {
  if (!options.Regex) {
    FPlain = std::make_unique<TTextMatch>(FPattern, options.MatchCase, options.WholeWord);
    return;
  }
  // The pattern alone first, so that a failure names a position in what the user typed.
  FRegex = CompileNodeTextRegex(FPattern, options.MatchCase, true);
  if (FWholeWord)
    FRegex = CompileNodeTextRegex("\\A(?:" + FPattern + ")\\z", options.MatchCase, true);
  std::string why;
  if (!FRegex->CheckRewriteString(FReplacement, &why))
    throw Exception(Format("Invalid replacement \"%s\": %s", FReplacement.c_str(), why.c_str()));
}

TTextReplacer::~TTextReplacer() = default;

size_t TTextReplacer::Replace(std::string_view text, std::string& out) const {
  if (FRegex) {
    std::string s(text);
    const int n = FWholeWord ? int(re2::RE2::Replace(&s, *FRegex, FReplacement))
                             : re2::RE2::GlobalReplace(&s, *FRegex, FReplacement);
    if (n > 0) out = std::move(s);
    return size_t(n);
  }
  if (FWholeWord) {
    if (!(*FPlain)(text)) return 0;
    out = FReplacement;
    return 1;
  }
  if (FPattern.empty()) return 0;
  size_t count = 0, done = 0;
  std::string s;
  for (size_t at = FPlain->Find(text, 0); at != std::string_view::npos;
       at = FPlain->Find(text, done)) {
    s.append(text.substr(done, at - done)).append(FReplacement);
    done = at + FPattern.size();
    ++count;
  }
  if (count == 0) return 0;
  s.append(text.substr(done));
  out = std::move(s);
  return count;
}

bool MayReplaceText(const TTreeNode& node, std::string_view text) {
  const TNodeKind was = NodeKindOf(node.Text());
  if (was == TNodeKind::nkText ? text.empty() || text.find('<') != std::string_view::npos
                               : !IsValidNodeText(text))
    return false;
  if (node.GetFirstChild() && !HoldsChildren(text)) return false;
  // At the first level the same kind keeps the level as well-formed as it was, without a
  // look at the level, which a batch would make once per node.
  if (IsFirstLevel(node.Parent())) return NodeKindOf(text) == was;
  return MayStandInside(text);
}

namespace {

// The text as it stands in a file: a start tag with its closing tag, a declaration or DOCTYPE
// in front of an element, anything else inside one.
std::string InPlace(std::string_view text) {
  switch (NodeKindOf(text)) {
    case TNodeKind::nkDeclaration:
    case TNodeKind::nkDoctype:
      return std::string(text) + "<r/>";
    case TNodeKind::nkStartTag: {
      size_t end = 1;
      while (end < text.size() && !IsBlank(text[end]) && text[end] != '/' && text[end] != '>')
        ++end;
      return std::string(text) + "</" + std::string(text.substr(1, end - 1)) + ">";
    }
    default:
      return std::string(text);
  }
}

bool StandsWellFormed(std::string_view text) {
  return IsWellFormedText(InPlace(text));
}

// Whether the new texts all parse well-formed where they stand, in one parse: declarations
// and DOCTYPEs, which cannot stand inside an element, apart.
bool AllStandWellFormed(std::span<const TTextChange> changes) {
  std::string inside;
  for (const TTextChange& c : changes) {
    const TNodeKind kind = NodeKindOf(c.Text);
    if (kind == TNodeKind::nkDeclaration || kind == TNodeKind::nkDoctype) {
      if (!StandsWellFormed(c.Text)) return false;
      continue;
    }
    inside.append("<r>").append(InPlace(c.Text)).append("</r>");
  }
  return inside.empty() || IsWellFormedText(inside);
}

class TPlanner {
 public:
  explicit TPlanner(const TTextReplacer& replacer) : FReplacer(replacer) {}

  void Node(TTreeNode* node) {
    if (node->IsFirstNode()) return;
    std::string text;
    const size_t n = FReplacer.Replace(node->Text(), text);
    if (n == 0 || text == node->Text()) return;
    if (!MayReplaceText(*node, text)) {
      ++FPlan.Skipped;
      return;
    }
    FPlan.Replacements += n;
    FPlan.Changes.push_back({node, std::move(text)});
    FCounts.push_back(n);
  }

  // The new texts parse a run at a time; only in a run that fails, each on its own: one that
  // breaks the file where the old one did not is left out (an old text that does not parse
  // alone, such as one naming an entity of the DOCTYPE, cannot tell). A few broken texts cost
  // a few runs, not a parse per text.
  TReplacePlan Done() {
    constexpr size_t kRun = 256;
    const std::span<const TTextChange> all(FPlan.Changes);
    TReplacePlan kept;
    kept.Skipped = FPlan.Skipped;
    kept.Changes.reserve(all.size());
    for (size_t from = 0; from < all.size(); from += kRun) {
      const size_t to = std::min(all.size(), from + kRun);
      const bool whole = AllStandWellFormed(all.subspan(from, to - from));
      for (size_t i = from; i < to; ++i) {
        TTextChange& c = FPlan.Changes[i];
        if (!whole && !StandsWellFormed(c.Text) && StandsWellFormed(c.Node->Text())) {
          ++kept.Skipped;
          continue;
        }
        kept.Replacements += FCounts[i];
        kept.Changes.push_back(std::move(c));
      }
    }
    return kept;
  }

 private:
  const TTextReplacer& FReplacer;
  TReplacePlan FPlan;
  std::vector<size_t> FCounts;
};

}  // namespace

TReplacePlan PlanReplace(const std::vector<TTreeNode*>& nodes, const TTextReplacer& replacer) {
  TPlanner planner(replacer);
  for (TTreeNode* n : nodes) planner.Node(n);
  return planner.Done();
}

TReplacePlan PlanReplaceAll(const TTreeView& tree, const TTextReplacer& replacer) {
  TPlanner planner(replacer);
  for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) planner.Node(n);
  return planner.Done();
}

}  // namespace zel
