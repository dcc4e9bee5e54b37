#pragma once
// The modeless find dialog: find text, direction (Down at start), Match case, Whole word and
// its own Find Next button; Find All, a regular expression instead of the plain text, and the
// text to replace matches with; or, with XPath, Find All by an XPath expression, which the
// text options and Replace do not apply to. It keeps its texts and options while the program
// runs.

#include <QDialog>
#include <string>

#include "editor/FindAll.h"
#include "editor/TreeSearch.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zel {

class TFindDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TFindDialog(QWidget* parent = nullptr);

  QString FindText() const;
  void SetFindText(const QString& text);
  // The find text as node texts hold it.
  std::string Pattern() const;
  TFindOptions Options() const;
  // Plain or regular expression, for Find All and Replace.
  TFindAllOptions QueryOptions() const;
  std::string Replacement() const;
  // Replace All only in the nodes the Results pane lists: offered while it lists some.
  void SetResultsAvailable(bool available);
  bool InResultsOnly() const;
  // Replace and Replace All change the document: not while it cannot be changed.
  void SetReplaceAllowed(bool allowed);
  // The find text is an XPath expression, for Find All.
  bool XPathMode() const;
  // While Find All's query runs, Esc and Cancel stop it rather than close the dialog.
  void SetQueryRunning(bool running) { FQueryRunning = running; }
  void reject() override;
  // Shows the dialog without blocking the window, or brings it forward.
  void Execute();
  // Moves the shown dialog above or below `area` (global coordinates) when it covers it, to
  // the side that has room on the screen.
  void MoveAsideOf(const QRect& area);

  // "Text \"%s\" is not found." with the text as typed.
  static QString NotFoundMessage(const QString& findText);

  QLineEdit* FindEdit;
  QRadioButton* UpBtn;
  QRadioButton* DownBtn;
  QCheckBox* MatchCaseBox;
  QCheckBox* WholeWordBox;
  QPushButton* FindNextBtn;
  QPushButton* CancelBtn;
  QCheckBox* RegexBox;
  QPushButton* FindAllBtn;
  QLineEdit* ReplaceEdit;
  QCheckBox* InResultsBox;
  QPushButton* ReplaceBtn;
  QPushButton* ReplaceAllBtn;
  QCheckBox* XPathBox;

 signals:
  // The dialog's Find Next button was pressed.
  void Find();
  void FindAll();
  void Replace();
  void ReplaceAll();
  void CancelQuery();

 private:
  void UpdateButtons();
  bool FReplaceAllowed = true;
  bool FResultsAvailable = false;
  bool FQueryRunning = false;
};

}  // namespace zel
