#include "editor/FindAll.h"

#include <re2/re2.h>

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "editor/PlacementRules.h"
#include "editor/TextMatch.h"
#include "platform/CodePage.h"

namespace zel {

namespace {}  // namespace

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

}  // namespace zel
