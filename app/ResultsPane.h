#pragma once
// The Results pane under the outline: a header that counts what the last Find All or Replace
// All did, and the list of the nodes found. Enter or a click on a row asks for its node; Select
// Results asks for all of them, as the outline's selection. It runs Find All's XPath queries
// too: while one runs, its header says so, and its Cancel button or Esc stops it.

#include <QDockWidget>
#include <QElapsedTimer>

#include "app/ResultsModel.h"
#include "app/XPathRun.h"

class QLabel;
class QPushButton;
class QShortcut;
class QTableView;
class QTimer;

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
  // Empties the list and starts the query, whose nodes or value the pane shows when it ends.
  // Throws Exception when it cannot start.
  void RunXPath(const std::string& expression);
  void CancelXPath() { FXPath->Cancel(); }

  // "1 match", "1,000,000 matches", "No matches".
  static QString MatchesText(size_t count);
  // "312 replacements in 300 nodes", with the nodes left as they were.
  static QString ReplacedText(size_t replacements, size_t nodes, size_t skipped);

 signals:
  void NodeChosen(TTreeNode* node);
  // The XPath query failed: the expression or the document, named.
  void XPathFailed(const QString& message);
  // A query started or ended.
  void XPathRunningChanged(bool running);
  // Select Results: every listed node, as the outline's selection.
  void AllChosen();

 private:
  QLabel* FHeader;
  QPushButton* FSelectAll;
  QTableView* FList;
  TResultsModel* FModel;
  TXPathRun* FXPath;
  QPushButton* FCancel;
  QShortcut* FEscape;
  QTimer* FTicker;  // the header's running time
  QElapsedTimer FSince;
  void Running(bool running);
  void ShowRunning();
};

}  // namespace zel
