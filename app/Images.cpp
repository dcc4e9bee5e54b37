#include "app/Images.h"

#include <QString>

#include "outline/TreeView.h"

// Outside any namespace, as the resource system wants it. The resources live in a static
// library, whose unreferenced objects the linker would drop.
static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace zel {

const char* const kDesktopEntry = "org.example.ZelXMLEditor";

namespace {

// The bundled drawing of this program's set.
QIcon Bundled(const char* name) {
  InitIconResources();
  return QIcon(QString(":/icons/%1.svg").arg(QLatin1String(name)));
}

// The desktop theme's icon of that standard name, else the bundled drawing; no theme name where
// the standard has none for the role.
QIcon ByRole(const char* themeName, const char* bundled) {
  if (themeName == nullptr) return Bundled(bundled);
  return QIcon::fromTheme(QString::fromLatin1(themeName), Bundled(bundled));
}

}  // namespace

TImageList MakeMenuImages() {
  struct TRole {
    const char* Theme;
    const char* Bundled;
  };
  static const TRole roles[28] = {
      {"document-new", "new"},
      {"document-open", "open"},
      {"document-save", "save"},
      {"document-save-as", "save-as"},
      {nullptr, nullptr},
      {nullptr, nullptr},
      {nullptr, nullptr},
      {"application-exit", "exit"},
      {nullptr, "add"},  // "list-add" pictures a bare plus, not a new node
      {nullptr, "modify"},
      {"edit-delete", "delete"},
      {"preferences-desktop-font", "font"},
      {"help-about", "about"},
      {"edit-find", "find"},
      {nullptr, "find-next"},
      {"web-browser", "web"},
      {"go-up", "up"},
      {"go-down", "down"},
      {"format-indent-less", "promote"},
      {"format-indent-more", "demote"},
      {"process-stop", "cancel"},
      {nullptr, "find-previous"},
      {"edit-undo", "undo"},
      {"edit-redo", "redo"},
      {"edit-cut", "cut"},
      {"edit-copy", "copy"},
      {"edit-paste", "paste"},
      {nullptr, "duplicate"},
  };
  TImageList list;
  for (const TRole& r : roles)
    list.Add(r.Bundled != nullptr ? ByRole(r.Theme, r.Bundled) : QIcon());
  return list;
}

TImageList MakeTreeImages() {
  TImageList list;
  list.Add(ByRole("text-xml", "document"));
  list.Add(ByRole("folder", "folder"));
  list.Add(ByRole("folder-open", "folder-open"));
  list.Add(Bundled("element"));
  list.Add(Bundled("element-selected"));
  return list;
}

int PlaceImage(const TTreeNode& node, bool selected) {
  if (node.Parent() == nullptr) return 0;
  if (node.Count() > 0) return selected ? 2 : 1;
  return selected ? 4 : 3;
}

int TreeImageOf(const TTreeNode& node, bool selected) {
  const int held = selected ? node.SelectedIndex() : node.ImageIndex();
  return held >= 0 ? held : PlaceImage(node, selected);
}

void HoldTreeImage(TTreeNode& node) {
  if (node.ImageIndex() >= 0) return;
  node.SetImageIndex(PlaceImage(node, false));
  node.SetSelectedIndex(PlaceImage(node, true));
}

QIcon AppIcon() {
  return ByRole(kDesktopEntry, kDesktopEntry);
}

}  // namespace zel
