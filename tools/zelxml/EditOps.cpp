#include "tools/zelxml/EditOps.h"

#include <cstdlib>
#include <stdexcept>

#include "base/UpdateGuard.h"
#include "editor/EditorSession.h"

namespace zel {

namespace {

enum class TArgs { None, Node, NodeAndText };

struct TVerb {
  const char* Name;
  TCommandId Id;
  TArgs Args;
};

using enum TCommandId;
constexpr TVerb kVerbs[] = {
    {"set", EditModify, TArgs::NodeAndText}, {"add", EditAdd, TArgs::NodeAndText},
    {"delete", EditDelete, TArgs::Node},     {"up", EditMoveUp, TArgs::Node},
    {"down", EditMoveDown, TArgs::Node},     {"promote", EditPromote, TArgs::Node},
    {"demote", EditDemote, TArgs::Node},     {"duplicate", EditDuplicate, TArgs::Node},
    {"undo", EditUndo, TArgs::None},         {"redo", EditRedo, TArgs::None},
};

[[noreturn]] void Fail(const std::string& label, const std::string& why) {
  throw std::runtime_error(label + ": " + why);
}

// Digits only: "-1", "+2" or "3x" name no line.
int ParseIndex(const std::string& label, const std::string& arg) {
  if (arg.empty() || arg.find_first_not_of("0123456789") != std::string::npos || arg.size() > 9)
    Fail(label, "bad node index \"" + arg + "\"");
  return std::atoi(arg.c_str());
}

// The node of the op, selected as the user would select it.
TTreeNode* SelectNode(TEditorSession& session, const TEditOp& op) {
  TTreeView& tree = session.Tree();
  if (op.Node >= tree.Count())
    Fail(op.Label, "bad node index " + std::to_string(op.Node) + ": the outline has " +
                       std::to_string(tree.Count()) + " nodes, 0 to " +
                       std::to_string(tree.Count() - 1));
  TTreeNode* node = tree.Item(op.Node);
  tree.SetSelected(node);
  return node;
}

// Runs one op as its command; false when the document refused it.
bool Run(TEditorSession& session, const TEditOp& op) {
  TOutlineDocument& doc = session.Document();
  TTreeNode* node = op.Node >= 0 ? SelectNode(session, op) : nullptr;
  const TCommandRow& row = CommandRow(op.Id);
  if (!row.Enabled(session.CommandInput()))
    Fail(op.Label, node ? "not allowed on node " + std::to_string(op.Node)
                        : std::string("nothing to ") + op.Verb);
  switch (op.Id) {
    case EditModify: {
      // As the window takes an edited text: the step, and the mark of an accepted edit.
      const bool stepMade = doc.SetText(node, op.Text);
      if (!doc.Declined()) MarkAccepted(doc, stepMade);
      break;
    }
    case EditAdd:
      // The window's Add with its text asked for first: one step, the text placed as it stands.
      if (!doc.Add(node, op.Text)) return false;
      break;
    default:
      row.Act(doc, TNodeSelection());
      break;
  }
  return !doc.Declined();
}

}  // namespace

std::vector<TEditOp> ParseEditOps(const std::vector<std::string>& args) {
  std::vector<TEditOp> ops;
  for (size_t i = 0; i < args.size();) {
    const std::string& name = args[i++];
    std::string label = "op " + std::to_string(ops.size() + 1) + " (" + name;
    const TVerb* verb = nullptr;
    for (const TVerb& v : kVerbs)
      if (name == v.Name) verb = &v;
    if (!verb) Fail(label + ")", "unknown operation");
    TEditOp op{verb->Id, verb->Name, {}, -1, {}};
    if (verb->Args != TArgs::None) {
      if (i >= args.size()) Fail(label + ")", "missing node index");
      label += " " + args[i];
      op.Node = ParseIndex(label + ")", args[i++]);
    }
    if (verb->Args == TArgs::NodeAndText) {
      if (i >= args.size()) Fail(label + ")", "missing text");
      op.Text = args[i++];
      label += " \"" + op.Text + "\"";
    }
    op.Label = label + ")";
    ops.push_back(std::move(op));
  }
  // Every label says how many ops there are.
  const std::string of = " of " + std::to_string(ops.size());
  for (TEditOp& op : ops) op.Label.insert(op.Label.find(' ', 3), of);
  return ops;
}

void RunEditOps(TEditorSession& session, const std::vector<TEditOp>& ops) {
  TOutlineDocument& doc = session.Document();
  std::string question;
  doc.SetConfirm([&question](const std::string& q) {
    question = q;
    return false;
  });
  const TScopeExit unhook([&doc] { doc.SetConfirm(nullptr); });
  for (const TEditOp& op : ops) {
    question.clear();
    if (Run(session, op)) continue;
    Fail(op.Label, !doc.Refusal().empty() ? doc.Refusal()
                   : question.empty()     ? std::string("refused")
                                          : "refused, answering No to: " + question);
  }
}

}  // namespace zel
