// Replace over node texts: what a replacement makes of a text, which new texts are refused,
// and a batch as one undo step.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "EditSequence.h"
#include "base/Exception.h"
#include "editor/Replace.h"
#include "tests/outline/TreeViewTestUtil.h"

namespace zel {
namespace {

using test::Dump;
using test::LoadOutline;

// The replaced text, or "-" when nothing was replaced, with the count.
std::string Replaced(const std::string& text, const std::string& pattern, const std::string& with,
                     TFindAllOptions options = {}) {
  std::string out;
  const size_t n = TTextReplacer(pattern, with, options).Replace(text, out);
  return (n ? out : "-") + " " + std::to_string(n);
}

TEST(ReplaceTest, PlainAndRegularExpressionRewrites) {
  EXPECT_EQ(Replaced("<a b='x'>xX</a>", "x", "yy"), "<a b='yy'>yyyy</a> 3") << "a to z folded";
  EXPECT_EQ(Replaced("<a b='x'>xX</a>", "x", "y", {false, true, false}), "<a b='y'>yX</a> 2");
  EXPECT_EQ(Replaced("aaaa", "aa", "a"), "aa 2") << "matches do not overlap";
  EXPECT_EQ(Replaced("<b>", "<B>", "<c>", {false, false, true}), "<c> 1") << "the whole text";
  EXPECT_EQ(Replaced("<b>x", "<b>", "<c>", {false, false, true}), "- 0");
  EXPECT_EQ(Replaced("abc", "", "z"), "- 0");

  const TFindAllOptions regex{true, false, false};
  EXPECT_EQ(Replaced("<t>Ab 12</t>", "([a-z]+) ([0-9]+)", "\\2 \\1", regex), "<t>12 Ab</t> 1");
  EXPECT_EQ(Replaced("a1b22c", "[0-9]+", "<\\0>", regex), "a<1>b<22>c 2");
  EXPECT_EQ(Replaced("ab", "x*", "-", regex), "-a-b- 3") << "empty matches";
  EXPECT_EQ(Replaced("<t>x</t>", "x|<t>", "y", {true, false, true}), "- 0") << "whole text only";
  EXPECT_EQ(Replaced("<t>x</t>", "<(t)>x</t>", "<\\1/>", {true, false, true}), "<t/> 1");

  for (const auto& [pattern, with] :
       {std::pair{"a(b", "x"}, std::pair{"(a)", "\\2"}, std::pair{"a", "\\1"}}) {
    try {
      TTextReplacer(pattern, with, regex);
      ADD_FAILURE() << pattern << " / " << with << " is taken";
    } catch (const Exception& e) {
      EXPECT_NE(e.Message().find(with[0] == '\\' ? "Invalid replacement" : "at position"),
                std::string::npos)
          << e.Message();
    }
  }
}

TEST(ReplaceTest, BatchSkipsBrokenTextsAndIsOneUndoStep) {
  TOutlineDocument doc;
  LoadOutline(doc.Tree(),
              "a.xml\n <?xml version=\"1.0\"?>\n <a>\n  <a x=\"a\">\n   a text\n"
              "  <!-- a -->\n  <?a ?>\n  <b>a</b>\n");
  const std::string before = Dump(doc.Tree());
  doc.SetModified(false);
  const TFindAllOptions regex{true, true, false};
  // Each broken kind once: markup that stops being markup, a text that takes a '<', a start
  // tag with children that closes, a declaration inside an element.
  struct TCase {
    const char *Pattern, *With;
    size_t Changed, Replacements, Skipped;
  };
  for (const TCase& c :
       {TCase{"a", "c", 6, 7, 0}, TCase{"^<", "", 0, 0, 6}, TCase{"text", "<", 0, 0, 1},
        TCase{"^<a x=\"a\">$", "<a/>", 0, 0, 1}, TCase{"^<!-- a -->$", "<?xml?>", 0, 0, 1},
        TCase{"<\\?xml.*", "<x>", 0, 0, 1}}) {
    const TReplacePlan plan = PlanReplaceAll(doc.Tree(), TTextReplacer(c.Pattern, c.With, regex));
    EXPECT_EQ(plan.Changes.size(), c.Changed) << c.Pattern;
    EXPECT_EQ(plan.Replacements, c.Replacements) << c.Pattern;
    EXPECT_EQ(plan.Skipped, c.Skipped) << c.Pattern;
  }

  TReplacePlan plan = PlanReplaceAll(doc.Tree(), TTextReplacer("a", "c", regex));
  EXPECT_TRUE(doc.SetTexts(std::move(plan.Changes), "Replace All"));
  EXPECT_EQ(Dump(doc.Tree()),
            "a.xml\n <?xml version=\"1.0\"?>\n <c>\n  <c x=\"c\">\n   c text\n  <!-- c -->\n"
            "  <?c ?>\n  <b>c</b>\n")
      << "the file's node keeps its name";
  EXPECT_EQ(doc.UndoName(), "Replace All");
  EXPECT_EQ(doc.UndoCount(), 1u);
  doc.Undo();
  EXPECT_EQ(Dump(doc.Tree()), before);
  EXPECT_FALSE(doc.Modified());
  doc.Redo();
  EXPECT_EQ(doc.Tree().Item(7)->Text(), "<b>c</b>");

  // Only the nodes asked about, and never the file's node.
  plan = PlanReplace({doc.Tree().Item(7), doc.Tree().Item(0)}, TTextReplacer("c", "dd", {}));
  ASSERT_EQ(plan.Changes.size(), 1u);
  EXPECT_EQ(plan.Replacements, 1u);
  EXPECT_FALSE(doc.SetTexts({}, "Replace All"));
  doc.SetReadOnly(true);
  EXPECT_FALSE(doc.SetTexts(std::move(plan.Changes), "Replace All"));
}

// Any replacement, plain or by expression, over an outline of every kind of node: a save that
// was well-formed stays so, and one undo gives back the outline.
TEST(ReplaceTest, ReplaceAllNeverBreaksAWellFormedSaveAndUndoesAsOneStep) {
  static const char* const kFind[] = {"<", ">", "/", "1", "e", "l",      "x",  "\"", "-",
                                      "?", "!", " ", "=", "t", "CDATA[", "]]", "--", "a="};
  static const char* const kWith[] = {"",    "<", ">", "/", "a",  "<e>",   "--",   "?>", "\"",
                                      "]]>", "&", " ", "'", "x1", "</l1>", "<!--", "/>"};
  static const char* const kRegex[] = {"[0-9]+", "<(/?)([a-z])", "x|t", "^<",     ">$",
                                       "(.)(.)", "\\s",          ".$",  "^(.*)$", "[\"']"};
  static const char* const kRewrite[] = {"\\1\\2", "<\\1", "", "\\0\\0", "&", "<", "]]>", "\\1"};
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    const auto pick = [&](size_t n) { return size_t(rng() % n); };
    TOutlineDocument doc;
    TTreeView& tree = doc.Tree();
    TTreeNode* file = tree.AddChild(test::kWrite, nullptr, "f.xml");
    if (pick(2)) tree.AddChild(test::kWrite, file, test::KindText(9, 0));
    if (pick(2)) tree.AddChild(test::kWrite, file, test::KindText(8, 0));
    std::vector<TTreeNode*> parents{tree.AddChild(test::kWrite, file, "<d a=\"1\">")};
    for (int i = 0; i < 30; ++i) {
      TTreeNode* n = tree.AddChild(test::kWrite, parents[pick(parents.size())],
                                   test::KindText(unsigned(pick(8)), i));
      if (HoldsChildren(n->Text())) parents.push_back(n);
    }
    const std::string loaded = test::OutlineState(tree);
    ASSERT_TRUE(test::SavesWellFormed(tree)) << seed;
    for (int round = 0; round < 4; ++round) {
      const bool regex = pick(2);
      const std::string find =
          regex ? kRegex[pick(std::size(kRegex))] : kFind[pick(std::size(kFind))];
      const std::string with =
          regex ? kRewrite[pick(std::size(kRewrite))] : kWith[pick(std::size(kWith))];
      const std::string before = test::OutlineState(tree);
      TReplacePlan plan;
      try {
        plan = PlanReplaceAll(tree, TTextReplacer(find, with, {regex, bool(pick(2)), false}));
      } catch (const Exception&) {
        continue;  // \\2 without a second group
      }
      doc.SetTexts(std::move(plan.Changes), "Replace All");
      ASSERT_TRUE(test::SavesWellFormed(tree))
          << "seed " << seed << ": " << find << " -> " << with << "\n"
          << before << "became\n"
          << test::OutlineState(tree);
    }
    while (doc.CanUndo()) doc.Undo();
    EXPECT_EQ(test::OutlineState(tree), loaded) << seed;
  }
}

}  // namespace
}  // namespace zel
