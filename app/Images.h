#pragma once
// The window's pictures: the commands' by name and the five tree images (ilTree) by index. Each
// comes from the desktop's icon theme where the theme has the standard name for its role, else
// from the program's own bundled set, so that the window looks whole without any theme.

#include <QIcon>
#include <QVector>

namespace zel {

class TTreeNode;

class TImageList {
 public:
  QIcon Icon(int index) const {
    return index >= 0 && index < FIcons.size() ? FIcons[index] : QIcon();
  }
  int Count() const { return static_cast<int>(FIcons.size()); }
  void Add(const QIcon& icon) { FIcons.push_back(icon); }

 private:
  QVector<QIcon> FIcons;
};

// The command picture of that name: the desktop theme's icon where the theme has the standard
// name for the role, else the bundled drawing ":/icons/<name>.svg"; null: no picture.
QIcon CommandIcon(const char* name);
// Whether the program bundles a drawing of that name.
bool HasBundledIcon(const char* name);
// 0 document page, 1 closed folder, 2 open folder, 3 element mark, 4 the mark highlighted.
TImageList MakeTreeImages();
// The tree image the place of `node` gives it: 0 at root level, 1 (selected: 2) with
// children, 3 (selected: 4) without.
int PlaceImage(const TTreeNode& node, bool selected);
// The tree image `node` shows: the one it holds (given by AssignImages), else the one of its
// place. A loaded outline's nodes are all new and hold none, so a load needs no pass over
// millions of nodes to give each the image of its place.
int TreeImageOf(const TTreeNode& node, bool selected);
// A node that holds no image takes the one of its place now: before an edit changes the
// place, so that the node keeps showing that image until the next AssignImages.
void HoldTreeImage(TTreeNode& node);

// The name of the program's desktop entry, which is also the name of its icon.
extern const char* const kDesktopEntry;
// The program's own icon: the installed one of the desktop entry, else the bundled copy.
QIcon AppIcon();

}  // namespace zel
