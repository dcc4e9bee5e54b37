#include <gtest/gtest.h>
#include <sys/stat.h>

#include <dirent.h>

#include "ZelXMLTreeTestUtil.h"
#include "base/Exception.h"
#include "base/TextSink.h"
#include "tests/outline/TreeWriteAccess.h"
#include "treedoc/XMLSave.h"
#include "treedoc/ZelXMLTree.h"

using namespace zel;
using namespace zeltest;

namespace {

using zel::test::kWrite;

// Builds a tree from "level:text" items.
void Build(TTreeView& tree, const std::vector<std::pair<int, std::string>>& items) {
  std::vector<TTreeNode*> last;
  for (const auto& [level, text] : items) {
    TTreeNode* parent = level == 0 ? nullptr : last[static_cast<size_t>(level - 1)];
    last.resize(static_cast<size_t>(level));
    last.push_back(tree.AddChild(kWrite, parent, text));
  }
}

std::string Saved(const std::vector<std::pair<int, std::string>>& items) {
  TempDir dir;
  Recorder r;
  Build(r.tree, items);
  r.component.SaveToFile(dir.File("out.xml"));
  return ReadAll(dir.File("out.xml"));
}

int FilesIn(const std::string& path) {
  int n = 0;
  DIR* d = opendir(path.c_str());
  while (dirent* e = readdir(d))
    if (e->d_name[0] != '.' || (e->d_name[1] != '\0' && e->d_name[1] != '.')) ++n;
  closedir(d);
  return n;
}

const std::vector<std::pair<int, std::string>> kBooksTree = {
    {0, "books.xml"},       {1, "<?xml version=\"1.0\" ?>"},  {1, "<catalog>"},
    {2, "<book id=\"1\">"}, {3, "<title>XML Basics</title>"}, {3, "<price>10</price>"},
    {2, "<note />"}};

}  // namespace

TEST(ZelXMLTreeSave, BooksGivesTheFileStatesAndProgress) {
  TempDir dir;
  Recorder r;
  Build(r.tree, kBooksTree);
  r.component.SaveToFile(dir.File("saved.xml"));
  EXPECT_EQ(ReadAll(dir.File("saved.xml")), kBooksSaved);
  EXPECT_EQ(r.states, (std::vector<TZelXMLTreeStates>{zxtsAligning, zxtsWriting, zxtsDone}));
  EXPECT_EQ(r.progress, (std::vector<int>{14, 29, 43, 57, 71, 86}));
  EXPECT_EQ(r.tree.GetFirstNode()->Text(), "saved.xml");
  EXPECT_FALSE(r.component.IsBusy());
  // And loading the saved file gives the outline again.
  r.component.LoadFromFile(dir.File("saved.xml"));
  EXPECT_EQ(OutlineOf(r.tree), std::string(kBooksOutline).replace(0, 9, "saved.xml"));
}

TEST(ZelXMLTreeSave, ClosingTags) {
  EXPECT_EQ(ClosingTagOf("<book id=\"1\">"), "</book>");
  EXPECT_EQ(ClosingTagOf("<item>one two"), "</item>");
  EXPECT_EQ(ClosingTagOf("<item"), "</item>");
  EXPECT_EQ(ClosingTagOf("<item\ta=\"1\">"), "</item>");
  EXPECT_EQ(Saved({{0, "r"},
                   {1, "<a>"},
                   {2, "<item>"},
                   {2, "<item>one two"},
                   {2, "<item a=\"1\">"},
                   {2, "<item\ta=\"1\" b=\"2\">"},
                   {2, "<x/>"}}),
            "<a>\r\n\t<item></item>\r\n\t<item>one two</item>\r\n\t<item a=\"1\"></item>\r\n"
            "\t<item\ta=\"1\" b=\"2\"></item>\r\n\t<x/>\r\n</a>\r\n");
  // A comment with children is closed by the same rule.
  EXPECT_EQ(Saved({{0, "r"}, {1, "<!-- !>"}, {2, "<b />"}}), "<!-- !>\r\n\t<b />\r\n</!-->\r\n");
}

TEST(ZelXMLTreeSave, DeepEndsAndLevelDropsCloseEachElementOnce) {
  EXPECT_EQ(Saved({{0, "r"}, {1, "<a>"}, {2, "<b>"}, {3, "<c>"}, {4, "<d/>"}}),
            "<a>\r\n\t<b>\r\n\t\t<c>\r\n\t\t\t<d/>\r\n\t\t</c>\r\n\t</b>\r\n</a>\r\n");
  EXPECT_EQ(Saved({{0, "r"}, {1, "<a>"}, {2, "<b>"}, {3, "<c>"}, {4, "<d/>"}, {2, "<e/>"}}),
            "<a>\r\n\t<b>\r\n\t\t<c>\r\n\t\t\t<d/>\r\n\t\t</c>\r\n\t</b>\r\n\t<e/>\r\n</a>\r\n");
}

TEST(ZelXMLTreeSave, TextsThatAreNotTagsAreWrittenAsTheyStand) {
  EXPECT_EQ(Saved({{0, "r"}, {1, "<a>"}, {2, "text"}, {2, ""}, {2, "<"}, {2, "x"}, {3, "<b/>"}}),
            "<a>\r\n\ttext\r\n\t\r\n\t<\r\n\tx\r\n\t\t<b/>\r\n</a>\r\n");
}

TEST(ZelXMLTreeSave, MultiLineSectionsGetTheirLineBreaksBack) {
  EXPECT_EQ(Saved({{0, "r"},
                   {1, "<a>"},
                   {2, "<!-- l1\\n   l2 -->"},
                   {2, "<![CDATA[x\\n y]]>"},
                   {2, "<t>a\\n b</t>"}}),
            "<a>\r\n\t<!-- l1\r\n  l2 -->\r\n\t<![CDATA[x\r\ny]]>\r\n\t<t>a\\n b</t>\r\n</a>\r\n");
}

TEST(ZelXMLTreeSave, LaterRootsAndEmptyTrees) {
  // Root-level nodes after the first are written as the first root's last children.
  EXPECT_EQ(Saved({{0, "r"}, {1, "<a>"}, {2, "<b/>"}, {0, "<c>"}, {1, "<d/>"}, {0, "<e/>"}}),
            "<a>\r\n\t<b/>\r\n</a>\r\n<c>\r\n\t<d/>\r\n</c>\r\n<e/>\r\n");
  EXPECT_EQ(Saved({{0, "r"}, {0, "<c/>"}}), "<c/>\r\n");

  TempDir dir;
  Recorder r;
  r.component.SaveToFile(dir.File("empty.xml"));
  EXPECT_EQ(ReadAll(dir.File("empty.xml")), "");
  EXPECT_EQ(r.component.ZelXMLTreeState(), zxtsDone);

  Build(r.tree, {{0, "books.xml"}});
  r.component.SaveToFile(dir.File("only-root.xml"));
  EXPECT_EQ(ReadAll(dir.File("only-root.xml")), "");
  EXPECT_EQ(r.tree.GetFirstNode()->Text(), "only-root.xml");
}

TEST(ZelXMLTreeSave, CancelLeavesTheTargetAlone) {
  TempDir dir;
  Recorder r;
  Build(r.tree, kBooksTree);
  const std::string target = dir.Write("keep.xml", "old");
  r.component.OnProgress = [](TZelXMLTree& sender, TZelXMLTreeStates, uint16_t) { sender.Abort(); };
  r.component.SaveToFile(target);
  EXPECT_EQ(ReadAll(target), "old");
  EXPECT_EQ(r.states, (std::vector<TZelXMLTreeStates>{zxtsAligning, zxtsCanceled}));
  EXPECT_EQ(r.tree.GetFirstNode()->Text(), "books.xml");
  EXPECT_EQ(FilesIn(dir.Path()), 1);
}

TEST(ZelXMLTreeSave, FailuresLeaveTargetAndOutlineAsTheyWere) {
  TempDir dir;
  Recorder r;
  Build(r.tree, kBooksTree);
  try {
    r.component.SaveToFile(dir.File("no/such/dir/x.xml"));
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file \"" + dir.File("no/such/dir/x.xml") +
                               "\". No such file or directory");
  }
  EXPECT_EQ(r.component.ZelXMLTreeState(), zxtsWriting);
  EXPECT_EQ(r.states.back(), zxtsWriting);
  EXPECT_FALSE(r.component.IsBusy());
  EXPECT_EQ(r.tree.GetFirstNode()->Text(), "books.xml");

  if (geteuid() != 0) {  // root writes through any permission bits
    const std::string locked = dir.Write("locked.xml", "old");
    chmod(locked.c_str(), 0444);
    EXPECT_THROW(r.component.SaveToFile(locked), EFCreateError);
    EXPECT_EQ(ReadAll(locked), "old");
  }
  EXPECT_THROW(r.component.SaveToFile(dir.Path()), EFCreateError);  // a folder
}

TEST(ZelXMLTreeSave, ReplacingKeepsPermissionsAndLinksAndLeavesNoTemporaryFile) {
  TempDir dir;
  Recorder r;
  Build(r.tree, kBooksTree);
  const std::string target = dir.Write("t.xml", "old");
  chmod(target.c_str(), 0640);
  ASSERT_EQ(symlink(target.c_str(), dir.File("link.xml").c_str()), 0);
  r.component.SaveToFile(dir.File("link.xml"));
  EXPECT_EQ(ReadAll(target), kBooksSaved);
  struct stat st {};
  ASSERT_EQ(lstat(dir.File("link.xml").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FilesIn(dir.Path()), 2);
  EXPECT_EQ(r.tree.GetFirstNode()->Text(), "link.xml");
}

namespace {

// Records how the save hands its text over.
class TPieceSink : public TTextSink {
 public:
  void Write(std::string_view text) override {
    Largest = std::max(Largest, text.size());
    Bytes += text.size();
    Text.append(text.substr(0, Keep - std::min(Keep, Text.size())));
  }
  void WriteRepeated(char c, size_t count) override {
    Bytes += count;
    Runs = std::max(Runs, count);
    Text.append(std::min(count, Keep - std::min(Keep, Text.size())), c);
  }
  size_t Largest = 0, Runs = 0, Bytes = 0;
  size_t Keep = 64;
  std::string Text;
};

}  // namespace

TEST(ZelXMLTreeSave, ADeepDocumentIsHandedOverLineByLineNeverWhole) {
  constexpr int kDepth = 3000;
  TTreeView tree;
  TTreeNode* n = tree.AddChild(kWrite, nullptr, "deep.xml");
  for (int i = 0; i < kDepth; ++i) n = tree.AddChild(kWrite, n, "<e>");
  TPieceSink sink;
  ASSERT_TRUE(BuildXMLText(tree, sink));
  // Level k opens with min(k, 256) - 1 TABs and "<e>", and closes with as many and "</e>";
  // the deepest is "<e></e>" on one line. No text is built whole, and the indentation stops
  // growing at level 256, so the text is linear in the depth.
  const size_t d = kDepth;
  size_t tabs = 255;  // the deepest line
  for (size_t k = 1; k < d; ++k) tabs += 2 * (std::min<size_t>(k, 256) - 1);
  EXPECT_EQ(sink.Bytes, tabs + (d - 1) * (5 + 6) + 9);
  EXPECT_LE(sink.Largest, 8u);
  EXPECT_EQ(sink.Runs, 255u);
  EXPECT_EQ(sink.Text.substr(0, 12), "<e>\r\n\t<e>\r\n\t");
}

TEST(ZelXMLTreeSave, ADocumentDeeperThanTheIndentationLoadsAgainToTheSameOutline) {
  TempDir dir;
  Recorder r;
  std::vector<std::pair<int, std::string>> items = {{0, "deep.xml"}};
  for (int k = 1; k <= 600; ++k) {
    items.emplace_back(k, "<e i=\"" + std::to_string(k) + "\">");
    if (k % 100 == 0) items.emplace_back(k + 1, "<t>text " + std::to_string(k) + "</t>");
  }
  items.emplace_back(300, "<!-- back at 300 -->");
  items.emplace_back(300, "<leaf a=\"1\" />");
  items.emplace_back(257, "<x />");
  items.emplace_back(2, "<y>z</y>");
  Build(r.tree, items);
  const std::string file = dir.File("deep.xml");
  r.component.SaveToFile(file);
  Recorder again;
  again.component.LoadFromFile(file);
  EXPECT_EQ(OutlineOf(again.tree), OutlineOf(r.tree));
}

TEST(ZelXMLTreeSave, SavingToADeviceWritesInPlaceAndOtherKindsFail) {
  Recorder r;
  Build(r.tree, kBooksTree);
  r.component.SaveToFile("/dev/null");
  EXPECT_EQ(r.component.ZelXMLTreeState(), zxtsDone);
  struct stat st {};
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));

  TempDir dir;
  const std::string fifo = dir.File("fifo.xml");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_THROW(r.component.SaveToFile(fifo), EFCreateError);
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(FilesIn(dir.Path()), 1);
}
