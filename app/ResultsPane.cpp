#include "app/ResultsPane.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/ExceptionGuard.h"

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
    : QDockWidget("Results", parent), FModel(new TResultsModel(tree, this)) {
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
  FSelectAll = new QPushButton("Select Results", body);
  FSelectAll->setObjectName("ResultsSelect");
  FSelectAll->setToolTip("Select every listed node in the outline");
  auto* top = new QHBoxLayout;
  top->addWidget(FHeader, 1);
  top->addWidget(FSelectAll);
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
  connect(FModel, &TResultsModel::Outdated, this,
          [this] { SetHeader("The outline has changed: Find All again to list the matches."); });
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
