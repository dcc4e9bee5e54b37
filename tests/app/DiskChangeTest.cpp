// Another program changing, replacing or deleting the open file: the questions come once the
// window is idle, once per change, and never after the editor's own load or save.

#include <stdio.h>

#include <QEventLoop>
#include <QTimer>

#include "tests/app/AppTestUtil.h"

namespace zel::test {
namespace {

class DiskChangeTest : public FormTest {
 protected:
  // Runs the event loop until `count` boxes have been shown, or for `ms` at most.
  void RunUntilShown(size_t count, int ms = 3000) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (FDialogs.Shown.size() >= count) loop.quit();
    });
    poll.start(10);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  }
  // Long enough for any notice to have come and been asked about.
  void RunQuietly() { RunUntilShown(size_t(-1), 600); }

  // Writes the file as a program that replaces it does: a new file renamed over it.
  void Replace(const std::string& name, const std::string& bytes) {
    WriteBytes(name + ".new", bytes);
    ASSERT_EQ(::rename((name + ".new").c_str(), name.c_str()), 0);
  }
  void ExpectBox(size_t i, const std::string& text, const char* caption, unsigned flags) {
    ASSERT_GT(FDialogs.Shown.size(), i);
    EXPECT_EQ(FDialogs.Shown[i].Text.toStdString(), text);
    EXPECT_EQ(FDialogs.Shown[i].Caption.toStdString(), caption);
    EXPECT_EQ(FDialogs.Shown[i].Flags, flags);
  }
};

TEST_F(DiskChangeTest, UnmodifiedDocumentAsksToReload) {
  const std::string a = FDir.File("a.xml");
  Open(a);
  FDialogs.Shown.clear();  // the open dialog
  const int before = Form().Session().Tree().Count();
  RunQuietly();
  EXPECT_TRUE(FDialogs.Shown.empty());  // its own load

  // Changed in place: No keeps the outline, and the change is asked about once.
  WriteBytes(a, Catalog(5));
  FDialogs.Answers = {IDNO};
  RunUntilShown(1);
  const std::string changed = "The file \"" + a + "\" was changed by another program.";
  ExpectBox(0, changed + "\rReload it?", "Confirm", MB_YESNO | MB_ICONQUESTION);
  RunQuietly();
  EXPECT_EQ(FDialogs.Shown.size(), 1u);
  EXPECT_EQ(Form().Session().Tree().Count(), before);
  EXPECT_FALSE(Form().Session().Modified());

  // Saving over that change asks first; the editor's own save then asks nothing.
  FDialogs.Answers = {IDYES};
  Form().FileSave1Execute();
  ExpectBox(
      1,
      "The file \"" + a + "\" was changed by another program since it was opened.\rOverwrite it?",
      "Warning", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
  RunQuietly();
  EXPECT_EQ(FDialogs.Shown.size(), 2u);

  // Replaced by a rename: Yes reloads.
  Replace(a, Catalog(7));
  FDialogs.Answers = {IDYES};
  RunUntilShown(3);
  ExpectBox(2, changed + "\rReload it?", "Confirm", MB_YESNO | MB_ICONQUESTION);
  EXPECT_GT(Form().Session().Tree().Count(), before);
  EXPECT_FALSE(Form().Session().Modified());
  Edit();
  Form().FileSave1Execute();  // no question: the file is as the reload found it
  RunQuietly();
  EXPECT_EQ(FDialogs.Shown.size(), 3u);

  // Deleted: told once, and the document becomes modified, so closing offers to save it.
  ASSERT_EQ(::remove(a.c_str()), 0);
  RunUntilShown(4);
  ExpectBox(3, "The file \"" + a + "\" was deleted or moved by another program.", "Warning",
            MB_OK | MB_ICONEXCLAMATION);
  EXPECT_TRUE(Form().Session().Modified());
  RunQuietly();
  EXPECT_EQ(FDialogs.Shown.size(), 4u);
}

TEST_F(DiskChangeTest, ModifiedDocumentWarnsBeforeLosingChanges) {
  const std::string a = FDir.File("a.xml");
  Open(a);
  FDialogs.Shown.clear();
  Edit();
  const int before = Form().Session().Tree().Count();
  Replace(a, Catalog(4));
  FDialogs.Answers = {IDNO};
  RunUntilShown(1);
  ExpectBox(
      0, "The file \"" + a + "\" was changed by another program.\rReload it and lose your changes?",
      "Warning", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
  EXPECT_TRUE(Form().Session().Modified());
  EXPECT_EQ(Form().Session().Tree().Count(), before);

  // No to the overwrite question leaves the other program's file and the changes as they are.
  FDialogs.Answers = {IDNO};
  Form().FileSave1Execute();
  ExpectBox(
      1,
      "The file \"" + a + "\" was changed by another program since it was opened.\rOverwrite it?",
      "Warning", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2);
  EXPECT_EQ(ReadBytes(a), Catalog(4));
  EXPECT_TRUE(Form().Session().Modified());

  // A second change asks again; Yes gives the changes up for the file.
  WriteBytes(a, Catalog(6));
  FDialogs.Answers = {IDYES};
  RunUntilShown(3);
  EXPECT_EQ(FDialogs.Shown.size(), 3u);
  EXPECT_FALSE(Form().Session().Modified());
  EXPECT_GT(Form().Session().Tree().Count(), before);
  RunQuietly();
  EXPECT_EQ(FDialogs.Shown.size(), 3u);
}

}  // namespace
}  // namespace zel::test
