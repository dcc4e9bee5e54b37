#pragma once
// zelxml edit: the window's editing commands on a loaded session, each on the node at a place
// in the outline's listing, so that scripts can edit a file the way a user would.

#include <string>
#include <vector>

#include "editor/Commands.h"

namespace zel {

class TEditorSession;

struct TEditOp {
  TCommandId Id;
  const char* Verb;   // "up"
  std::string Label;  // how messages name it: "op 2 of 3 (up 5)"
  int Node = -1;      // the node's line in the outline, the root's being 0; -1 for none
  std::string Text;   // what Modify or Add gives the node
};

// The ops of the command line; std::runtime_error, naming the op, for an unknown one or a
// missing or malformed argument.
std::vector<TEditOp> ParseEditOps(const std::vector<std::string>& args);

// Runs the ops one after the other, each on the outline as the ones before left it. The
// document's questions are answered No. std::runtime_error, naming the op, at the first one
// whose node is missing, whose command is disabled there or that the document refuses.
void RunEditOps(TEditorSession& session, const std::vector<TEditOp>& ops);

}  // namespace zel
