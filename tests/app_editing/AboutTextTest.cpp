#include <gtest/gtest.h>

#include "app/AboutText.h"
#include "tests/outline/TreeViewTestUtil.h"

namespace zel {
namespace {

TEST(AboutTextTest, NewDocumentCountsNothing) {
  TTreeView tree;
  test::LoadOutline(tree, "Untitled.xml\n");
  EXPECT_EQ(TreeStatisticText(CountTreeStatistic(tree), false, QLocale::c()),
            "XML tree statistic:\n   Nodes: 0\n   Depth: 0\n   Characters: 0\n   Unicode: No");
}

TEST(AboutTextTest, ThousandsUseTheLocaleSeparator) {
  const TTreeStatistic s{1000, 12, 3456789};
  EXPECT_EQ(TreeStatisticText(s, true, QLocale(QLocale::German, QLocale::Germany)),
            "XML tree statistic:\n   Nodes: 1.000\n   Depth: 12\n   Characters: 3.456.789"
            "\n   Unicode: Yes");
  const QString english = TreeStatisticText(s, true, QLocale(QLocale::English));
  EXPECT_TRUE(english.contains("Nodes: 1,000\n")) << english.toStdString();
  // The C locale groups no digits by default; the box still does.
  EXPECT_TRUE(TreeStatisticText(s, true, QLocale::c()).contains("3,456,789"));
  // Counts beyond 32 bits.
  const TTreeStatistic big{0, 0, 5000000000LL};
  EXPECT_TRUE(TreeStatisticText(big, false, QLocale::c()).contains("5,000,000,000"));
}

TEST(AboutTextTest, BoxTextOrderAndYears) {
  const QString text = AboutBoxText("Zel XML Editor 1.0", AboutMessage("STAT"), 2003, 0);
  EXPECT_TRUE(
      text.startsWith("Zel XML Editor 1.0\n\nSimple \"as is\" XML documents editor.\n\n"
                      "STAT\n\nWeb site: "))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QString("\nE-mail: ") + kMailAddress + "\n\nCopyright"));
  EXPECT_TRUE(text.contains(" 2003 "));
  EXPECT_TRUE(AboutBoxText("T", "M", 2003, 2026).contains(" 2003-2026 "));
}

}  // namespace
}  // namespace zel
