#include "app/TreeFontDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPixmap>
#include <QPushButton>

namespace zel {

namespace {

// The sixteen basic colours that a font dialog offers, and the one the tree started with.
struct NamedColor {
  const char* Name;
  QRgb Rgb;
};
constexpr NamedColor kColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF},
};

QIcon Swatch(const QColor& color) {
  QPixmap pixmap(16, 12);
  pixmap.fill(color);
  return QIcon(pixmap);
}

}  // namespace

TTreeFontDialog::TTreeFontDialog(QWidget* parent) : QFontDialog(parent) {
  setOption(QFontDialog::DontUseNativeDialog);
  setWindowTitle("Font");

  ColorBox = new QComboBox(this);
  ColorBox->setObjectName("ColorBox");
  for (const NamedColor& c : kColors)
    ColorBox->addItem(Swatch(QColor(c.Rgb)), c.Name, QColor(c.Rgb));
  // The effects group holds underline and strike-out; the colour is an effect as well.
  QGroupBox* effects = nullptr;
  for (QGroupBox* box : findChildren<QGroupBox*>())
    if (box->findChild<QCheckBox*>()) effects = box;
  auto* label = new QLabel("C&olour:", this);
  label->setBuddy(ColorBox);
  if (effects && effects->layout()) {
    effects->layout()->addWidget(label);
    effects->layout()->addWidget(ColorBox);
  } else if (layout()) {
    layout()->addWidget(label);
    layout()->addWidget(ColorBox);
  }

  ApplyBtn = nullptr;
  if (auto* box = findChild<QDialogButtonBox*>())
    ApplyBtn = box->addButton(QDialogButtonBox::Apply);
  if (!ApplyBtn) {
    ApplyBtn = new QPushButton("Apply", this);
    if (layout()) layout()->addWidget(ApplyBtn);
  }
  ApplyBtn->setObjectName("ApplyBtn");
  connect(ApplyBtn, &QPushButton::clicked, this, &TTreeFontDialog::Applied);
}

void TTreeFontDialog::SetSelection(const QFont& font, const QColor& color) {
  setCurrentFont(font);
  int index = ColorBox->findData(color);
  if (index < 0) {
    // A colour outside the list (the system's text colour, say) is offered as it is.
    ColorBox->addItem(Swatch(color), color.name(), color);
    index = ColorBox->count() - 1;
  }
  ColorBox->setCurrentIndex(index);
}

QColor TTreeFontDialog::SelectedColor() const {
  return ColorBox->currentData().value<QColor>();
}

}  // namespace zel
