#pragma once
// A subtree as XML text and back, for the clipboard: the text a save writes for it, and text
// from any program read through the editor's own reader.

#include <optional>
#include <string>
#include <string_view>

#include "outline/TreeView.h"
#include "treedoc/ZelXMLTree.h"

namespace zel {

// The XML text of `node` and its subtree, indented from the node's own level, closing tags
// added, as a save writes it.
std::string SubtreeXMLText(const TTreeNode& node);

// The comment a subtree becomes: its XML text, without the last line end, inside "<!--" and
// "-->". A hyphen whose blanks after it lead to another hyphen or to the end gets one blank
// more, so that no "--" stands inside and the text ends in no hyphen; UncommentedText takes
// exactly those blanks out again.
std::string CommentOutText(const TTreeNode& node);
// The text a comment node holds, its blanks after hyphens taken out; nullopt for a node text
// that is no comment.
std::optional<std::string> UncommentedText(std::string_view comment);

// Replaces the nodes of `into` with the outline of `text` as a load of a file holding it gives
// it: one root, which stands for the file name, over the nodes the text holds; a CDATA section
// alone, for which a load makes no node, is one node. Throws as a load does. With `reader`, the
// read raises its events and stops on its Abort (its Cancelled tells).
void ReadXMLText(const std::string& text, TTreeView& into, TZelXMLTree* reader = nullptr);

// Whether UTF-8 text is well-formed XML: a whole document when it begins with an XML
// declaration or a DOCTYPE, else the content of an element (several elements, text). What is
// not, the reader mends.
bool IsWellFormedText(std::string_view utf8);

}  // namespace zel
