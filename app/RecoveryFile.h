#pragma once
// The recovery file: a document's outline as it was at one moment, with what is needed to give
// it back (its file name, whether it was untitled, the process that wrote it). Node texts are
// stored with their lengths, so every text comes back byte for byte, whatever it holds. Plain
// core code: a forked copy of the editor writes it without touching Qt.

#include <string>

#include "base/Progress.h"
#include "treedoc/TreeView.h"

namespace zel {

struct TRecoveryHeader {
  std::string FileName;
  bool Untitled = false;
  long Pid = 0;
  // The document's change count when the outline was taken.
  unsigned long Change = 0;
};

// Replaces `path` atomically with the header and the outline of `tree` (texts, levels, expanded
// flags). Raises the safe writer's errors.
void WriteRecoveryFile(const std::string& path, const TRecoveryHeader& header,
                       const TTreeView& tree);

// The header alone; Exception "The recovery file \"%s\" is damaged." when it is not one.
TRecoveryHeader ReadRecoveryHeader(const std::string& path);
// The header and the outline, which replaces the nodes of `tree`; the same error. A damaged
// file leaves `tree` empty. The progress is told the share of the file made into nodes; it is
// never asked to stop: the outline comes back whole or not at all.
TRecoveryHeader ReadRecoveryFile(const std::string& path, TTreeView& tree,
                                 const TProgress& progress = {});

}  // namespace zel
