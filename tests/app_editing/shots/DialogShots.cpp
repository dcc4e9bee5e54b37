// Renders the editing dialogs into PNG files for a look by eye: dialog_shots <folder>.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPixmap>
#include <cstdio>

#include "app/FindDialog.h"
#include "app/TreeFontDialog.h"
#include "app/UDlgNode.h"

namespace {

void Save(QWidget& w, const QString& path) {
  w.show();
  QApplication::processEvents();
  const bool ok = w.grab().save(path);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
  w.hide();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QDir dir(argc > 1 ? argv[1] : ".");

  zel::TDlgNode node;
  node.setWindowTitle("Modify");
  node.SetTreeFont(QFont("DejaVu Sans", 10));
  node.Memo1->setPlainText("<book id=\"bk101\" lang=\"en\">");
  Save(node, dir.filePath("node-dialog.png"));

  zel::TFindDialog find;
  find.SetFindText("title");
  find.WholeWordBox->setChecked(true);
  Save(find, dir.filePath("find-dialog.png"));

  zel::TTreeFontDialog font;
  font.SetSelection(QFont("DejaVu Sans", 9), QColor(0x000080));
  Save(font, dir.filePath("font-dialog.png"));
  return 0;
}
