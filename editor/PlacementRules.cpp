#include "editor/PlacementRules.h"

#include "base/StrUtils.h"
#include "outline/TreeView.h"

namespace zel {

namespace {

bool IsNameStart(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

// The position of the '>' that ends the tag starting at text[0], quoted values skipped.
size_t TagEnd(std::string_view text) {
  char quote = 0;
  for (size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i;
    }
  }
  return std::string_view::npos;
}

}  // namespace

TNodeKind NodeKindOf(std::string_view text) {
  if (text.empty() || text[0] != '<') return TNodeKind::nkText;
  if (text.starts_with("<?xml") && (text.size() == 5 || IsBlank(text[5]) || text[5] == '?'))
    return TNodeKind::nkDeclaration;
  if (text.starts_with("<?")) return TNodeKind::nkInstruction;
  if (text.starts_with("<!--")) return TNodeKind::nkComment;
  if (text.starts_with("<![CDATA[")) return TNodeKind::nkCData;
  if (text.starts_with("<!DOCTYPE")) return TNodeKind::nkDoctype;
  if (text.size() < 2 || !IsNameStart(text[1])) return TNodeKind::nkOther;
  // The save's test for a leaf it need not close.
  if (text.find("</") != std::string_view::npos || text.ends_with("/>"))
    return TNodeKind::nkClosedElement;
  return TNodeKind::nkStartTag;
}

std::optional<TOpenedElement> OpenElement(std::string_view text) {
  if (NodeKindOf(text) != TNodeKind::nkClosedElement) return std::nullopt;
  const size_t end = TagEnd(text);
  if (end == std::string_view::npos) return std::nullopt;
  if (text[end - 1] == '/') {  // `<a b="1" />`: the whole text is the tag
    if (end + 1 != text.size()) return std::nullopt;
    std::string_view attrs = text.substr(0, end - 1);
    while (IsBlank(attrs.back())) attrs.remove_suffix(1);
    return TOpenedElement{std::string(attrs) + ">", ""};
  }
  size_t nameEnd = 1;
  while (nameEnd < end && !IsBlank(text[nameEnd]) && text[nameEnd] != '/') ++nameEnd;
  const std::string_view name = text.substr(1, nameEnd - 1);
  // The closing tag ends the text: `</name>`, blanks allowed before its '>'.
  std::string_view rest = text.substr(end + 1);
  if (!rest.ends_with('>')) return std::nullopt;
  rest.remove_suffix(1);
  while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
  const std::string close = "</" + std::string(name);
  if (!rest.ends_with(close)) return std::nullopt;
  rest.remove_suffix(close.size());
  return TOpenedElement{std::string(text.substr(0, end + 1)), std::string(TrimView(rest))};
}

bool HoldsChildren(std::string_view text) {
  return NodeKindOf(text) == TNodeKind::nkStartTag;
}

bool MayGainChild(const TTreeNode& node) {
  return node.IsFirstNode() || HoldsChildren(node.Text()) || OpenElement(node.Text()).has_value();
}

bool MayStandInside(std::string_view text) {
  const TNodeKind k = NodeKindOf(text);
  return k != TNodeKind::nkDeclaration && k != TNodeKind::nkDoctype;
}

bool IsFirstLevel(const TTreeNode* parent) {
  return !parent || parent->IsFirstNode();
}

bool MayEndFirstLevel(std::string_view text) {
  return MayStandInside(text);
}

unsigned FirstLevelIssues(const TTreeView& tree, const TTreeNode* leaving,
                          const std::vector<std::string_view>& entering, const TTreeNode* parent,
                          const TTreeNode* before) {
  const TTreeNode* root = tree.GetFirstNode();
  if (!parent && before && before == root) return kFirstLevelMisplaced;
  unsigned issues = 0;
  size_t index = 0;
  int elements = 0;
  bool declaration = false, doctype = false;
  const auto add = [&](std::string_view text) {
    switch (NodeKindOf(text)) {
      case TNodeKind::nkDeclaration:
        if (index > 0 || declaration) issues |= kFirstLevelMisplaced;
        declaration = true;
        break;
      case TNodeKind::nkDoctype:
        if (elements > 0 || doctype) issues |= kFirstLevelMisplaced;
        doctype = true;
        break;
      case TNodeKind::nkStartTag:
      case TNodeKind::nkClosedElement:
        if (elements++ > 0) issues |= kFirstLevelSecondRoot;
        break;
      case TNodeKind::nkText:
        if (!TrimView(text).empty()) issues |= kFirstLevelTextOutside;
        break;
      case TNodeKind::nkCData:
        issues |= kFirstLevelTextOutside;
        break;
      default:
        break;
    }
    ++index;
  };
  const auto enter = [&] {
    for (std::string_view t : entering) add(t);
  };
  // The root's children, then the later nodes at root level.
  const auto segment = [&](const TTreeNode* owner, const TTreeNode* first) {
    for (const TTreeNode* n = first; n; n = n->getNextSibling()) {
      if (n == before && parent == owner) enter();
      if (n != leaving) add(n->Text());
    }
    if (!before && parent == owner) enter();
  };
  if (!root) {
    enter();
    return issues;
  }
  segment(root, root->GetFirstChild());
  segment(nullptr, root->getNextSibling());
  return issues;
}

std::string FirstLevelQuestion(unsigned issues) {
  const char* what = issues & kFirstLevelSecondRoot ? "more than one root element"
                                                    : "text outside the root element";
  return std::string("The document will have ") + what + " and will not be well-formed. Go on?";
}

}  // namespace zel
