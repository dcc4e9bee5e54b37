#pragma once
// The tree's font as the settings keep it (TTreeFont, colours as 0x00BBGGRR or a system colour
// 0xFF0000nn) and as Qt draws it. The font dialog works on the Qt side; the tree keeps the rest.

#include <QColor>
#include <QFont>
#include <QPalette>

#include "treedoc/TreeViewFont.h"

namespace zel {

QFont ToQFont(const TTreeFont& font);
// System colours take the palette's text colour.
QColor ToQColor(int color, const QPalette& palette = QPalette());
// The font and colour chosen in the dialog, on top of the fields Qt does not carry (charset).
TTreeFont ToTreeFont(const QFont& font, const QColor& color, const TTreeFont& base);

}  // namespace zel
