#include <gtest/gtest.h>

#include "app/TreeFontConvert.h"

namespace zel {
namespace {

TEST(TreeFontConvertTest, RoundTripKeepsStylesSizeAndColour) {
  TTreeFont stored;  // Tahoma 8, the system's text colour
  EXPECT_EQ(ToQColor(stored.Color, QPalette()), QPalette().color(QPalette::WindowText));
  QFont f = ToQFont(stored);
  EXPECT_EQ(f.pointSize(), 8);
  f.setPointSize(14);
  f.setUnderline(true);
  f.setStrikeOut(true);
  f.setBold(true);

  const TTreeFont same = ToTreeFont(ToQFont(stored), ToQColor(stored.Color), stored);
  EXPECT_EQ(same.Color, stored.Color) << "an unchanged colour stays the system's";

  const TTreeFont t = ToTreeFont(f, QColor(0x12, 0x34, 0x56), stored);
  EXPECT_EQ(t.Size, 14);
  EXPECT_EQ(t.Height, -19);
  EXPECT_TRUE(t.Style.Underline && t.Style.StrikeOut && t.Style.Bold && !t.Style.Italic);
  EXPECT_EQ(t.Color, 0x563412);
  EXPECT_EQ(t.Charset, stored.Charset);
  EXPECT_EQ(ToQColor(t.Color), QColor(0x12, 0x34, 0x56));
  const QFont back = ToQFont(t);
  EXPECT_TRUE(back.underline() && back.strikeOut() && back.bold());
  EXPECT_EQ(back.pointSize(), 14);
}

}  // namespace
}  // namespace zel
