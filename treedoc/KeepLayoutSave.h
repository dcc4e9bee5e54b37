#pragma once
// The save that keeps a file's layout: the nodes that are as they were read (same text, same
// parent, same place among the levels, children as before) are written with the bytes they
// were read from, the blanks before them included; the rest as the indented save writes them,
// in the file's own line end and indentation step. An outline that is as it was read gives the
// file's bytes back. The layout learns the tree's edit count when its nodes are found as read.

#include "base/Progress.h"

namespace zel {

class TSourceLayout;
class TTextSink;
class TTreeView;

enum class TKeptSave {
  Written,
  Stopped,
  // The outline changed and where its nodes stand in the file is not known (a decoded
  // file): nothing was written, the indented save is to write it.
  Indented
};

TKeptSave BuildKeptText(const TTreeView& tree, TSourceLayout& layout, TTextSink& out,
                        const TProgress& progress = {});

}  // namespace zel
