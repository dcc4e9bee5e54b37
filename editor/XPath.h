#pragma once
// XPath 1.0 queries over the outline: the expression runs on the document as the save writes
// it, and each node it selects is given back as the outline node that shows it. The query
// runs in a forked copy of the process, so that the parsed document never stays in the
// editor's memory, a window stays responsive and Cancel ends it at once.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/FindAll.h"
#include "outline/TreeView.h"

namespace zel {

struct TXPathOptions {
  // The prefix that names the document's default namespace in the expression (unprefixed
  // names in XPath 1.0 are in no namespace). Empty: none.
  std::string DefaultPrefix = kXPathDefaultPrefix;
};

struct TXPathResult {
  // A node-set: the outline nodes in document order, each once. Otherwise the string value
  // of the number, string or boolean, as XPath's string() gives it.
  bool IsNodeSet = true;
  std::vector<TFoundNode> Nodes;
  std::string Value;
};

// One query, started at construction and never blocking after. The outline is taken as it is
// at construction; the nodes are looked up by their position in it when the result is read,
// so the tree must not change meanwhile (cancel the job first).
class TXPathJob {
 public:
  // Throws Exception when no process can be started.
  TXPathJob(const TTreeView& tree, std::string expression, const TXPathOptions& options = {});
  ~TXPathJob();  // cancels a query still running
  TXPathJob(const TXPathJob&) = delete;
  TXPathJob& operator=(const TXPathJob&) = delete;

  // Reads what has come and returns true once the query has finished, waiting at most
  // timeoutMs (0: not at all; negative: until it finishes).
  bool Wait(int timeoutMs);
  // Ends the query at once; its process is reaped as soon as it is gone. Result then throws.
  void Cancel();
  bool Finished() const { return FDone; }
  // A descriptor that becomes readable whenever Wait has something to read, for an event
  // loop's notifier; -1 once finished.
  int Handle() const { return FPipe; }
  // After Wait returned true. Throws Exception with the reason when the query failed: a
  // document that is not well-formed (naming the node), an expression that is not valid, a
  // cancel, or a process that ended early.
  TXPathResult Result() const;

 private:
  // How the process ends: it has (the pipe closed), it is about to (the result is whole), or
  // it is made to.
  enum class TEnd { Exited, Ending, Kill };
  void Reap(TEnd end);
  bool MessageComplete() const;

  const TTreeView& FTree;
  std::string FExpression;
  pid_t FChild = -1;
  int FPipe = -1;
  std::string FData;  // what the query's process sent so far
  bool FDone = false;
  bool FCancelled = false;
  int FStatus = 0;
};

// The same, blocking: pump (when given) runs about every 50 ms while the query runs; to
// stop, it throws, and the query ends with it.
TXPathResult EvaluateXPath(const TTreeView& tree, const std::string& expression,
                           const TXPathOptions& options = {},
                           const std::function<void()>& pump = {});

}  // namespace zel
