// Undo and Redo, and the clipboard commands: a subtree goes to the system clipboard as the XML
// text a save writes for it, and comes back through the editor's own reader, from whatever
// program put the text there.

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTemporaryFile>

#include "app/NodeTextCodec.h"
#include "app/UFormMain.h"
#include "base/Exception.h"
#include "treedoc/XMLSave.h"

namespace zel {

namespace {

// The XML text of `node` and its subtree, indented from the node's own level.
std::string SubtreeXML(const TTreeNode& node) {
  TTreeView scratch;
  TTreeNode* root = scratch.AddChild(nullptr, "clipboard");  // stands for the file name
  scratch.Attach(scratch.CopySubtree(node), root, nullptr);
  std::string text;
  BuildXMLText(scratch, text, nullptr, nullptr);
  return text;
}

}  // namespace

void TFormMain::EditUndo1Execute(bool undo) {
  TTreeNode* node = undo ? FDoc.Undo() : FDoc.Redo();
  AssignImages();
  if (node) node->MakeVisible();
}

void TFormMain::EditCopy1Execute() {
  const TTreeNode* node = FTree.Selected();
  if (!node) return;
  const QString text = FromCodePage(SubtreeXML(*node));
  auto* data = new QMimeData;
  data->setText(text);
  data->setData("application/xml", text.toUtf8());
  QApplication::clipboard()->setMimeData(data);
}

void TFormMain::EditCut1Execute() {
  TTreeNode* node = FTree.Selected();
  if (!node) return;
  EditCopy1Execute();
  FDoc.Delete(node, "Cut");
  AssignImages();
}

void TFormMain::EditPaste1Execute() {
  TTreeNode* selected = FTree.Selected();
  if (!selected) return;
  const std::string text = ToCodePage(QApplication::clipboard()->text());
  const Exception noMarkup("The clipboard holds no XML to paste.");
  if (text.find('<') == std::string::npos) throw noMarkup;
  // The reader reads files: the text goes through a private one.
  QTemporaryFile file;
  if (!file.open() || file.write(text.data(), qint64(text.size())) != qint64(text.size()) ||
      !file.flush())
    throw Exception("The clipboard's text cannot be read: no temporary file.");
  TTreeView pasted;
  TZelXMLTree reader;
  reader.SetTreeView(&pasted);
  reader.LoadFromFile(file.fileName().toStdString());
  std::vector<const TTreeNode*> nodes;
  if (const TTreeNode* root = pasted.GetFirstNode())
    for (const TTreeNode* n = root->GetFirstChild(); n; n = n->getNextSibling()) nodes.push_back(n);
  if (nodes.empty()) throw noMarkup;
  // After the selected node at its level; under the root, as its first children.
  const bool under = selected->IsFirstNode();
  TTreeNode* first = FDoc.Insert(nodes, under ? selected : selected->Parent(),
                                 under ? selected->GetFirstChild() : selected->getNextSibling());
  if (!first) return;
  AssignImages();
  FTree.SetSelected(first);
  first->MakeVisible();
}

void TFormMain::EditDuplicate1Execute() {
  // The copy takes the images of what it copies.
  TTreeNode* copy = FDoc.Duplicate(FTree.Selected());
  if (!copy) return;
  FTree.SetSelected(copy);
  copy->MakeVisible();
}

}  // namespace zel
