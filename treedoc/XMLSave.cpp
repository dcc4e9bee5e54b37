#include "treedoc/XMLSave.h"

#include <vector>

#include "base/Progress.h"
#include "base/StrUtils.h"
#include "base/TextSink.h"
#include "outline/TreeView.h"
#include "outline/TreeWalk.h"
#include "treedoc/XMLOutline.h"

namespace zel {

namespace {

bool IsMarkup(std::string_view text) {
  return !text.empty() && text[0] == '<';
}

void AppendIndent(TTextSink& out, int level) {
  if (level > 1) out.WriteRepeated('\t', IndentLevel(static_cast<size_t>(level)) - 1);
}

// Comments and CDATA sections keep their line breaks as marks in the outline; the file gets
// the line breaks back.
void AppendNodeText(TTextSink& out, std::string_view text) {
  if (IsMultiLineSectionText(text))
    out.Write(SectionTextForFile(text));
  else
    out.Write(text);
}

void AppendClosingLine(TTextSink& out, const TTreeNode& node, int level) {
  if (!IsMarkup(node.Text())) return;  // text nodes have no tag to close
  AppendIndent(out, level);
  out.Write(ClosingTagOf(node.Text()));
  out.Write("\r\n");
}

bool StartsWithByteOrderMark(std::string_view t) {
  return t.starts_with("\xFF\xFE") || t.starts_with("\xFE\xFF") || t.starts_with("\xEF\xBB\xBF");
}

}  // namespace

std::string ClosingTagOf(std::string_view text) {
  const std::string_view rest = text.empty() ? text : text.substr(1);
  const size_t p = rest.find_first_of(" \t>");
  std::string out = "</";
  out.append(p == std::string_view::npos ? rest : rest.substr(0, p));
  out.append(">");
  return out;
}

bool NeedsInlineClosing(const TTreeNode& node) {
  const std::string_view t = node.Text();
  if (t.size() < 2 || t[0] != '<') return false;
  if (node.GetFirstChild() != nullptr) return false;
  if (t[1] == '!' || t[1] == '?') return false;
  if (t.find("</") != std::string_view::npos) return false;
  return t.compare(t.size() - 2, 2, "/>") != 0;
}

bool BuildXMLText(const TTreeView& tree, TTextSink& out, const TProgress& progress) {
  // Nodes whose lines are written and whose closing lines are still due, outermost first;
  // the node at position i stands at level i + 1.
  std::vector<const TTreeNode*> open;
  const bool done =
      WalkSavedNodes(tree, progress, [&](const TTreeNode& n, int level, size_t index) {
        // A file that began with these bytes would read back as Unicode text: an empty first
        // line keeps them text (the reader ignores it).
        if (index == 1 && StartsWithByteOrderMark(n.Text())) out.Write("\r\n");
        while (static_cast<int>(open.size()) >= level) {
          AppendClosingLine(out, *open.back(), static_cast<int>(open.size()));
          open.pop_back();
        }
        AppendIndent(out, level);
        AppendNodeText(out, n.Text());
        if (NeedsInlineClosing(n)) out.Write(ClosingTagOf(n.Text()));
        out.Write("\r\n");
        if (n.GetFirstChild() != nullptr) open.push_back(&n);
      });
  if (!done) return false;
  while (!open.empty()) {
    AppendClosingLine(out, *open.back(), static_cast<int>(open.size()));
    open.pop_back();
  }
  return true;
}

bool BuildXMLText(const TTreeView& tree, std::string& out, const TProgress& progress) {
  TStringSink sink(out);
  return BuildXMLText(tree, sink, progress);
}

}  // namespace zel
