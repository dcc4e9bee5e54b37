#pragma once
// An XPath query of the find dialog, run beside the event loop: a notifier reads the query's
// answer as it comes, so the window never waits for it. Any change to the outline stops the
// query, for its answer names nodes by their places in the outline it started on.

#include <QObject>
#include <memory>
#include <string>

#include "editor/XPath.h"
#include "outline/TreeViewObserver.h"

class QSocketNotifier;

namespace zel {

class TXPathRun : public QObject, private ITreeViewObserver {
  Q_OBJECT

 public:
  explicit TXPathRun(TTreeView& tree, QObject* parent = nullptr);
  ~TXPathRun() override;

  // Stops a query still running (without a signal), then starts this one. Throws Exception
  // when no query can start.
  void Start(const std::string& expression);
  bool Running() const { return FJob != nullptr; }
  // The expression of the query running or run last.
  const std::string& Expression() const { return FExpression; }
  // Stops the running query at once; Stopped follows.
  void Cancel();

 signals:
  void Done(const zel::TXPathResult& result);
  // The query's own failure: the expression or the document, named.
  void Failed(const QString& message);
  // Cancelled, or the outline changed: `why` says which.
  void Stopped(const QString& why);

 private:
  void Read();
  void End();
  void Outdated();
  void NodeAboutToBeInserted(TTreeNode*, int) override { Outdated(); }
  void NodeAboutToBeRemoved(TTreeNode*) override { Outdated(); }
  void NodeAboutToBeMoved(TTreeNode*, TTreeNode*, int) override { Outdated(); }
  void NodeTextChanged(TTreeNode*) override { Outdated(); }
  void UpdatesSuspended() override { Outdated(); }
  void Reset() override { Outdated(); }

  TTreeView& FTree;
  std::string FExpression;
  std::unique_ptr<TXPathJob> FJob;
  QSocketNotifier* FNotifier = nullptr;
};

}  // namespace zel
