#include "app/TreeFontConvert.h"

#include "app/NodeTextCodec.h"

namespace zel {

namespace {

constexpr unsigned kSystemColor = 0xFF000000u;

}  // namespace

QFont ToQFont(const TTreeFont& font) {
  QFont f(FromCodePage(font.Name));
  f.setPointSize(font.Size > 0 ? font.Size : 8);
  f.setBold(font.Style.Bold);
  f.setItalic(font.Style.Italic);
  f.setUnderline(font.Style.Underline);
  f.setStrikeOut(font.Style.StrikeOut);
  if (font.Pitch == TFontPitch::fpFixed) f.setFixedPitch(true);
  return f;
}

QColor ToQColor(int color, const QPalette& palette) {
  const unsigned c = static_cast<unsigned>(color);
  if ((c & kSystemColor) == kSystemColor) return palette.color(QPalette::WindowText);
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TTreeFont ToTreeFont(const QFont& font, const QColor& color, const TTreeFont& base) {
  TTreeFont t = base;
  t.Name = ToCodePage(font.family());
  if (font.pointSize() > 0) t.SetSize(font.pointSize());
  t.Style.Bold = font.bold();
  t.Style.Italic = font.italic();
  t.Style.Underline = font.underline();
  t.Style.StrikeOut = font.strikeOut();
  t.Pitch = font.fixedPitch() ? TFontPitch::fpFixed : TFontPitch::fpDefault;
  // The tree's default colour stays the system's text colour until the user picks another.
  if (color.isValid() && color != ToQColor(base.Color))
    t.Color = color.red() | (color.green() << 8) | (color.blue() << 16);
  return t;
}

}  // namespace zel
