#include "app/Images.h"

#include <QFile>
#include <QString>
#include <string_view>
#include <utility>

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

QIcon CommandIcon(const char* name) {
  // The desktop's standard names of the drawings that have one. "add" has none: the standard
  // "list-add" pictures a bare plus, not a new node.
  static const std::pair<std::string_view, const char*> kThemeNames[] = {
      {"new", "document-new"},
      {"open", "document-open"},
      {"save", "document-save"},
      {"save-as", "document-save-as"},
      {"exit", "application-exit"},
      {"delete", "edit-delete"},
      {"font", "preferences-desktop-font"},
      {"about", "help-about"},
      {"find", "edit-find"},
      {"web", "web-browser"},
      {"up", "go-up"},
      {"down", "go-down"},
      {"promote", "format-indent-less"},
      {"demote", "format-indent-more"},
      {"cancel", "process-stop"},
      {"undo", "edit-undo"},
      {"redo", "edit-redo"},
      {"cut", "edit-cut"},
      {"copy", "edit-copy"},
      {"paste", "edit-paste"},
  };
  if (name == nullptr) return QIcon();
  const char* theme = nullptr;
  for (const auto& [bundled, standard] : kThemeNames)
    if (bundled == name) theme = standard;
  return ByRole(theme, name);
}

bool HasBundledIcon(const char* name) {
  InitIconResources();
  return QFile::exists(QString(":/icons/%1.svg").arg(QLatin1String(name)));
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
