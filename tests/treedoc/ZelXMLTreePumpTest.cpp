// The pump event of the load's silent stages: it must change nothing a handler of the other
// events sees, and an Abort given from it must end the load by the component's rules.

#include <gtest/gtest.h>

#include <string>

#include "ZelXMLTreeTestUtil.h"
#include "outline/TreeView.h"
#include "treedoc/ZelXMLTree.h"
#include "xml/MorXMLTree.h"

using namespace zel;
using namespace zeltest;

namespace {

// Enough lines, tokens and nodes for several pumps in every stage.
std::string ManyItems(int count) {
  std::string xml = "<?xml version=\"1.0\"?>\r\n<list>\r\n";
  for (int i = 0; i < count; ++i) xml += "  <item n=\"" + std::to_string(i) + "\">x</item>\r\n";
  return xml + "</list>\r\n";
}

// UTF-16 LE with its byte order mark: the Unicode reading path.
std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

struct PumpRecorder : Recorder {
  std::vector<TZelXMLTreeStates> pumpStates;  // the state at each pump
  PumpRecorder() {
    component.OnPump = [this](TZelXMLTree& sender) {
      pumpStates.push_back(sender.ZelXMLTreeState());
    };
  }
  int PumpsIn(TZelXMLTreeStates state) const {
    return static_cast<int>(std::count(pumpStates.begin(), pumpStates.end(), state));
  }
};

}  // namespace

TEST(ZelXMLTreePump, ChangesNeitherOutlineNorEventsAndReachesEverySilentStage) {
  TempDir dir;
  for (const std::string& bytes : {ManyItems(20000), Utf16(ManyItems(20000))}) {
    const std::string file = dir.Write("many.xml", bytes);
    Recorder plain;
    plain.component.LoadFromFile(file);
    PumpRecorder pumped;
    pumped.component.LoadFromFile(file);
    EXPECT_EQ(OutlineOf(pumped.tree), OutlineOf(plain.tree));
    EXPECT_EQ(pumped.states, plain.states);
    EXPECT_EQ(pumped.progress, plain.progress);
    EXPECT_EQ(pumped.tree.Count(), 20003);  // root, declaration, list, items
    // The read and the parse pump in the loading stage, the tree build in the next.
    EXPECT_GE(pumped.PumpsIn(zxtsLoading), 4);
    EXPECT_GE(pumped.PumpsIn(zxtsBuildTree), 4);
  }
}

TEST(ZelXMLTreePump, AbortWhileReadingEndsTheLoadWithoutFurtherEvents) {
  TempDir dir;
  for (const std::string& bytes : {ManyItems(20000), Utf16(ManyItems(20000))}) {
    PumpRecorder r;
    r.component.LoadFromFile(dir.Write("ok.xml", kBooks));
    r.Reset();
    r.component.OnPump = [&](TZelXMLTree& sender) {
      if (sender.ZelXMLTreeState() == zxtsLoading) sender.Abort();
    };
    r.component.LoadFromFile(dir.Write("many.xml", bytes));
    EXPECT_EQ(r.states, std::vector<TZelXMLTreeStates>{zxtsLoading});
    EXPECT_TRUE(r.progress.empty());
    EXPECT_EQ(r.tree.Count(), 0);  // the earlier document is gone too
    EXPECT_TRUE(r.component.Cancelled());
    EXPECT_FALSE(r.component.IsBusy());
  }
}

TEST(ZelXMLTreePump, AbortWhileBuildingTheTreeCancelsAndEmptiesIt) {
  TempDir dir;
  PumpRecorder r;
  bool aborted = false;
  r.component.OnPump = [&](TZelXMLTree& sender) {
    if (sender.ZelXMLTreeState() == zxtsBuildTree && !r.progress.empty() && !aborted) {
      aborted = true;
      sender.Abort();
    }
  };
  r.component.LoadFromFile(dir.Write("many.xml", ManyItems(20000)));
  EXPECT_TRUE(aborted);
  EXPECT_EQ(r.states, (std::vector<TZelXMLTreeStates>{zxtsLoading, zxtsBuildTree, zxtsCanceled}));
  EXPECT_EQ(r.progress.back(), 100);  // the rewrite had finished
  EXPECT_EQ(r.tree.Count(), 0);
  EXPECT_EQ(r.component.ZelXMLTreeState(), zxtsCanceled);
  EXPECT_FALSE(r.component.IsBusy());

  // The next load starts afresh.
  r.Reset();
  r.component.OnPump = nullptr;
  r.component.LoadFromFile(dir.Write("books.xml", kBooks));
  EXPECT_EQ(OutlineOf(r.tree), kBooksOutline);
}

TEST(ZelXMLTreePump, AbortWhileCountingTheLinesCancelsBeforeAnyProgress) {
  TempDir dir;
  PumpRecorder r;
  r.component.OnPump = [&](TZelXMLTree& sender) {
    if (sender.ZelXMLTreeState() == zxtsBuildTree) sender.Abort();
  };
  r.component.LoadFromFile(dir.Write("many.xml", ManyItems(20000)));
  EXPECT_EQ(r.states, (std::vector<TZelXMLTreeStates>{zxtsLoading, zxtsBuildTree, zxtsCanceled}));
  EXPECT_TRUE(r.progress.empty());
  EXPECT_EQ(r.tree.Count(), 0);
}

TEST(MorXMLTreePump, StoppingKeepsWhatWasReadAndReportsIt) {
  const std::string xml = ManyItems(10000);
  TMorXMLTree doc;
  ASSERT_TRUE(doc.ParseText(xml));
  const size_t whole = CountXMLLines(doc);
  int calls = 0;
  EXPECT_FALSE(doc.ParseText(xml, {nullptr, [&] { return ++calls >= 2; }}));
  EXPECT_EQ(calls, 2);
  // Stopped after two pumps of 4096 tokens: part of the list.
  const size_t part = CountXMLLines(doc);
  EXPECT_GT(part, 1000u);
  EXPECT_LT(part, whole / 2);

  calls = 0;
  EXPECT_TRUE(doc.ParseText(xml, {nullptr, [&] { return ++calls, false; }}));
  EXPECT_GE(calls, 6);
  EXPECT_EQ(CountXMLLines(doc), whole);
}
