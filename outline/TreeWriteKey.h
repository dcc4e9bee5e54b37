#pragma once
// The right to change a tree's nodes. Every change to an outline that a document holds must
// be a step of its undo history, so only the owners named here can make the key, and every
// mutator of the tree asks for one: an edit elsewhere does not compile. A holder may pass the
// key on to the helpers it runs.

#include <string>

namespace zel {

class TTreeNode;
class TTreeView;
class TZelXMLTree;
namespace test {
struct TTreeWriteAccess;
}

// Builders of trees no document holds: the text of a copied subtree and the clipboard's outline.
std::string SubtreeXMLText(const TTreeNode& node);
void ReadXMLText(const std::string& text, TTreeView& into, TZelXMLTree* reader);

class TTreeWriteKey {
 private:
  constexpr TTreeWriteKey() = default;

  // The tree's own loads and edits in place.
  friend class TTreeView;
  friend class TTreeNode;
  // Every edit of a document's outline, as an undo step; it hands the key to the readers that
  // replace its outline (a load, a recovery).
  friend class TOutlineDocument;
  // The load that fills the tree it is given, and the save that names the root after the file.
  friend class TZelXMLTree;
  friend std::string SubtreeXMLText(const TTreeNode& node);
  friend void ReadXMLText(const std::string& text, TTreeView& into, TZelXMLTree* reader);
  // Tests and benchmarks build their fixtures directly.
  friend struct test::TTreeWriteAccess;
};

}  // namespace zel
