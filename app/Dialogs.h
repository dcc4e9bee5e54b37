#pragma once
// Every question, message and common dialog of the main window goes through this interface,
// so that tests can answer them from a script. QtDialogs.h gives the real ones.

#include <QColor>
#include <QFont>
#include <QString>
#include <functional>
#include <string>

#include "editor/MessageCodes.h"

class QWidget;

namespace zel {

// The settings of an open or save dialog that outlive one use of it. File names and folders
// are file-system bytes.
struct TFileDialog {
  std::string InitialDir;
  std::string FileName;
  int FilterIndex = 1;  // 1: XML Document, 2: All files
  bool ReadOnly = false;
};

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  // Text and caption as the program words them ("\r" breaks lines); returns IDYES and so on.
  virtual int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                         unsigned flags) = 0;
  // True on OK; the dialog then holds the chosen file and its read-only box.
  virtual bool ExecuteOpen(QWidget* parent, TFileDialog& dialog) = 0;
  // Asks before overwriting an existing file.
  virtual bool ExecuteSave(QWidget* parent, TFileDialog& dialog) = 0;
  // Font with effects, a text colour and an Apply button that calls onApply with what the
  // dialog shows; on OK font and color take the choice.
  virtual bool ExecuteFont(QWidget* parent, QFont& font, QColor& color,
                           const std::function<void(const QFont&, const QColor&)>& onApply) = 0;
  // The node dialog, its memo in the tree's font and colour: true on OK, and then `text`
  // holds the dialog's text.
  virtual bool ExecuteNode(QWidget* parent, std::string& text, const QFont& treeFont,
                           const QColor& treeColor) = 0;
  // The address in the system's browser; false when no browser took it.
  virtual bool OpenUrl(const QString& url) = 0;
  // The default beep and the asterisk sound.
  virtual void Beep() = 0;
};

}  // namespace zel
