#pragma once
// Turns a tree view's outline back into XML text: each node's text on its own line, one TAB
// per level below the first (down to kMaxIndentLevel, deeper lines as deep as that), and the
// closing tags that the outline leaves out.

#include <string>
#include <string_view>

#include "base/Progress.h"
#include "outline/TreeView.h"
#include "outline/TreeWalk.h"

namespace zel {

class TTextSink;

// "</name>" for a node text such as "<name a="1">".
std::string ClosingTagOf(std::string_view text);

// A leaf that is an unclosed start tag gets its closing tag on its own line.
bool NeedsInlineClosing(const TTreeNode& node);

// The nodes a save writes, in document order: every node but the root, which holds the file
// name. visit(node, level, index) gets the level the node stands at in the file (root-level
// nodes after the first are written as further children of it) and its count from 1; the
// progress is told a percentage for each and asked after each whether to stop. Returns false
// when stopped.
template <typename Visit>
bool WalkSavedNodes(const TTreeView& tree, const TProgress& progress, Visit&& visit) {
  const size_t total = static_cast<size_t>(tree.Count());
  size_t counter = 0;
  int shift = 0;
  bool first = true;
  return WalkInDocumentOrder(tree, [&](const TTreeNode& n, int depth) {
    if (first) {
      first = false;
      return true;
    }
    ++counter;
    progress.Percent(PercentOf(counter, total));
    if (depth == 0) shift = 1;
    visit(n, depth + shift, counter);
    return !progress.Stopped();
  });
}

// Writes the file's lines (each followed by CR LF) to out as they are made, so that memory
// beyond the tree stays small whatever the document. The progress is told a percentage for
// every node below the root and asked after each whether to stop. Returns false when stopped.
bool BuildXMLText(const TTreeView& tree, TTextSink& out, const TProgress& progress = {});
// The same, appended to a string.
bool BuildXMLText(const TTreeView& tree, std::string& out, const TProgress& progress = {});

}  // namespace zel
