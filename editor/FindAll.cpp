#include "editor/FindAll.h"

#include <re2/re2.h>

#include <unordered_map>

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "editor/PlacementRules.h"
#include "editor/TextMatch.h"
#include "outline/TreeWalk.h"
#include "platform/CodePage.h"

namespace zel {

namespace {

// What a node is counted under among its siblings; `All`: among all of them.
struct TStep {
  std::string_view Name;
  bool Element = false, All = false;
};

TStep StepOf(std::string_view text) {
  switch (NodeKindOf(text)) {
    case TNodeKind::nkStartTag:
    case TNodeKind::nkClosedElement: {
      size_t end = 1;
      while (end < text.size() && !IsBlank(text[end]) && text[end] != '/' && text[end] != '>')
        ++end;
      return {text.substr(1, end - 1), true, false};
    }
    case TNodeKind::nkComment:
      return {"comment()"};
    case TNodeKind::nkInstruction:
      return {"processing-instruction()"};
    case TNodeKind::nkText:
    case TNodeKind::nkCData:
      return {"text()"};
    default:
      return {"node()", false, true};
  }
}

bool SameStep(const TStep& a, const TStep& b) {
  return a.All || (a.Element == b.Element && a.Name == b.Name);
}

void AppendStep(std::string& out, const TStep& step, int position) {
  out.push_back('/');
  out.append(step.Name);
  out.push_back('[');
  out.append(std::to_string(position));
  out.push_back(']');
}

}  // namespace

std::unique_ptr<re2::RE2> CompileNodeTextRegex(const std::string& pattern, bool matchCase,
                                               bool capture) {
  re2::RE2::Options options;
  options.set_log_errors(false);
  options.set_case_sensitive(matchCase);
  options.set_never_capture(!capture);
  // The node texts are in the ANSI code page: only in UTF-8 is a character more than a byte.
  options.set_encoding(GetACP() == CP_UTF8 ? re2::RE2::Options::EncodingUTF8
                                           : re2::RE2::Options::EncodingLatin1);
  auto regex = std::make_unique<re2::RE2>(pattern, options);
  if (regex->ok()) return regex;
  // RE2 names the failure and the piece of the pattern it failed at.
  const std::string& arg = regex->error_arg();
  std::string what = regex->error();
  if (!arg.empty() && what.ends_with(": " + arg)) what.resize(what.size() - arg.size() - 2);
  const size_t at = arg.empty() ? std::string::npos : pattern.find(arg);
  if (at == std::string::npos)
    throw Exception(Format("Invalid regular expression \"%s\": %s", pattern.c_str(), what.c_str()));
  throw Exception(Format("Invalid regular expression \"%s\": %s at position %zu (\"%s\")",
                         pattern.c_str(), what.c_str(), at + 1, arg.c_str()));
}

TNodeTextQuery::TNodeTextQuery(std::string pattern, const TFindAllOptions& options)
    : FPattern(std::move(pattern)), FWholeWord(options.WholeWord) {
  if (options.Regex)
    FRegex = CompileNodeTextRegex(FPattern, options.MatchCase, false);
  else
    FPlain = std::make_unique<TTextMatch>(FPattern, options.MatchCase, options.WholeWord);
}

TNodeTextQuery::~TNodeTextQuery() = default;

bool TNodeTextQuery::Matches(std::string_view text) const {
  if (FPlain) return (*FPlain)(text);
  const re2::StringPiece piece(text.data(), text.size());
  return FWholeWord ? re2::RE2::FullMatch(piece, *FRegex) : re2::RE2::PartialMatch(piece, *FRegex);
}

std::vector<TFoundNode> FindAllNodeText(const TTreeView& tree, const TNodeTextQuery& query) {
  std::vector<TFoundNode> found;
  int index = 0;
  for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext(), ++index)
    if (query.Matches(n->Text())) found.push_back({n, index});
  return found;
}

TTreeNode* FindNextNode(TTreeNode* from, const TNodeTextQuery& query, bool down) {
  if (!from) return nullptr;
  for (TTreeNode* n = down ? from->GetNext() : from->GetPrev(); n;
       n = down ? n->GetNext() : n->GetPrev())
    if (query.Matches(n->Text())) return n;
  return nullptr;
}

std::string NodePath(const TTreeNode& node) {
  std::vector<std::pair<TStep, int>> steps;
  for (const TTreeNode* a = &node; a && !a->IsFirstNode(); a = a->Parent()) {
    const TStep step = StepOf(a->Text());
    int position = 1;
    for (const TTreeNode* p = a->getPrevSibling(); p && !p->IsFirstNode(); p = p->getPrevSibling())
      if (SameStep(step, StepOf(p->Text()))) ++position;
    steps.emplace_back(step, position);
  }
  if (steps.empty()) return "/";
  std::string path;
  for (auto s = steps.rbegin(); s != steps.rend(); ++s) AppendStep(path, s->first, s->second);
  return path;
}

std::vector<std::string> NodePaths(const TTreeView& tree, const std::vector<TFoundNode>& found) {
  std::vector<std::string> paths;
  paths.reserve(found.size());
  if (found.empty()) return paths;
  // Per level: the counts among the siblings so far, and where the path of the node there
  // ends in `path`, the path of the node visited last.
  struct TLevel {
    std::unordered_map<std::string_view, int> Elements, Kinds;
    int All = 0;
    size_t End = 0;
  };
  const auto reset = [](std::unordered_map<std::string_view, int>& counts) {
    // Clearing costs the buckets: a level that once had many names starts afresh instead.
    if (counts.bucket_count() > 64)
      counts = {};
    else
      counts.clear();
  };
  std::vector<TLevel> levels;
  std::string path;
  size_t next = 0;
  WalkInDocumentOrder(tree, [&](const TTreeNode& n, int level) {
    const auto l = static_cast<size_t>(level);
    if (levels.size() <= l) levels.resize(l + 1);
    TLevel& at = levels[l];
    if (n.getPrevSibling() == nullptr) {
      reset(at.Elements);
      reset(at.Kinds);
      at.All = 0;
    }
    path.resize(l > 0 ? levels[l - 1].End : 0);
    if (!n.IsFirstNode()) {
      const TStep step = StepOf(n.Text());
      ++at.All;
      const int position = step.All ? at.All : ++(step.Element ? at.Elements : at.Kinds)[step.Name];
      AppendStep(path, step, position);
    }
    at.End = path.size();
    if (&n == found[next].Node) {
      paths.push_back(path.empty() ? "/" : path);
      if (++next == found.size()) return false;
    }
    return true;
  });
  return paths;
}

}  // namespace zel
