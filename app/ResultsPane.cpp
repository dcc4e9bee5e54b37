#include "app/ResultsPane.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ExceptionGuard.h"
#include "app/NodeTextCodec.h"

namespace zel {

namespace {

// Digits in threes, the way the counts read in English.
QString Grouped(size_t n) {
  QString digits = QString::number(qulonglong(n));
  for (qsizetype at = digits.size() - 3; at > 0; at -= 3) digits.insert(at, ',');
  return digits;
}

QString Counted(size_t n, const char* one, const char* many) {
  return Grouped(n) + ' ' + (n == 1 ? one : many);
}

}  // namespace

TResultsPane::TResultsPane(TTreeView& tree, QWidget* parent)
    : QDockWidget("Results", parent),
      FModel(new TResultsModel(tree, this)),
      FXPath(new TXPathRun(tree, this)) {
  setObjectName("Results");
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
  setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
  auto* body = new QWidget(this);
  auto* column = new QVBoxLayout(body);
  column->setContentsMargins(2, 2, 2, 2);
  column->setSpacing(2);
  FHeader = new QLabel(body);
  FHeader->setObjectName("ResultsHeader");
  FHeader->setTextFormat(Qt::PlainText);
  FCancel = new QPushButton("Cancel", body);
  FCancel->setObjectName("ResultsCancel");
  FCancel->setToolTip("Stop the XPath query (Esc)");
  FCancel->hide();
  FSelectAll = new QPushButton("Select Results", body);
  FSelectAll->setObjectName("ResultsSelect");
  FSelectAll->setToolTip("Select every listed node in the outline");
  // Outside a dialog a push button takes only Space: Return and Enter should click it too.
  FSelectAll->setAutoDefault(true);
  FSelectAll->setEnabled(false);
  FCancel->setAutoDefault(true);
  auto* top = new QHBoxLayout;
  top->addWidget(FHeader, 1);
  top->addWidget(FSelectAll);
  top->addWidget(FCancel);
  column->addLayout(top);
  FList = new QTableView(body);
  FList->setObjectName("ResultsList");
  FList->setModel(FModel);
  FList->setSelectionBehavior(QAbstractItemView::SelectRows);
  FList->setSelectionMode(QAbstractItemView::SingleSelection);
  FList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FList->setShowGrid(false);
  FList->setWordWrap(false);
  FList->setTabKeyNavigation(false);
  // A million rows: fixed heights, no per-row header, no measuring of contents.
  FList->verticalHeader()->hide();
  FList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  FList->verticalHeader()->setDefaultSectionSize(FList->fontMetrics().height() + 4);
  FList->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  FList->horizontalHeader()->setStretchLastSection(false);
  FList->horizontalHeader()->resizeSection(TResultsModel::kText, 260);
  FList->horizontalHeader()->resizeSection(TResultsModel::kPath, 240);
  FList->horizontalHeader()->resizeSection(TResultsModel::kRow, 60);
  column->addWidget(FList, 1);
  setWidget(body);

  const auto choose = [this](const QModelIndex& i) {
    if (TTreeNode* n = FModel->NodeAt(i.row())) Guarded([&] { emit NodeChosen(n); });
  };
  connect(FList, &QAbstractItemView::activated, this, choose);
  connect(FList, &QAbstractItemView::clicked, this, choose);
  connect(FSelectAll, &QPushButton::clicked, this, [this] {
    if (!FModel->Empty()) Guarded([&] { emit AllChosen(); });
  });
  connect(FModel, &QAbstractItemModel::modelReset, this,
          [this] { FSelectAll->setEnabled(!FModel->Empty()); });
  connect(FModel, &TResultsModel::Outdated, this,
          [this] { SetHeader("The outline has changed: Find All again to list the matches."); });

  // Esc anywhere in the window while a query runs, and only then.
  FEscape = new QShortcut(QKeySequence(Qt::Key_Escape), parent ? parent : this);
  FEscape->setEnabled(false);
  FTicker = new QTimer(this);
  FTicker->setInterval(500);
  connect(FTicker, &QTimer::timeout, this, [this] { ShowRunning(); });
  connect(FCancel, &QPushButton::clicked, this, [this] { CancelXPath(); });
  connect(FEscape, &QShortcut::activated, this, [this] { CancelXPath(); });
  connect(FXPath, &TXPathRun::Done, this, [this](const TXPathResult& result) {
    Running(false);
    if (result.IsNodeSet) {
      ShowFound(result.Nodes);
    } else {
      SetHeader(FromCodePage(FXPath->Expression()) + " = " + FromCodePage(result.Value));
    }
  });
  connect(FXPath, &TXPathRun::Failed, this, [this](const QString& message) {
    Running(false);
    SetHeader("The XPath query failed.");
    emit XPathFailed(message);
  });
  connect(FXPath, &TXPathRun::Stopped, this, [this](const QString& why) {
    Running(false);
    SetHeader(why);
  });
}

void TResultsPane::RunXPath(const std::string& expression) {
  FXPath->Start(expression);
  FModel->Clear();
  FSince.start();
  Running(true);
}

void TResultsPane::Running(bool running) {
  FCancel->setVisible(running);
  FEscape->setEnabled(running);
  if (running) {
    FTicker->start();
    ShowRunning();
  } else {
    FTicker->stop();
  }
  emit XPathRunningChanged(running);
}

void TResultsPane::ShowRunning() {
  const qint64 seconds = FSince.elapsed() / 1000;
  QString text = "Running the XPath query " + FromCodePage(FXPath->Expression()) + " ...";
  if (seconds > 0) text += QString(" %1 s").arg(seconds);
  SetHeader(text);
}

void TResultsPane::ShowFound(std::vector<TFoundNode> found) {
  const size_t count = found.size();
  FModel->SetFound(std::move(found));
  SetHeader(MatchesText(count));
  if (count > 0) FList->setCurrentIndex(FModel->index(0, 0));
}

void TResultsPane::SetHeader(const QString& text) {
  FHeader->setText(text);
}

QString TResultsPane::Header() const {
  return FHeader->text();
}

QString TResultsPane::MatchesText(size_t count) {
  return count == 0 ? QString("No matches") : Counted(count, "match", "matches");
}

QString TResultsPane::ReplacedText(size_t replacements, size_t nodes, size_t skipped) {
  QString text = Counted(replacements, "replacement", "replacements") + " in " +
                 Counted(nodes, "node", "nodes");
  if (skipped == 1)
    text += "; 1 node left as it was, where the new text would not be valid";
  else if (skipped > 1)
    text += "; " + Counted(skipped, "node", "nodes") +
            " left as they were, where the new texts would not be valid";
  return text;
}

}  // namespace zel
