#include "treedoc/KeptDeclaration.h"

#include "base/StrUtils.h"
#include "outline/TreeView.h"
#include "platform/CodePage.h"
#include "treedoc/SourceLayout.h"
#include "xml/MorXMLTree.h"

namespace zel {

namespace {

constexpr std::string_view kDeclarationStart = "<?xml", kDeclarationEnd = "?>";

bool StartsWithDeclaration(std::string_view text) {
  return text.starts_with(kDeclarationStart) && text.size() > kDeclarationStart.size() &&
         (IsBlank(text[kDeclarationStart.size()]) || text[kDeclarationStart.size()] == '?');
}

// The file names no encoding, and its bytes are not Unicode, which a reader tells by them.
bool NeedsItsEncodingNamed(const TSourceLayout& layout) {
  return layout.Decoded() && layout.Mark.empty() && layout.Swap.BytesLength == 0 &&
         !layout.Encoding.starts_with("UTF-");
}

}  // namespace

TTextSwap DeclarationSwap(std::string_view text, std::string_view read) {
  if (!StartsWithDeclaration(text) || !StartsWithDeclaration(read)) return {};
  text = text.substr(0, text.find(kDeclarationEnd));
  read = read.substr(0, read.find(kDeclarationEnd));
  size_t tb = 0, te = 0, rb = 0, re = 0;
  if (!FindPseudoAttribute(text, "encoding", tb, te)) return {};
  if (FindPseudoAttribute(read, "encoding", rb, re)) return {tb, te - tb, rb, re - rb};
  // Added after the version: ` encoding="..."`.
  constexpr size_t kAdded = std::string_view(" encoding=\"").size();
  if (tb < kAdded || !FindPseudoAttribute(read, "version", rb, re)) return {};
  return {tb - kAdded, te + 1 - (tb - kAdded), re + 1, 0};
}

std::string DeclarationForFile(std::string_view text, const TSourceLayout& layout) {
  std::string out(text);
  size_t b = 0, e = 0;
  const TTextSwap& swap = layout.Swap;
  if (!layout.Decoded() || !swap.Any() || !StartsWithDeclaration(text) ||
      !FindPseudoAttribute(text.substr(0, text.find(kDeclarationEnd)), "encoding", b, e) ||
      text.substr(b, e - b) != CharsetNameOf(layout.CodePage))
    return out;
  constexpr std::string_view kAdded = " encoding=\"";
  if (swap.BytesLength != 0)
    out.replace(b, e - b, layout.Slice(layout.TextStart() + swap.Bytes, swap.BytesLength));
  else if (NeedsItsEncodingNamed(layout))
    out.replace(b, e - b, layout.Encoding);
  else if (b >= kAdded.size() && text.substr(b - kAdded.size(), kAdded.size()) == kAdded)
    out.erase(b - kAdded.size(), e + 1 - (b - kAdded.size()));
  return out;
}

std::string DeclarationAsRead(const TSourceLayout& layout, size_t begin, size_t length) {
  std::string out(layout.Slice(begin, length));
  const size_t at = layout.TextStart() + layout.Swap.Bytes;
  if (NeedsItsEncodingNamed(layout) && layout.Swap.Any() && begin == layout.TextStart() &&
      at < begin + out.size() && StartsWithDeclaration(out))
    out.insert(at - begin, " encoding=\"" + layout.Encoding + "\"");
  return out;
}

bool NamesItsEncoding(const TTreeView& tree, const TSourceLayout& layout) {
  if (!layout.Mark.empty()) return true;
  const TTreeNode* root = tree.GetFirstNode();
  const TTreeNode* first = root ? root->GetFirstChild() : nullptr;
  if (!first || !StartsWithDeclaration(first->Text())) return false;
  const std::string_view text = first->Text().substr(0, first->Text().find(kDeclarationEnd));
  size_t b = 0, e = 0;
  // Naming none, as the file did.
  if (!FindPseudoAttribute(text, "encoding", b, e))
    return layout.Swap.BytesLength == 0 && !NeedsItsEncodingNamed(layout);
  const std::string_view name = text.substr(b, e - b);
  return name == CharsetNameOf(layout.CodePage) ||
         (layout.Swap.BytesLength != 0 &&
          name == layout.Slice(layout.TextStart() + layout.Swap.Bytes, layout.Swap.BytesLength));
}

}  // namespace zel
