#pragma once
// The document a query runs on: the outline's text as the save writes it, parsed by libxml2,
// with the outline node that shows each parsed node. The parser's callbacks keep the lines
// they stand on, so this is for the query's process alone (one parse per process).

#include <libxml/tree.h>

#include <cstdint>
#include <string>
#include <vector>

#include "outline/TreeView.h"

namespace zel::xpath {

constexpr uint32_t kNoNode = UINT32_MAX;

// Which outline node each line of the text belongs to; closing-tag lines (and the empty line
// that may come first) belong to none.
struct TLineMap {
  std::vector<uint32_t> NodeOf{kNoNode};  // by line, from 1
  uint32_t At(long line) const {
    return line > 0 && static_cast<size_t>(line) < NodeOf.size() ? NodeOf[size_t(line)] : kNoNode;
  }
  size_t Lines() const { return NodeOf.size() - 1; }
};

// The lines a text node of the parsed document covers: from where the event before it ended
// to where it ends, and those of its first and last characters that are not blank (0: none).
struct TTextSpan {
  int Start = 0, End = 0, First = 0, Last = 0;
};

// What the parse collects besides the document.
struct TParse {
  xmlParserCtxtPtr Main = nullptr;  // entity texts are parsed in contexts of their own
  const TLineMap* Map = nullptr;
  int LastLine = 1;              // where the last event of Main ended
  std::vector<TTextSpan> Texts;  // a text node's _private holds its index + 1
  // The first fatal error, else the first error.
  bool Failed = false, Fatal = false;
  int ErrorLine = 0;
  std::string Error;
};
// Writes the save's text of the tree and the node of each of its lines.
void BuildText(const TTreeView& tree, std::string& text, TLineMap& map);
// Parses the text, keeping in `parse` what the nodes' lines need; null when the text is not
// well-formed (or cannot be read), with parse's error set. Reads no file and no network.
xmlDocPtr Parse(const std::string& text, const TLineMap& map, TParse& parse);
// The message for a text that is not well-formed, naming the node of the first error.
std::string NotWellFormed(const TTreeView& tree, const TLineMap& map, const TParse& parse);
bool IsSeparator(xmlNodePtr text, const TLineMap& map, const TParse& parse);
void MarkSelected(xmlNodePtr n, const TLineMap& map, const TParse& parse, std::vector<bool>& marks);

}  // namespace zel::xpath
