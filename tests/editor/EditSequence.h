#pragma once
// The undo property, shared by a test and a fuzz target: any sequence of edits on any outline,
// undone step by step, gives back the outline it started from exactly (texts, structure, the
// expanded and "has children" flags), and redone gives back the edited one. Along the way, an
// edit never turns a well-formed save into a broken one, unless the user said yes to a first-
// level question or deleted, replaced or commented out the root element; an edit refused changes
// nothing. The edits work on one node or on a random selection of several. Free of
// any test framework: it reports the first difference as text.

#include <libxml/parser.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "editor/OutlineDocument.h"
#include "editor/PlacementRules.h"
#include "tests/outline/TreeWriteAccess.h"
#include "treedoc/XMLSave.h"

namespace zel::test {

// Where the kept positions, the "has children" marks or the count disagree with the links;
// empty when nowhere. The positions are asked in an order `pick` shuffles (front to back when
// none), since a list an edit left stale is renumbered by whichever query comes first.
inline std::string Inconsistency(const TTreeView& tree,
                                 const std::function<unsigned(unsigned)>& pick = nullptr) {
  struct TPlace {
    TTreeNode* node;
    int abs, level, index;
  };
  std::vector<TPlace> places;
  for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) {
    int level = 0, index = 0;
    for (const TTreeNode* p = n->Parent(); p; p = p->Parent()) ++level;
    for (const TTreeNode* s = n->getPrevSibling(); s; s = s->getPrevSibling()) ++index;
    places.push_back({n, int(places.size()), level, index});
    if (n->TreeView() != &tree) return "owner of " + std::string(n->Text());
    if (bool(n->GetFirstChild()) != n->HasChildren())
      return "children mark of " + std::string(n->Text());
  }
  if (int(places.size()) != tree.Count()) return "count";
  for (size_t i = places.size(); pick && i > 1; --i)
    std::swap(places[i - 1], places[pick(unsigned(i))]);
  for (const TPlace& p : places) {
    TTreeNode* n = p.node;
    TTreeNode* parent = n->Parent();
    if (n->AbsoluteIndex() != p.abs || n->Level() != p.level || n->Index() != p.index ||
        tree.Item(p.abs) != n || (parent ? parent->Item(p.index) : tree.Root(p.index)) != n)
      return "kept position of " + std::string(n->Text());
  }
  return "";
}

// A listener that, as a display does, looks up the rows of a list the moment it hears of a
// change to it, while the rest of the edit (the selection's move) is still to come.
class TRowLookups : public ITreeViewObserver {
 public:
  explicit TRowLookups(TTreeView& tree) : FTree(tree) { tree.AddObserver(this); }
  ~TRowLookups() override { FTree.RemoveObserver(this); }
  std::string Failure;
  void NodeInserted(TTreeNode* parent, int) override { Check(parent); }
  void NodeRemoved(TTreeNode* parent, int) override { Check(parent); }
  void NodeMoved(TTreeNode* node, TTreeNode* oldParent, int) override {
    Check(oldParent);
    Check(node->Parent());
  }

 private:
  void Check(TTreeNode* parent) {
    int i = 0;
    for (TTreeNode* n = parent ? parent->GetFirstChild() : FTree.GetFirstNode(); n;
         n = n->getNextSibling(), ++i)
      if ((parent ? parent->Item(i) : FTree.Root(i)) != n && Failure.empty())
        Failure = "row " + std::to_string(i) + " looked up during an edit";
  }
  TTreeView& FTree;
};

// Texts, levels and flags in document order.
inline std::string OutlineState(const TTreeView& tree) {
  std::string out;
  for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext())
    out += std::to_string(n->Level()) + ' ' + std::string(n->Text()) +
           (n->HasChildren() ? " +" : "") + (n->Expanded() ? " open" : "") + "\n";
  return out;
}

// Whether the indented save of the outline is a well-formed XML document.
inline bool SavesWellFormed(const TTreeView& tree) {
  std::string text;
  BuildXMLText(tree, text);
  xmlDocPtr doc = xmlReadMemory(text.data(), int(text.size()), nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  xmlFreeDoc(doc);
  return doc != nullptr;
}

// Whether the first level holds an element.
inline bool HasRootElement(const TTreeView& tree) {
  const TTreeNode* root = tree.GetFirstNode();
  if (!root) return false;
  for (const TTreeNode* first : {root->GetFirstChild(), root->getNextSibling()})
    for (const TTreeNode* n = first; n; n = n->getNextSibling())
      if (const TNodeKind k = NodeKindOf(n->Text());
          k == TNodeKind::nkStartTag || k == TNodeKind::nkClosedElement)
        return true;
  return false;
}

// A node text of each kind the outline holds, numbered: kinds 0 to 7 may stand inside an element.
inline std::string KindText(unsigned kind, int i) {
  const std::string n = std::to_string(i);
  switch (kind) {
    case 0:
      return "<e" + n + ">";
    case 1:
      return i % 2 ? "<l" + n + ">x" + n + "</l" + n + ">"
                   : "<l" + n + " a=\"1>2\">x</l" + n + " >";
    case 2:
      return "<m" + n + (i % 2 ? "/>" : " b='/>' />");
    case 3:
      return "<o" + n + "></o" + n + ">";
    case 4:
      return "t" + n;
    case 5:
      return "<!-- c" + n + " -->";
    case 6:
      return "<?p" + n + " x?>";
    case 7:
      return "<![CDATA[d" + n + "]]>";
    case 8:
      return "<!DOCTYPE d" + n + ">";
    default:
      return "<?xml version=\"1.0\"?>";
  }
}

// Another text of the same kind, which keeps a save well-formed.
inline std::string SameKindText(const TTreeNode& node, int i) {
  switch (NodeKindOf(node.Text())) {
    case TNodeKind::nkStartTag:
      return KindText(0, i);
    case TNodeKind::nkClosedElement:
      return KindText(1 + unsigned(i) % 3, i);
    case TNodeKind::nkText:
      return KindText(4, i);
    case TNodeKind::nkComment:
      return KindText(5, i);
    case TNodeKind::nkInstruction:
      return KindText(6, i);
    case TNodeKind::nkCData:
      return KindText(7, i);
    default:
      return std::string(node.Text());
  }
}

// `pick(n)` gives a number below n (n > 0). Builds a random outline, plays `steps` edits (fewer
// than the history holds), and returns an empty string when the property holds.
inline std::string CheckEditSequence(const std::function<unsigned(unsigned)>& pick, int steps) {
  TOutlineDocument doc;
  TTreeView& tree = doc.Tree();
  const auto anyNode = [&]() -> TTreeNode* {
    return tree.Count() ? tree.Item(int(pick(unsigned(tree.Count())))) : nullptr;
  };
  // A document as a load gives it: the file's node over an optional declaration, DOCTYPE and
  // comment and one root element; now and then a second node at root level, which breaks it.
  TTreeNode* file = tree.AddChild(kWrite, nullptr, "f.xml");
  if (pick(2)) tree.AddChild(kWrite, file, KindText(9, 0));
  if (pick(2)) tree.AddChild(kWrite, file, KindText(8, 0));
  if (pick(2)) tree.AddChild(kWrite, file, KindText(5, 0));
  TTreeNode* top = tree.AddChild(kWrite, file, "<d>");
  if (pick(6) == 0) tree.AddChild(kWrite, nullptr, pick(2) ? "<r>" : "<!-- r -->");
  const int size = int(pick(40));
  for (int i = 0; i < size; ++i) {
    TTreeNode* parent = anyNode();
    if (NodeKindOf(parent->Text()) != TNodeKind::nkStartTag || parent == file) parent = top;
    tree.AddChild(kWrite, parent, KindText(pick(8), i));
  }
  for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext()) n->SetExpanded(pick(2));
  // The user's answer to every first-level question, at random.
  bool confirmed = false;
  std::string badQuestion;
  doc.SetConfirm([&](const std::string& question) {
    if (question != FirstLevelQuestion(kFirstLevelSecondRoot) &&
        question != FirstLevelQuestion(kFirstLevelTextOutside))
      badQuestion = question;
    confirmed = pick(2);
    return confirmed;
  });
  // Whether the save was well-formed in the state after each step still in the history.
  std::vector<bool> wellFormedAt{SavesWellFormed(tree)};
  // Another outline to paste from.
  TTreeView other;
  TTreeNode* p = other.AddChild(kWrite, nullptr, "<p>");
  other.AddChild(kWrite, other.AddChild(kWrite, p, "<q>"), "text");
  other.AddChild(kWrite, nullptr, "<!-- c -->");

  const std::string original = OutlineState(tree);
  TRowLookups lookups(tree);
  for (int i = 0; i < steps; ++i) {
    if (!lookups.Failure.empty())
      return "before step " + std::to_string(i) + ": " + lookups.Failure;
    TTreeNode* n = anyNode();
    const std::string stateBefore = OutlineState(tree);
    const size_t undoBefore = doc.UndoCount();
    confirmed = false;
    // Deleting the root element leaves no document; the window asks before it deletes.
    bool excused = false;
    bool replayed = false;
    // Copies double what they copy: past a size only the other edits run.
    switch (pick(tree.Count() > 500 ? 8 : 16)) {
      case 0:
        doc.Add(n, KindText(pick(10), i));
        break;
      case 1:
        // Mostly a text of the node's own kind; else any kind, which the node's children or
        // its place may refuse. Replacing the only element at the first level leaves no
        // document, as deleting it does.
        if (!n) break;
        if (pick(3)) {
          doc.SetText(n, SameKindText(*n, int(pick(4))));
        } else {
          doc.SetText(n, KindText(pick(10), i));
          excused = !HasRootElement(tree);
        }
        break;
      case 2:
        excused = n && IsFirstLevel(n->Parent()) && !n->IsFirstNode();
        doc.Delete(n);
        break;
      case 3:
        doc.MoveUp(n);
        break;
      case 4:
        doc.MoveDown(n);
        break;
      case 5:
        doc.Promote(n);
        break;
      case 6:
        doc.Demote(n);
        break;
      case 7:
        doc.Drop(n, pick(4) ? anyNode() : nullptr);
        break;
      case 8: {
        std::vector<const TTreeNode*> sources;
        if (pick(2) || !n)
          sources = {other.GetFirstNode(), other.GetLastRoot()};
        else
          sources = {n};
        TTreeNode* parent = pick(4) ? anyNode() : nullptr;
        const int count = parent ? parent->Count() : tree.RootCount();
        const unsigned at = pick(unsigned(count) + 1);
        TTreeNode* before = int(at) == count ? nullptr
                            : parent         ? parent->Item(int(at))
                                             : tree.Root(int(at));
        doc.Insert(sources, parent, before);
        break;
      }
      case 9:
        doc.Duplicate(n);
        break;
      case 10: {
        // A pasted text's outline moves in whole: a file-name root over what the text held, its
        // storage with freed slots and a detached subtree in it.
        TTreeView pasted;
        TTreeNode* clip = pasted.AddChild(kWrite, nullptr, "clip");
        for (unsigned k = pick(4); k-- > 0;)
          pasted.AddChild(kWrite, pasted.AddChild(kWrite, clip, "<m" + std::to_string(k) + ">"),
                          "v");
        pasted.Delete(kWrite, pasted.AddChild(kWrite, clip, "gone"));
        pasted.Detach(kWrite, pasted.AddChild(kWrite, clip, "held"));
        TTreeNode* parent = n && pick(2) ? n : nullptr;
        // In front of the file's node: refused, and the pasted outline goes all the same.
        doc.InsertFrom(pasted, pick(3) ? clip : nullptr, parent,
                       parent    ? parent->GetFirstChild()
                       : pick(2) ? tree.GetFirstNode()
                                 : nullptr);
        if (pasted.Count() || pasted.GetFirstNode() || pasted.DetachedCount())
          return "nodes left in the pasted outline";
        break;
      }
      case 11: {
        // The children in another order: reversed, or turned round by some places.
        if (!n || !n->GetFirstChild()) break;
        std::vector<TTreeNode*> order;
        for (TTreeNode* c = n->GetFirstChild(); c; c = c->getNextSibling()) order.push_back(c);
        if (pick(2))
          std::reverse(order.begin(), order.end());
        else
          std::rotate(order.begin(), order.begin() + pick(unsigned(order.size())), order.end());
        doc.Arrange(n, order, "Sort");
        break;
      }
      case 12: {
        // Several nodes at once, given in any order, some under others.
        // Uncomment mostly on comments holding markup, which an earlier Comment made.
        const unsigned op = pick(9);
        std::vector<TTreeNode*> chosen, comments;
        for (TTreeNode* c = tree.GetFirstNode(); op == 8 && c; c = c->GetNext())
          if (NodeKindOf(c->Text()) == TNodeKind::nkComment &&
              c->Text().find('<', 4) != std::string_view::npos && pick(3))
            comments.push_back(c);
        for (unsigned k = pick(6) + 1; k-- > 0;) chosen.push_back(anyNode());
        if (op == 8 && pick(4)) chosen = comments;
        const TNodeSelection nodes(tree, chosen);
        for (const TTreeNode* c : nodes.Nodes())
          excused = excused || (IsFirstLevel(c->Parent()) && !c->IsFirstNode());
        switch (op) {
          case 0:
            doc.Delete(nodes);
            break;
          case 1:
            doc.MoveUp(nodes);
            break;
          case 2:
            doc.MoveDown(nodes);
            break;
          case 3:
            doc.Promote(nodes);
            break;
          case 4:
            doc.Demote(nodes);
            break;
          case 5:
            doc.Drop(nodes, pick(4) ? anyNode() : nullptr);
            break;
          case 6:
            doc.Duplicate(nodes);
            break;
          case 7:
            doc.Comment(nodes);
            break;
          default:
            doc.Uncomment(nodes);
            break;
        }
        break;
      }
      case 13: {
        // Replace All: new texts of the nodes' own kinds, each node once.
        std::vector<TTextChange> changes;
        std::vector<TTreeNode*> seen;
        for (unsigned k = pick(8) + 1; k-- > 0;) {
          TTreeNode* c = anyNode();
          if (!c || c->IsFirstNode() || std::find(seen.begin(), seen.end(), c) != seen.end())
            continue;
          seen.push_back(c);
          changes.push_back({c, SameKindText(*c, int(pick(4)))});
        }
        doc.SetTexts(std::move(changes), "Replace All");
        break;
      }
      case 14:
        for (unsigned k = pick(3); k-- > 0;) doc.Undo();
        replayed = true;
        break;
      default:
        doc.Redo();
        replayed = true;
        break;
    }
    if (!badQuestion.empty()) return "step " + std::to_string(i) + " asked: " + badQuestion;
    if (doc.Declined() && (OutlineState(tree) != stateBefore || doc.UndoCount() != undoBefore))
      return "step " + std::to_string(i) + " was refused but changed the outline";
    const bool wellFormed = SavesWellFormed(tree);
    const size_t at = doc.UndoCount();
    if (replayed || at == undoBefore) {
      // Undone, redone or nothing done: a state of the history, which saves as it did.
      if (wellFormedAt[at] != wellFormed)
        return "after step " + std::to_string(i) + ": the history's state saves otherwise";
    } else {
      if (wellFormedAt[undoBefore] && !wellFormed && !confirmed && !excused) {
        std::string text;
        BuildXMLText(tree, text);
        return "step " + std::to_string(i) + " broke the save:\n" + stateBefore + "became\n" +
               OutlineState(tree) + "saved as\n" + text;
      }
      wellFormedAt.resize(at);
      wellFormedAt.push_back(wellFormed);
    }
    // The selection is where lookups start from: anywhere, or nowhere, while lists are stale.
    if (pick(3) == 0) tree.SetSelected(pick(8) ? anyNode() : nullptr);
    // Now and then only, so that several edits leave their lists stale before a query.
    if (pick(3) != 0) continue;
    if (const std::string bad = Inconsistency(tree, pick); !bad.empty())
      return "after step " + std::to_string(i) + ": " + bad;
  }
  // The last steps may have been undone: the edited outline is the one with every step done.
  while (doc.CanRedo()) doc.Redo();
  const std::string edited = OutlineState(tree);
  if (doc.Modified() != (doc.UndoCount() != 0)) return "modified mark off before undoing";
  while (doc.CanUndo()) {
    doc.Undo();
    if (const std::string bad = Inconsistency(tree); !bad.empty()) return "undoing: " + bad;
  }
  if (OutlineState(tree) != original)
    return "undo all:\n" + OutlineState(tree) + "instead of\n" + original;
  if (doc.Modified()) return "modified after undoing all";
  while (doc.CanRedo()) doc.Redo();
  if (OutlineState(tree) != edited)
    return "redo all:\n" + OutlineState(tree) + "instead of\n" + edited;
  doc.ClearHistory();
  if (tree.DetachedCount() != 0) return "nodes held with no history";
  if (!lookups.Failure.empty()) return "undoing or redoing: " + lookups.Failure;
  return "";
}

}  // namespace zel::test
