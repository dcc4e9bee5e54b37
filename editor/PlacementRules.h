#pragma once
// What XML lets stand where, read from the node texts alone: which nodes may gain children
// (an element written on one line opens up first), what may stand inside an element, and what
// the first level of the file (the root's children and any later node at root level) may
// hold. Operations, command states, drops and paste all ask here, so one rule decides.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

class TTreeNode;
class TTreeView;

enum class TNodeKind {
  nkText,           // character data, or a text run that starts with it
  nkStartTag,       // `<a b="1">`, also with text after it: holds children
  nkClosedElement,  // `<a>x</a>`, `<a />`: a whole element on one line
  nkComment,
  nkInstruction,
  nkDeclaration,  // `<?xml ...?>`
  nkDoctype,
  nkCData,
  nkOther,  // any other `<!...>`
};

TNodeKind NodeKindOf(std::string_view text);

// An element written on one line, split into its start tag and what it holds: `<a b="1">x</a>`
// gives `<a b="1">` and `x`, `<a />` and `<a></a>` give `<a>` and nothing. Nullopt for a text
// that is not such an element.
struct TOpenedElement {
  std::string StartTag, Content;
};
std::optional<TOpenedElement> OpenElement(std::string_view text);

// Whether a node with the text holds children as it stands: a start tag.
bool HoldsChildren(std::string_view text);
// The first node (the file), a start tag, or an element on one line that opens up.
bool MayGainChild(const TTreeNode& node);
// Everything but the XML declaration and the DOCTYPE may stand inside an element.
bool MayStandInside(std::string_view text);
// Whether children of `parent` (null: root level) stand at the first level of the file.
bool IsFirstLevel(const TTreeNode* parent);
// Whether the text may come last at the first level without a question being asked to get it
// there: what a drop on the root or on empty space checks while the pointer moves.
bool MayEndFirstLevel(std::string_view text);

// What keeps the first level from being well-formed.
enum : unsigned {
  kFirstLevelMisplaced = 1,  // a declaration not first, a DOCTYPE after an element or twice
  kFirstLevelSecondRoot = 2,
  kFirstLevelTextOutside = 4,
};
// The issues of the first level once `leaving` (null: none) has left it and nodes with the
// texts `entering` stand in front of `before` among the children of `parent` (the first node,
// or null for root level; null before: at the end). Nothing may come in front of the first
// node. Visits the first level only.
unsigned FirstLevelIssues(const TTreeView& tree, const TTreeNode* leaving,
                          const std::vector<std::string_view>& entering, const TTreeNode* parent,
                          const TTreeNode* before);
// The "Confirm" question for the second-root and text issues.
std::string FirstLevelQuestion(unsigned issues);

}  // namespace zel
