#pragma once
// The document statistics of the About box, counted in one pass.

#include <cstdint>

#include "outline/TreeView.h"

namespace zel {

struct TTreeStatistic {
  // Every node but the root that names the file.
  int64_t Nodes = 0;
  // The deepest level.
  int64_t Depth = 0;
  // Text length of every node below root level.
  int64_t Characters = 0;
};

TTreeStatistic CountTreeStatistic(const TTreeView& tree);

}  // namespace zel
