#pragma once
// The window's image lists: the command images (ilMenu) and the five tree images (ilTree). Each
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

// Index: 0 New, 1 Open, 2 Save, 3 Save As, 7 Exit, 8 Add, 9 Modify, 10 Delete, 11 Font,
// 12 About, 13 Find, 14 Find Next, 15 Web Site, 16 Up, 17 Down, 18 Promote, 19 Demote,
// 20 Cancel, 21 Find Previous; 4 to 6 are unused.
TImageList MakeMenuImages();
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
