// The clipboard commands: a subtree goes to the system clipboard as the XML text a save writes
// for it, and comes back through the editor's own reader, from whatever program put the text
// there. Undo, Redo and Duplicate are the document's own (Commands.h).

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "app/NodeTextCodec.h"
#include "app/UFormMain.h"
#include "base/Exception.h"
#include "editor/SubtreeText.h"

namespace zel {

void TFormMain::EditCopy1Execute() {
  const TTreeNode* node = FTree.Selected();
  if (!node) return;
  // Several subtrees one after the other, in document order.
  std::string xml;
  if (ChosenNodes().Empty())
    xml = SubtreeXMLText(*node);
  else
    for (const TTreeNode* n : ChosenNodes().Nodes()) xml += SubtreeXMLText(*n);
  const QString text = FromCodePage(xml);
  auto* data = new QMimeData;
  data->setText(text);
  data->setData("application/xml", text.toUtf8());
  QApplication::clipboard()->setMimeData(data);
}

void TFormMain::EditCut1Execute() {
  TTreeNode* node = FTree.Selected();
  if (!node) return;
  EditCopy1Execute();
  if (ChosenNodes().Empty())
    FDoc.Delete(node, "Cut");
  else
    FDoc.Delete(ChosenNodes(), "Cut");
  AssignImages();
}

void TFormMain::EditPaste1Execute() {
  TTreeNode* selected = FTree.Selected();
  if (!selected) return;
  // Read once: the read lets messages run, and another program may set the clipboard meanwhile.
  const QString clip = QApplication::clipboard()->text();
  const std::string text = ToCodePage(clip);
  const Exception noMarkup("The clipboard holds no XML to paste.");
  if (text.find('<') == std::string::npos) throw noMarkup;
  TTreeView pasted;
  if (!ReadPasted(text, pasted)) return;
  // The loaded nodes move into the document as they are.
  TTreeNode* first = FDoc.Paste(pasted, selected);
  if (!first) {
    if (!FDoc.Declined()) throw noMarkup;
    if (!FDoc.Refusal().empty()) throw Exception(FDoc.Refusal());
    return;
  }
  AssignImages();
  FTree.SetSelected(first);
  first->MakeVisible();
  if (!IsWellFormedText(clip.toStdString()))
    SetPanel(2, "The pasted text was not well-formed and was mended.");
}

}  // namespace zel
