#pragma once
// The Results pane under the outline: a header that counts what the last Find All or Replace
// All did, and the list of the nodes found. Enter or a click on a row asks for its node; Select
// Results asks for all of them, as the outline's selection.

#include <QDockWidget>

#include "app/ResultsModel.h"

class QLabel;
class QPushButton;
class QTableView;

namespace zel {

class TResultsPane : public QDockWidget {
  Q_OBJECT

 public:
  TResultsPane(TTreeView& tree, QWidget* parent = nullptr);

  TResultsModel& Model() { return *FModel; }
  // The nodes found, listed, and their count in the header.
  void ShowFound(std::vector<TFoundNode> found);
  void SetHeader(const QString& text);
  QString Header() const;

  // "1 match", "1,000,000 matches", "No matches".
  static QString MatchesText(size_t count);
  // "312 replacements in 300 nodes", with the nodes left as they were.
  static QString ReplacedText(size_t replacements, size_t nodes, size_t skipped);

 signals:
  void NodeChosen(TTreeNode* node);
  void AllChosen();

 private:
  QLabel* FHeader;
  QPushButton* FSelectAll;
  QTableView* FList;
  TResultsModel* FModel;
};

}  // namespace zel
