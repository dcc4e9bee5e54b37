#include "editor/Replace.h"

#include <re2/re2.h>

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "editor/NodeText.h"
#include "editor/PlacementRules.h"
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

void PlanNode(TReplacePlan& plan, TTreeNode* node, const TTextReplacer& replacer) {
  if (node->IsFirstNode()) return;
  std::string text;
  const size_t n = replacer.Replace(node->Text(), text);
  if (n == 0 || text == node->Text()) return;
  if (!MayReplaceText(*node, text)) {
    ++plan.Skipped;
    return;
  }
  plan.Replacements += n;
  plan.Changes.push_back({node, std::move(text)});
}

}  // namespace

TReplacePlan PlanReplace(const std::vector<TTreeNode*>& nodes, const TTextReplacer& replacer) {
  TReplacePlan plan;
  for (TTreeNode* n : nodes) PlanNode(plan, n, replacer);
  return plan;
}

TReplacePlan PlanReplaceAll(const TTreeView& tree, const TTextReplacer& replacer) {
  TReplacePlan plan;
  for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) PlanNode(plan, n, replacer);
  return plan;
}

}  // namespace zel
