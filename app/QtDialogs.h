#pragma once
// The real dialogs: Qt's own, never the platform's native ones, so that they behave alike on
// every desktop (and offer the read-only box and the font dialog's Apply button).

#include "app/Dialogs.h"

namespace zel {

class TQtDialogs : public IDialogs {
 public:
  int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                 unsigned flags) override;
  bool ExecuteOpen(QWidget* parent, TFileDialog& dialog) override;
  bool ExecuteSave(QWidget* parent, TFileDialog& dialog) override;
  bool ExecuteFont(QWidget* parent, QFont& font, QColor& color,
                   const std::function<void(const QFont&, const QColor&)>& onApply) override;
  bool ExecuteNode(QWidget* parent, std::string& text, const QFont& treeFont,
                   const QColor& treeColor) override;
  bool OpenUrl(const QString& url) override;
  void Beep() override;
};

}  // namespace zel
