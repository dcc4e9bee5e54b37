#include "app/QtStoredProps.h"

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "app/NodeTextCodec.h"

namespace zel {

namespace {

enum { fpDefault, fpVariable, fpFixed };
constexpr int kMaxPointSize = 1000;
enum { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c) {
  return c == 0 ? 0 : static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

TQtFont& FontOf(TPersistent& o) {
  return static_cast<TQtFont&>(o);
}

}  // namespace

const std::vector<std::string>& MainWindowStoredProps() {
  static const std::vector<std::string> entries = {"TreeView1.Font", "TreeView1.ToolTips",
                                                   "FindDialog1.FindText", "EditUseDialog1.Checked",
                                                   "FileKeepLayout1.Checked"};
  return entries;
}

TQtComponent::TQtComponent(TComponentOwner& owner, const std::string& name, QObject* anchor)
    : TComponent(&owner, name) {
  FAnchorGone = QObject::connect(anchor, &QObject::destroyed, [this] { delete this; });
}

TQtComponent::~TQtComponent() {
  QObject::disconnect(FAnchorGone);
}

void TQtComponent::AddObject(const std::string& name, std::unique_ptr<TPersistent> object) {
  TPersistent* o = object.get();
  FObjects.push_back(std::move(object));
  AddProp(ObjectProp(name, [o](TPersistent&) { return o; }));
}

const TPropInfos& TQtFont::PublishedProps() const {
  static const TPropInfos props = {
      IntegerProp(
          "Charset", [](TPersistent&) { return 1; },  // the system's default character set
          [](TPersistent&, int) {}),
      IntegerProp(
          "Color", [](TPersistent& o) { return FontOf(o).Color(); },
          [](TPersistent& o, int v) { FontOf(o).SetColor(v); }),
      IntegerProp(
          "Height", [](TPersistent& o) { return FontOf(o).Height(); },
          [](TPersistent& o, int v) { FontOf(o).SetHeight(v); }),
      StringProp(
          "Name", [](TPersistent& o) { return FontOf(o).Name(); },
          [](TPersistent& o, const std::string& v) { FontOf(o).SetName(v); }),
      EnumProp(
          "Pitch", {"fpDefault", "fpVariable", "fpFixed"},
          [](TPersistent& o) { return FontOf(o).Pitch(); },
          [](TPersistent& o, int v) { FontOf(o).SetPitch(v); }),
      IntegerProp(
          "Size", [](TPersistent& o) { return FontOf(o).Size(); },
          [](TPersistent& o, int v) { FontOf(o).SetSize(v); }),
      SetProp(
          "Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"},
          [](TPersistent& o) { return FontOf(o).Style(); },
          [](TPersistent& o, uint32_t v) { FontOf(o).SetStyle(v); }),
  };
  return props;
}

int TQtFont::PixelsPerInch() const {
  return qRound(FWidget->screen()->logicalDotsPerInch());
}

int TQtFont::Color() const {
  const QColor c = FWidget->palette().color(QPalette::Text);
  if (c == QApplication::palette(FWidget).color(QPalette::Text)) return clWindowText;
  return c.red() | c.green() << 8 | c.blue() << 16;
}

void TQtFont::SetColor(int color) {
  QPalette palette = FWidget->palette();
  // Negative values are system colours; the palette's own text colour stands for them.
  palette.setColor(QPalette::Text,
                   color < 0 ? QApplication::palette(FWidget).color(QPalette::Text)
                             : QColor(color & 0xFF, color >> 8 & 0xFF, color >> 16 & 0xFF));
  FWidget->setPalette(palette);
}

int TQtFont::Height() const {
  const QFont font = FWidget->font();
  if (font.pointSize() <= 0 && font.pixelSize() > 0) return -font.pixelSize();
  return -MulDiv(font.pointSize(), PixelsPerInch(), 72);
}

void TQtFont::SetHeight(int height) {
  SetSize(MulDiv(height < 0 ? -height : height, 72, PixelsPerInch()));
}

std::string TQtFont::Name() const {
  return ToCodePage(FWidget->font().family());
}

void TQtFont::SetName(const std::string& name) {
  if (name.empty()) return;
  QFont font = FWidget->font();
  font.setFamilies({FromCodePage(name)});
  FWidget->setFont(font);
}

int TQtFont::Pitch() const {
  return FWidget->font().fixedPitch() ? fpFixed : FPitch;
}

void TQtFont::SetPitch(int pitch) {
  FPitch = pitch == fpFixed ? fpDefault : pitch;
  QFont font = FWidget->font();
  font.setFixedPitch(pitch == fpFixed);
  FWidget->setFont(font);
}

int TQtFont::Size() const {
  const QFont font = FWidget->font();
  if (font.pointSize() > 0) return font.pointSize();
  return MulDiv(font.pixelSize(), 72, PixelsPerInch());
}

void TQtFont::SetSize(int size) {
  QFont font = FWidget->font();
  // A Windows font of size 0 takes the default height. A damaged settings file must not ask
  // the renderer for glyphs of millions of points.
  font.setPointSize(size > 0 ? std::min(size, kMaxPointSize)
                             : QApplication::font(FWidget).pointSize());
  FWidget->setFont(font);
}

uint32_t TQtFont::Style() const {
  const QFont font = FWidget->font();
  return (font.bold() ? 1u << fsBold : 0) | (font.italic() ? 1u << fsItalic : 0) |
         (font.underline() ? 1u << fsUnderline : 0) | (font.strikeOut() ? 1u << fsStrikeOut : 0);
}

void TQtFont::SetStyle(uint32_t style) {
  QFont font = FWidget->font();
  font.setBold(style & 1u << fsBold);
  font.setItalic(style & 1u << fsItalic);
  font.setUnderline(style & 1u << fsUnderline);
  font.setStrikeOut(style & 1u << fsStrikeOut);
  FWidget->setFont(font);
}

TQtComponent* AddTreeViewComponent(TComponentOwner& owner, const std::string& name, QWidget* view,
                                   std::function<bool()> toolTips,
                                   std::function<void(bool)> setToolTips) {
  auto* c = new TQtComponent(owner, name, view);
  c->AddObject("Font", std::make_unique<TQtFont>(view));
  c->AddProp(BooleanProp(
      "ToolTips", [get = std::move(toolTips)](TPersistent&) { return get(); },
      [set = std::move(setToolTips)](TPersistent&, bool v) { set(v); }));
  return c;
}

TQtComponent* AddFindDialogComponent(TComponentOwner& owner, const std::string& name,
                                     QObject* dialog, std::function<QString()> findText,
                                     std::function<void(const QString&)> setFindText) {
  auto* c = new TQtComponent(owner, name, dialog);
  c->AddProp(StringProp(
      "FindText", [get = std::move(findText)](TPersistent&) { return ToCodePage(get()); },
      [set = std::move(setFindText)](TPersistent&, const std::string& v) {
        set(FromCodePage(v));
      }));
  return c;
}

TQtComponent* AddActionComponent(TComponentOwner& owner, const std::string& name, QAction* action) {
  auto* c = new TQtComponent(owner, name, action);
  c->AddProp(BooleanProp(
      "Checked", [action](TPersistent&) { return action->isChecked(); },
      [action](TPersistent&, bool v) { action->setChecked(v); }));
  return c;
}

}  // namespace zel
