#include "app/XPathRun.h"

#include <QSocketNotifier>
#include <QTimer>

#include "app/NodeTextCodec.h"
#include "base/Exception.h"

namespace zel {

TXPathRun::TXPathRun(TTreeView& tree, QObject* parent) : QObject(parent), FTree(tree) {
  FTree.AddObserver(this);
}

TXPathRun::~TXPathRun() {
  FTree.RemoveObserver(this);
  End();
}

void TXPathRun::Start(const std::string& expression) {
  End();
  FExpression = expression;
  FJob = std::make_unique<TXPathJob>(FTree, expression);
  FNotifier = new QSocketNotifier(FJob->Handle(), QSocketNotifier::Read, this);
  connect(FNotifier, &QSocketNotifier::activated, this, [this] { Read(); });
}

void TXPathRun::End() {
  // The notifier goes before the job closes its descriptor.
  delete FNotifier;
  FNotifier = nullptr;
  FJob.reset();  // cancels a query still running
}

void TXPathRun::Read() {
  if (!FJob) return;
  FNotifier->setEnabled(false);
  if (!FJob->Wait(0)) {
    FNotifier->setEnabled(true);
    return;
  }
  TXPathResult result;
  QString failure;
  try {
    result = FJob->Result();
  } catch (const Exception& e) {
    failure = FromCodePage(e.Message());
  }
  End();
  if (failure.isEmpty())
    emit Done(result);
  else
    emit Failed(failure);
}

void TXPathRun::Cancel() {
  if (!FJob) return;
  End();
  emit Stopped("The XPath query was cancelled.");
}

void TXPathRun::Outdated() {
  if (!FJob) return;
  End();
  // Told after the change, not in the middle of it.
  QTimer::singleShot(0, this, [this] {
    if (!FJob) emit Stopped("The outline changed while the XPath query ran: Find All again.");
  });
}

}  // namespace zel
