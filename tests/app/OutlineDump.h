#pragma once
// An outline written out plainly for comparing two of them: per node its level, its expanded
// flag and its text's bytes in hex, so every byte shows.

#include <string>

#include "outline/TreeWalk.h"

namespace zel::test {

inline std::string OutlineDump(const TTreeView& tree) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  WalkInDocumentOrder(tree, [&](const TTreeNode& node, int level) {
    out += std::to_string(level);
    out += node.Expanded() ? '+' : '-';
    for (const unsigned char c : node.Text()) {
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
    out += '\n';
    return true;
  });
  return out;
}

}  // namespace zel::test
