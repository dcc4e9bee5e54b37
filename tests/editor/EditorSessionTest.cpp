// The editor session without a window: its file commands, questions and disk decisions, with a
// host that answers from a script.

#include <gtest/gtest.h>
#include <time.h>

#include <deque>
#include <string>
#include <vector>

#include "editor/EditorSession.h"
#include "editor/RecoveryFile.h"
#include "platform/TestFiles.h"

namespace zel {
namespace {

using test::ReadBytes;
using test::WriteBytes;

struct TAsked {
  std::string Text, Caption;
  unsigned Flags;
};

class TScriptedHost : public IEditorHost {
 public:
  std::deque<int> Answers;
  std::deque<std::string> SaveNames;
  std::vector<TAsked> Asked;
  std::vector<std::string> Remembered, Forgotten, Events;
  // Stops the running load or save at its first percentage.
  bool AbortOnProgress = false;
  TEditorSession* Session = nullptr;

  int MessageBox(const std::string& text, const std::string& arg, const std::string& caption,
                 unsigned flags) override {
    std::string shown = text;
    if (const size_t at = shown.find("%1"); at != std::string::npos) shown.replace(at, 2, arg);
    Asked.push_back({shown, caption, flags});
    if ((flags & 0xF) == MB_OK) return IDOK;
    if (Answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << shown;
      return IDCANCEL;
    }
    const int answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  bool AskSaveName(std::string& name) override {
    if (SaveNames.empty()) return false;
    name = SaveNames.front();
    SaveNames.pop_front();
    return true;
  }
  void BeginProcess(const std::string& name, bool saving) override {
    Events.push_back((saving ? "save " : "load ") + name);
  }
  void EndProcess() override { Events.push_back("end"); }
  void Progress(TZelXMLTreeStates, uint16_t) override {
    if (AbortOnProgress) Session->Component().Abort();
  }
  void ProcessCancelled() override { Events.push_back("cancelled"); }
  void Remember(const std::string& file) override { Remembered.push_back(file); }
  void Forget(const std::string& file) override { Forgotten.push_back(file); }
  void Notice(const std::string& text) override { Notices.push_back(text); }
  std::vector<std::string> Notices;
};

class EditorSessionTest : public ::testing::Test {
 protected:
  EditorSessionTest() {
    FHost.Session = &FSession;
    FSession.Reset();
    WriteBytes(A, "<a>\n  <b>x</b>\n</a>\n");
    WriteBytes(B, "<c/>\n");
  }
  std::string Root() { return std::string(FSession.Tree().GetFirstNode()->Text()); }
  // Another program writes the file: a new size and a new time, whatever the clock's grain.
  static void WriteElsewhere(const std::string& file, const std::string& bytes) {
    WriteBytes(file, bytes);
    const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  }

  test::TTempDir FDir;
  const std::string A = FDir.File("a.xml"), B = FDir.File("b.xml");
  TScriptedHost FHost;
  TEditorSession FSession{FHost};
};

TEST_F(EditorSessionTest, OpenSaveSaveAsRevertAndTheModifiedMark) {
  FSession.Open(A, false);
  EXPECT_EQ(FSession.FileName(), A);
  EXPECT_EQ(Root(), "a.xml");
  EXPECT_FALSE(FSession.Modified());
  EXPECT_EQ(FSession.Tree().Selected(), FSession.Tree().GetFirstNode());
  EXPECT_TRUE(FSession.CommandStates().Revert);
  EXPECT_TRUE(FHost.Asked.empty());

  TTreeNode* b = FSession.Tree().GetFirstNode()->Item(0)->Item(0);
  ASSERT_TRUE(FSession.Document().SetText(b, "<b>y</b>"));
  EXPECT_TRUE(FSession.Modified());
  FSession.Save();
  EXPECT_FALSE(FSession.Modified());
  EXPECT_NE(ReadBytes(A).find("<b>y</b>"), std::string::npos);
  // Undoing back past the save marks it again.
  FSession.Document().Undo();
  EXPECT_TRUE(FSession.Modified());

  // Save As: the file left goes to the recent files, the new name is the document's.
  const std::string c = FDir.File("c.xml");
  FSession.SaveAs(c);
  EXPECT_EQ(FHost.Remembered, std::vector<std::string>{A});
  EXPECT_EQ(FSession.FileName(), c);
  EXPECT_FALSE(FSession.Modified());
  EXPECT_NE(ReadBytes(c).find("<b>x</b>"), std::string::npos);

  // Revert asks more sternly about a modified document; No keeps the changes.
  FSession.Document().SetText(b, "<b>z</b>");
  FHost.Answers = {IDNO};
  FSession.Revert();
  ASSERT_EQ(FHost.Asked.size(), 1u);
  EXPECT_EQ(FHost.Asked[0].Caption, "Warning");
  EXPECT_EQ(FHost.Asked[0].Flags, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
  EXPECT_TRUE(FSession.Modified());
  FHost.Answers = {IDYES};
  FSession.Revert();
  EXPECT_FALSE(FSession.Modified());
  EXPECT_EQ(FSession.FileName(), c);
  EXPECT_EQ(FSession.Tree().GetFirstNode()->Item(0)->Item(0)->Text(), "<b>x</b>");
  EXPECT_EQ(FHost.Forgotten, std::vector<std::string>{c});

  // New asks to save a modified document: Cancel keeps it, No drops the changes.
  FSession.Document().SetText(FSession.Tree().GetFirstNode()->Item(0)->Item(0), "<b>w</b>");
  FHost.Asked.clear();
  FHost.Answers = {IDCANCEL, IDNO};
  EXPECT_FALSE(FSession.New());
  EXPECT_EQ(FSession.FileName(), c);
  EXPECT_TRUE(FSession.New());
  EXPECT_EQ(FHost.Asked.at(0).Text, "\"" + c + "\" has been modified.\r\rSave changes?");
  EXPECT_EQ(FSession.FileName(), kUntitled);
  EXPECT_EQ(Root(), kUntitled);
  EXPECT_FALSE(FSession.CommandStates().Revert);

  // Yes on an untitled document saves under the name the host gives; none keeps it modified.
  FSession.Document().Add(FSession.Tree().GetFirstNode(), "<new/>");
  FHost.Answers = {IDYES, IDYES};
  EXPECT_FALSE(FSession.New());
  EXPECT_TRUE(FSession.Modified());
  const std::string d = FDir.File("d.xml");
  FHost.SaveNames = {d};
  EXPECT_TRUE(FSession.New());
  EXPECT_EQ(ReadBytes(d), "<new/>\r\n");

  // A read-only document that is modified cannot be saved: Yes leaves it modified.
  FSession.Open(A, true);
  EXPECT_TRUE(FSession.ReadOnly());
  FSession.SetModified(true);
  FHost.Answers = {IDYES};
  EXPECT_FALSE(FSession.New());
  EXPECT_EQ(FSession.FileName(), A);
}

TEST_F(EditorSessionTest, KeepLayoutTurnedOnAfterALoadReadsAgainOrSaysTheSavesAreIndented) {
  const std::string laidOut = "<a>\n\t<b>x</b>   <c/>\n</a>\n";
  WriteBytes(A, laidOut);
  FSession.Open(A, false);
  TTreeView& tree = FSession.Tree();
  tree.Item(1)->Expand(false);
  tree.SetSelected(tree.Item(2));
  // Unmodified: read again, without a question, with the view as it was.
  FSession.SetKeepLayout(true);
  EXPECT_TRUE(FHost.Asked.empty());
  EXPECT_TRUE(FHost.Notices.empty());
  EXPECT_TRUE(tree.Item(1)->Expanded());
  EXPECT_EQ(tree.Selected(), tree.Item(2));
  EXPECT_FALSE(FSession.Modified());
  FSession.Save();
  EXPECT_EQ(ReadBytes(A), laidOut);

  // Modified: said now and after each save, which writes the indented form.
  FSession.SetKeepLayout(false);
  FSession.Open(A, false);
  ASSERT_TRUE(FSession.Document().SetText(tree.Item(2), "<b>y</b>"));
  FSession.SetKeepLayout(true);
  ASSERT_EQ(FHost.Notices.size(), 1u);
  EXPECT_NE(FHost.Notices[0].find("Keep Layout takes effect when the file is next opened"),
            std::string::npos);
  EXPECT_TRUE(FSession.Modified());
  FSession.Save();
  ASSERT_EQ(FHost.Notices.size(), 2u);
  EXPECT_NE(FHost.Notices[1].find("indented form"), std::string::npos);
  EXPECT_EQ(ReadBytes(A).find("   <c"), std::string::npos) << ReadBytes(A);
  EXPECT_TRUE(FHost.Asked.empty());
}

TEST_F(EditorSessionTest, TheFirstIndentedSaveSaysHowManyTextsLostLineBreaksOrBlanks) {
  // Changed: a broken line, blanks at the ends, a tab, blank whole content; kept: the
  // blanks between elements and a text read as it stands.
  WriteBytes(A, "<a>\n  <p>one\ntwo</p>\n  <q> x </q><r>y\tz</r><t>\n</t><u>as is</u>\n</a>\n");
  FSession.Open(A, false);
  FSession.Save();
  ASSERT_EQ(FHost.Notices.size(), 1u);
  EXPECT_EQ(FHost.Notices[0],
            "Saved in the indented form: 4 texts lost line breaks or blanks; Keep Layout keeps "
            "them");
  FSession.Save();  // once per document
  EXPECT_EQ(FHost.Notices.size(), 1u);
  FSession.Open(A, false);  // the saved form: nothing more to lose
  FSession.Save();
  EXPECT_EQ(FHost.Notices.size(), 1u);
}

TEST_F(EditorSessionTest, AFileChangedOnDiskAsksBeforeItIsOverwrittenOrReloaded) {
  FSession.Open(A, false);
  FSession.SetModified(true);
  WriteElsewhere(A, "<other/>\n");
  FHost.Answers = {IDNO};
  FSession.Save();
  ASSERT_EQ(FHost.Asked.size(), 1u);
  EXPECT_EQ(FHost.Asked[0].Text, "The file \"" + A +
                                     "\" was changed by another program since it was "
                                     "opened.\rOverwrite it?");
  EXPECT_EQ(ReadBytes(A), "<other/>\n");
  EXPECT_TRUE(FSession.Modified());
  // Saving under another name asks nothing; the file under the document's name is no longer
  // the one compared.
  FSession.SaveAs(B);
  EXPECT_EQ(FHost.Asked.size(), 1u);
  FSession.SaveAs(A);
  EXPECT_EQ(FHost.Asked.size(), 1u);
  EXPECT_NE(ReadBytes(A).find("<b>x</b>"), std::string::npos);

  // A change seen by the watch asks once; No keeps the document, and the same state of the
  // file asks no more.
  WriteElsewhere(A, "<reloaded/>\n");
  FHost.Answers = {IDNO};
  FSession.CheckDisk();
  EXPECT_EQ(FHost.Asked.back().Text,
            "The file \"" + A + "\" was changed by another program.\rReload it?");
  FSession.CheckDisk();
  EXPECT_EQ(FHost.Asked.size(), 2u);
  // A later change reloads on Yes.
  WriteElsewhere(A, "<again>x</again>\n");
  FHost.Answers = {IDYES};
  FSession.CheckDisk();
  EXPECT_EQ(Root(), "a.xml");
  EXPECT_EQ(FSession.Tree().GetFirstNode()->Item(0)->Text(), "<again>x</again>");
  EXPECT_FALSE(FSession.Modified());

  // A deleted file marks the document, so that closing offers to save it.
  ASSERT_EQ(::unlink(A.c_str()), 0);
  FSession.CheckDisk();
  EXPECT_EQ(FHost.Asked.back().Text,
            "The file \"" + A + "\" was deleted or moved by another program.");
  EXPECT_TRUE(FSession.Modified());
}

TEST_F(EditorSessionTest, ACancelledLoadLeavesANewDocumentAndACancelledSaveTheDocument) {
  FSession.Open(A, false);
  FSession.SetModified(true);
  const std::string before = ReadBytes(A);
  FHost.AbortOnProgress = true;
  FSession.Save();
  EXPECT_EQ(ReadBytes(A), before);
  EXPECT_TRUE(FSession.Modified());
  EXPECT_EQ(FSession.FileName(), A);

  FSession.SetModified(false);
  FHost.Events.clear();
  FSession.Open(B, false);
  EXPECT_EQ(FHost.Events, (std::vector<std::string>{"load " + B, "cancelled", "end"}));
  EXPECT_EQ(FSession.FileName(), kUntitled);
  EXPECT_EQ(FSession.Tree().Count(), 1);
  EXPECT_FALSE(FSession.Modified());
  EXPECT_FALSE(FSession.Component().IsBusy());

  // A failing load leaves a new document too, and travels on.
  FHost.AbortOnProgress = false;
  FSession.Open(A, false);
  WriteBytes(B, std::string("<c>\0</c>", 8));
  EXPECT_THROW(FSession.Open(B, false), Exception);
  EXPECT_EQ(FSession.FileName(), kUntitled);
  EXPECT_EQ(FSession.Tree().Count(), 1);
  EXPECT_THROW(FSession.Reopen(FDir.File("gone.xml")), Exception);
}

TEST_F(EditorSessionTest, RecoveredChangesComeBackModifiedAndSayWhenTheFileChangedSince) {
  FSession.Open(A, false);
  FSession.Document().SetText(FSession.Tree().GetFirstNode()->Item(0), "<a n=\"1\">");
  TRecoveryHeader header;
  header.FileName = A;
  header.Pid = 1;
  header.StampKnown = true;
  header.Stamp = FSession.Stamp();
  TRecoveryBuffer buffer;
  const std::string file = FDir.File("1-1-1.recovery");
  const auto write = [&] {
    ASSERT_EQ(
        WriteRecoveryFile(file.c_str(), FDir.File("t").c_str(), header, FSession.Tree(), buffer),
        0);
  };
  write();
  FSession.SetModified(false);
  FSession.Reset();
  std::vector<std::string> adopted;
  const auto adopt = [&](const std::string& f) { adopted.push_back(f); };

  FHost.Answers = {IDYES};
  EXPECT_TRUE(FSession.OfferRecovery({file}, ".recovery", adopt));
  EXPECT_EQ(adopted, std::vector<std::string>{file});
  EXPECT_EQ(FSession.FileName(), A);
  EXPECT_TRUE(FSession.Modified());
  EXPECT_EQ(FSession.Tree().GetFirstNode()->Item(0)->Text(), "<a n=\"1\">");
  EXPECT_EQ(FHost.Asked.size(), 1u);  // the file is as the changes left it: no warning
  FSession.Save();
  EXPECT_EQ(FHost.Asked.size(), 1u);

  // The file changed after the changes were made: a warning, and Save asks.
  write();
  WriteElsewhere(A, "<other/>\n");
  FSession.SetModified(false);
  FHost.Answers = {IDYES, IDNO};
  EXPECT_TRUE(FSession.OfferRecovery({file}, ".recovery", adopt));
  EXPECT_EQ(FHost.Asked.back().Text, "The file \"" + A +
                                         "\" was changed by another program after these "
                                         "changes were made.");
  FSession.Save();
  EXPECT_EQ(FHost.Asked.back().Caption, "Warning");
  EXPECT_EQ(ReadBytes(A), "<other/>\n");

  // No deletes the file; a damaged one is reported with the question whether to delete it.
  write();
  FHost.Answers = {IDNO};
  EXPECT_FALSE(FSession.OfferRecovery({file}, ".recovery", adopt));
  EXPECT_FALSE(FileExists(file));
  WriteBytes(file, "damaged");
  FHost.Answers = {IDYES};
  EXPECT_FALSE(FSession.OfferRecovery({file}, ".recovery", adopt));
  EXPECT_TRUE(FHost.Asked.back().Text.ends_with("is damaged.\rDelete it?"))
      << FHost.Asked.back().Text;
  EXPECT_FALSE(FileExists(file));
}

}  // namespace
}  // namespace zel
