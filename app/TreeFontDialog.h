#pragma once
// The font dialog of the View > Font command: the toolkit's font dialog with the effects
// (underline, strike-out), a text colour and an Apply button that applies without closing.

#include <QColor>
#include <QFontDialog>

class QComboBox;
class QPushButton;

namespace zel {

class TTreeFontDialog : public QFontDialog {
  Q_OBJECT

 public:
  explicit TTreeFontDialog(QWidget* parent = nullptr);

  // What the dialog opens with: the tree's font and text colour.
  void SetSelection(const QFont& font, const QColor& color);
  QFont SelectedFont() const { return currentFont(); }
  QColor SelectedColor() const;

  QComboBox* ColorBox;
  QPushButton* ApplyBtn;

 signals:
  // Apply was pressed: the receiver does what it does on OK; the dialog stays open.
  void Applied();
};

}  // namespace zel
