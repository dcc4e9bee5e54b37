#pragma once
// GUI test helpers: dialogs answered from a script, and a main window over a settings file in
// a temporary folder.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <deque>
#include <optional>

#include "app/Dialogs.h"
#include "app/FindDialog.h"
#include "app/TreeModel.h"
#include "app/UFormMain.h"
#include "app/UZelApps.h"
#include "platform/TestFiles.h"

namespace zel::test {

class TScriptedDialogs : public IDialogs {
 public:
  struct TShown {
    std::string Kind;  // "message", "open", "save", "font", "node"
    QString Text, Caption;
    unsigned Flags = 0;
  };

  // Answers in the order the questions come; a box with only OK needs none.
  std::deque<int> Answers;
  // nullopt cancels the dialog; otherwise its file name and read-only box.
  std::deque<std::optional<std::pair<std::string, bool>>> FileAnswers;
  std::vector<TShown> Shown;
  int Beeps = 0;
  // Runs while a message box is open (before it is answered).
  std::function<void(const QString& text)> WhileShown;

  int MessageBox(QWidget*, const QString& text, const QString& caption, unsigned flags) override {
    Shown.push_back({"message", text, caption, flags});
    if (WhileShown) WhileShown(text);
    if ((flags & 0xF) == MB_OK) return IDOK;  // a box with only OK needs no answer
    if (Answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text.toStdString();
      return IDCANCEL;
    }
    const int a = Answers.front();
    Answers.pop_front();
    return a;
  }
  bool ExecuteOpen(QWidget*, TFileDialog& d) override { return File("open", d); }
  bool ExecuteSave(QWidget*, TFileDialog& d) override { return File("save", d); }
  // The font dialog: Apply is pressed with FontApplied (if set), then OK with FontAnswer
  // (nullopt: Cancel).
  std::optional<std::pair<QFont, QColor>> FontApplied, FontAnswer;
  bool ExecuteFont(QWidget*, QFont& font, QColor& color,
                   const std::function<void(const QFont&, const QColor&)>& onApply) override {
    Shown.push_back({"font", font.family(), QString(), 0});
    if (FontApplied) onApply(FontApplied->first, FontApplied->second);
    if (!FontAnswer) return false;
    font = FontAnswer->first;
    color = FontAnswer->second;
    return true;
  }
  // The node dialog: each answer is the text typed before OK, nullopt presses Cancel.
  std::deque<std::optional<std::string>> NodeAnswers;
  QColor NodeColor;  // the memo's colour at the last node dialog
  bool ExecuteNode(QWidget*, std::string& text, const QFont&, const QColor& color) override {
    Shown.push_back({"node", QString::fromStdString(text), QString(), 0});
    NodeColor = color;
    if (NodeAnswers.empty()) {
      ADD_FAILURE() << "unexpected node dialog";
      return false;
    }
    const auto a = NodeAnswers.front();
    NodeAnswers.pop_front();
    if (!a) return false;
    text = *a;
    return true;
  }
  std::vector<QString> Urls;
  bool Browser = true;  // whether a browser takes the address
  bool OpenUrl(const QString& url) override {
    Urls.push_back(url);
    return Browser;
  }
  void Beep() override { ++Beeps; }

  std::vector<QString> Errors() const {
    std::vector<QString> out;
    for (const TShown& s : Shown)
      if (s.Caption == "Error") out.push_back(s.Text);
    return out;
  }
  std::vector<std::string> Kinds() const {
    std::vector<std::string> out;
    for (const TShown& s : Shown) out.push_back(s.Kind);
    return out;
  }

 private:
  bool File(const char* kind, TFileDialog& d) {
    Shown.push_back({kind, QString::fromStdString(d.FileName), QString(), 0});
    if (FileAnswers.empty()) {
      ADD_FAILURE() << "unexpected " << kind << " dialog";
      return false;
    }
    const auto a = FileAnswers.front();
    FileAnswers.pop_front();
    if (!a) return false;
    d.FileName = a->first;
    d.ReadOnly = a->second;
    return true;
  }
};

// The window's part of that object name, found as a test of the running program finds it.
template <class T>
T* Part(const QObject& form, const QString& name) {
  T* part = form.findChild<T*>(name);
  if (part == nullptr) ADD_FAILURE() << "no part named " << name.toStdString();
  return part;
}
// The status bar's panel `i` (0 position, 1 state, 2 messages).
inline QLabel* StatusPanel(const QObject& form, int i) {
  return Part<QLabel>(form, QStringLiteral("StatusPanels%1").arg(i));
}
inline QString PanelTextOf(const QObject& form, int i) {
  return StatusPanel(form, i)->text();
}
// The model behind the outline view.
inline TTreeModel& ModelOf(const QObject& form) {
  return *qobject_cast<TTreeModel*>(Part<TOutlineView>(form, "TreeView1")->model());
}
// The window's commands in the order of its command table.
inline std::vector<TCommand*> ActionList(const TFormMain& form) {
  std::vector<TCommand*> out;
  for (const TFormMain::TWindowRow& row : TFormMain::WindowRows())
    out.push_back(form.Command(row.Id));
  return out;
}

// A document with `books` elements of four lines each.
inline std::string Catalog(int books) {
  std::string out = "<?xml version=\"1.0\"?>\n<catalog>\n";
  for (int i = 0; i < books; ++i)
    out += "  <book id=\"" + std::to_string(i) + "\">\n    <title>T" + std::to_string(i) +
           "</title>\n  </book>\n";
  return out + "</catalog>\n";
}

class FormTest : public ::testing::Test {
 protected:
  FormTest() {
    setenv("windir", FDir.Path().c_str(), 1);
    InitializeZelApps();
    WriteBytes(FDir.File("a.xml"), Catalog(2));
    WriteBytes(FDir.File("b.xml"), Catalog(3));
  }
  ~FormTest() override {
    if (FForm) {
      FForm->Session().SetModified(false);
      FForm->close();
    }
    FForm.reset();
    FinalizeZelApps();
    unsetenv("windir");
  }

  // The window, shown (which runs its first-show steps).
  TFormMain& Form() {
    if (!FForm) {
      FForm = std::make_unique<TFormMain>(&FDialogs);
      FForm->show();
    }
    return *FForm;
  }
  // What the window does whenever the event loop goes idle.
  void Idle() { Form().FileNew1Update(); }

  // Open through the File > Open command with the dialog answering `name`.
  void Open(const std::string& name, bool readOnly = false) {
    FDialogs.FileAnswers.push_back(std::make_pair(name, readOnly));
    Form().Command(TCommandId::FileOpen)->Action()->trigger();
    Idle();
  }
  std::string Caption() { return Form().windowTitle().toStdString(); }
  std::string Panel(int i) { return PanelTextOf(Form(), i).toStdString(); }
  const std::vector<std::string>& Recent() { return Form().RecentFiles().Files(); }
  // Marks the document modified, as an editing command does.
  void Edit() {
    Form().Session().SetModified(true);
    Idle();
  }
  // Presses Cancel as soon as the next load or save lets queued messages run.
  void PressCancelDuringProcess() {
    QMetaObject::invokeMethod(Part<QPushButton>(Form(), "BitBtn1"), "click", Qt::QueuedConnection);
  }

  TTempDir FDir;
  TScriptedDialogs FDialogs;
  std::unique_ptr<TFormMain> FForm;
};

}  // namespace zel::test
