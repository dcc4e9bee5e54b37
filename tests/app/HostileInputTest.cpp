// Hostile files and failing disks through the window: each ends in a message box (or a loaded
// outline) and a window that goes on working with a new document.

#include <sys/stat.h>

#include <QTreeView>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/TreeModel.h"
#include "platform/PermissionScope.h"
#include "platform/SafeFile.h"
#include "tests/app/AppTestUtil.h"

namespace zel::test {
namespace {

class HostileInputTest : public FormTest {
 protected:
  // Opens the file; on a failure there is one more error and a new, unmodified document.
  // Returns the error's text, empty when the file loaded.
  QString OpenHostile(const std::string& name) {
    const size_t errorsBefore = FDialogs.Errors().size();
    Open(name);
    const std::vector<QString> errors = FDialogs.Errors();
    if (errors.size() == errorsBefore) {
      EXPECT_EQ(Form().Session().FileName(), name);
      return QString();
    }
    EXPECT_EQ(errors.size(), errorsBefore + 1);
    EXPECT_EQ(Form().Session().FileName(), "Untitled.xml");
    EXPECT_EQ(Form().Session().Tree().Count(), 1);
    EXPECT_FALSE(Form().Session().Modified());
    EXPECT_FALSE(Part<QFrame>(Form(), "PnlProgress")->isVisible());
    EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [Untitled.xml]");
    return errors.back();
  }
  // The window still opens, edits and saves a plain file.
  void ExpectUsable() {
    const size_t errorsBefore = FDialogs.Errors().size();
    Form().Command(TCommandId::FileNew)->Action()->trigger();
    Open(FDir.File("a.xml"));
    EXPECT_EQ(FDialogs.Errors().size(), errorsBefore);
    EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [a.xml]");
    EXPECT_TRUE(Form().Command(TCommandId::FileOpen)->Enabled());
    EXPECT_EQ(Part<TOutlineView>(Form(), "TreeView1")->cursor().shape(), Qt::ArrowCursor);
  }
  std::string WriteFile(const std::string& name, const std::string& bytes) {
    WriteBytes(FDir.File(name), bytes);
    return FDir.File(name);
  }
};

TEST_F(HostileInputTest, BrokenFilesEndInAMessageAndAUsableWindow) {
  const QString noMarkup =
      "The file \"%1\" holds no XML markup: no tag, comment or instruction in it is whole.";
  EXPECT_EQ(OpenHostile(WriteFile("lt.xml", std::string(1 << 20, '<'))),
            noMarkup.arg(FDir.File("lt.xml").c_str()));
  EXPECT_EQ(OpenHostile(WriteFile("gt.xml", std::string(1 << 20, '>'))),
            noMarkup.arg(FDir.File("gt.xml").c_str()));
  EXPECT_EQ(OpenHostile(WriteFile("empty.xml", "")), "List index out of bounds (0)");
  EXPECT_NE(OpenHostile(WriteFile("nul.xml", std::string(4096, '\0'))).indexOf("nul.xml"), -1);
  // A UTF-16 file cut inside its last character loads, that character replaced.
  EXPECT_EQ(OpenHostile(WriteFile("cut.xml", std::string("\xFF\xFE<\0a\0/\0>\0\r", 11))),
            QString());
  EXPECT_EQ(Form().Session().Tree().Count(), 3);
  ExpectUsable();
}

// A file name with a line break is the root's text whole, shown with the break marked, and no
// part of it reaches the saved file.
TEST_F(HostileInputTest, AFileNameWithALineBreakIsShownMarkedAndNeverSaved) {
  const std::string name = WriteFile("evil\n<inject attr=\"x\">.xml", "<r><c>t</c></r>");
  EXPECT_EQ(OpenHostile(name), QString());
  TFormMain& f = Form();
  ASSERT_EQ(f.Session().Tree().RootCount(), 1);
  EXPECT_EQ(f.Session().Tree().GetFirstNode()->Text(), "evil\n<inject attr=\"x\">.xml");
  const QString shown = QString::fromUtf8("evil\u21B5<inject attr=\"x\">.xml");
  EXPECT_EQ(ModelOf(f).IndexOf(f.Session().Tree().GetFirstNode()).data().toString(), shown);
  EXPECT_EQ(f.windowTitle(), "Zel XML Editor 1.0 - [" + shown + "]");
  Edit();
  f.Command(TCommandId::FileSave)->Action()->trigger();
  Idle();
  EXPECT_TRUE(FDialogs.Errors().empty());
  EXPECT_EQ(ReadBytes(name), "<r>\r\n\t<c>t</c>\r\n</r>\r\n");
  EXPECT_FALSE(f.Session().Modified());
  EXPECT_EQ(f.Session().Tree().RootCount(), 1);
}

TEST_F(HostileInputTest, FilesThatAreNoFilesAreRefusedAtOnce) {
  ASSERT_EQ(mkfifo(FDir.File("pipe.xml").c_str(), 0600), 0);
  std::filesystem::create_directory(FDir.File("folder.xml"));
  for (const std::string& name : {FDir.File("pipe.xml"), FDir.File("folder.xml"),
                                  std::string("/dev/zero"), std::string("/dev/null")}) {
    EXPECT_EQ(OpenHostile(name), QString("\"%1\" is not a regular file.").arg(name.c_str()));
  }
  ExpectUsable();
}

TEST_F(HostileInputTest, UnreadableAndHeldFilesAreReported) {
  const std::string closed = WriteFile("closed.xml", "<a/>");
  ASSERT_EQ(chmod(closed.c_str(), 0), 0);
  {
    TPermissionScope bits;
    if (!bits.BitsHold(closed.c_str())) GTEST_SKIP() << "this process reads through any bits";
    EXPECT_NE(OpenHostile(closed).indexOf("closed.xml"), -1);
  }
  const std::string held = WriteFile("held.xml", "<a/>");
  {
    THeldFile holder(held);
    EXPECT_NE(OpenHostile(held).indexOf("held.xml"), -1);
  }
  ExpectUsable();
}

TEST_F(HostileInputTest, DeepAndLongDocumentsLoad) {
  const int depth = 1000000;
  std::string xml;
  for (int i = 0; i < depth; ++i) xml += "<a>";
  for (int i = 0; i < depth; ++i) xml += "</a>";
  EXPECT_EQ(OpenHostile(WriteFile("deep.xml", xml)), QString());
  EXPECT_EQ(Form().Session().Tree().Count(), depth + 1);
  xml = "<a>" + std::string(size_t{100} << 20, 'x') + "</a>";
  EXPECT_EQ(OpenHostile(WriteFile("long.xml", xml)), QString());
  EXPECT_EQ(Form().Session().Tree().Count(), 2);
  ExpectUsable();
}

TEST_F(HostileInputTest, AFullDiskKeepsTheFileAndTheModifiedDocument) {
  WriteBytes(FDir.File("big.xml"), Catalog(30000));
  Open(FDir.File("big.xml"));
  Edit();
  const std::string before = ReadBytes(FDir.File("big.xml"));
  const int nodes = Form().Session().Tree().Count();
  SetSafeFileWriteFault(2, ENOSPC);  // the disk fills up after the first megabyte
  Form().Command(TCommandId::FileSave)->Action()->trigger();
  SetSafeFileWriteFault(0, 0);
  Idle();
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(FDialogs.Errors()[0], QString("Cannot write file \"%1\". No space left on device")
                                      .arg(FDir.File("big.xml").c_str()));
  EXPECT_EQ(ReadBytes(FDir.File("big.xml")), before);
  EXPECT_EQ(Form().Session().FileName(), FDir.File("big.xml"));
  EXPECT_TRUE(Form().Session().Modified());
  EXPECT_EQ(Form().Session().Tree().Count(), nodes);
  EXPECT_EQ(Caption(), "Zel XML Editor 1.0 - [big.xml*]");
  EXPECT_FALSE(Part<QFrame>(Form(), "PnlProgress")->isVisible());
  // With room again the same command saves.
  Form().Command(TCommandId::FileSave)->Action()->trigger();
  Idle();
  EXPECT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_FALSE(Form().Session().Modified());
  EXPECT_NE(ReadBytes(FDir.File("big.xml")), before);
}

TEST_F(HostileInputTest, AnUnwritableSettingsFolderIsReportedAndTheWindowCloses) {
  const std::string folder = FDir.File("settings");
  std::filesystem::create_directory(folder);
  SettingsFileName = folder + "/ZelApps.ini";
  ASSERT_EQ(chmod(folder.c_str(), 0500), 0);
  const std::string probe = WriteFile("probe", "");
  ASSERT_EQ(chmod(probe.c_str(), 0), 0);
  TPermissionScope bits;
  if (!bits.BitsHold(probe.c_str())) GTEST_SKIP() << "this process writes through any bits";
  TFormMain& f = Form();
  Open(FDir.File("a.xml"));
  EXPECT_TRUE(f.close());
  ASSERT_EQ(FDialogs.Errors().size(), 1u);
  EXPECT_EQ(FDialogs.Errors()[0], QString::fromStdString("Unable to write to " + SettingsFileName +
                                                         ": " + std::strerror(EACCES)));
  EXPECT_FALSE(f.isVisible());
}

}  // namespace
}  // namespace zel::test
