#pragma once
// Turns a tree view's outline back into XML text: each node's text on its own line, one TAB
// per level below the first (down to kMaxIndentLevel, deeper lines as deep as that), and the
// closing tags that the outline leaves out.

#include <string>
#include <string_view>

#include "base/Progress.h"

namespace zel {

class TTextSink;
class TTreeNode;
class TTreeView;

// "</name>" for a node text such as "<name a="1">".
std::string ClosingTagOf(std::string_view text);

// A leaf that is an unclosed start tag gets its closing tag on its own line.
bool NeedsInlineClosing(const TTreeNode& node);

// Writes the file's lines (each followed by CR LF) to out as they are made, so that memory
// beyond the tree stays small whatever the document. The progress is told a percentage for
// every node below the root and asked after each whether to stop. Returns false when stopped.
bool BuildXMLText(const TTreeView& tree, TTextSink& out, const TProgress& progress = {});
// The same, appended to a string.
bool BuildXMLText(const TTreeView& tree, std::string& out, const TProgress& progress = {});

}  // namespace zel
