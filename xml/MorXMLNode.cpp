#include "base/Exception.h"
#include "xml/internal/Pools.h"

namespace zel {

TMorXMLNodeList::Iterator& TMorXMLNodeList::Iterator::operator++() {
  FNode = FNode->NextSibling;
  return *this;
}

int TMorXMLNodeList::Count() const {
  int n = 0;
  for (const TMorXMLNode* c = FFirst; c; c = c->NextSibling) ++n;
  return n;
}

TMorXMLNode* TMorXMLNodeList::operator[](int index) const {
  int i = 0;
  for (TMorXMLNode* c = FFirst; c; c = c->NextSibling, ++i)
    if (i == index) return c;
  throw EListError::OutOfBounds(index);
}

int TMorXMLAttributeList::Count() const {
  int n = 0;
  for (const TMorXMLAttribute* a = FFirst; a; a = a->Next) ++n;
  return n;
}

TMorXMLAttribute* TMorXMLAttributeList::operator[](int index) const {
  int i = 0;
  for (TMorXMLAttribute* a = FFirst; a; a = a->Next, ++i)
    if (i == index) return a;
  throw EListError::OutOfBounds(index);
}

TMorXMLNode::TMorXMLNode(std::string_view name, TMorXMLNode* parentNode, std::string_view value)
    : Name(name), Value(value), ParentNode(parentNode) {}

TMorXMLTree* TMorXMLNode::Document() {
  TMorXMLNode* n = this;
  while (n->ParentNode) n = n->ParentNode;
  return n->FIsDocument ? static_cast<TMorXMLTree*>(n) : nullptr;
}

static TMorXMLTree& RequireDocument(TMorXMLNode* n) {
  TMorXMLTree* doc = n->Document();
  if (!doc) throw Exception("The node does not belong to a document.");
  return *doc;
}

TMorXMLAttribute* TMorXMLNode::AddAttribute(std::string_view name, std::string_view value) {
  TMorXMLAttribute* a = RequireDocument(this).Pools().NewAttribute(name, value);
  TMorXMLAttribute* tail = Attributes.FFirst;
  while (tail && tail->Next) tail = tail->Next;
  TMorXMLPools::LinkAttributeAfter(this, tail, a);
  return a;
}

TMorXMLNode* TMorXMLNode::AddChild(std::string_view name, std::string_view value,
                                   TMorXMLNodeKind kind) {
  return RequireDocument(this).Pools().NewChild(this, name, value, kind);
}

// The pools own every node and attribute of a document, so unlinking is enough: what was
// unlinked goes when the pools are reset or the document is destroyed. The document itself
// hands its storage back as soon as nothing in it is linked any more.
void TMorXMLNode::ClearNodes() {
  Nodes.FFirst = Nodes.FLast = nullptr;
  if (FIsDocument) {
    auto& pools = static_cast<TMorXMLTree*>(this)->Pools();
    if (Attributes.Empty())
      pools.Reset();
    else
      pools.NodePool.Reset();
  }
}

void TMorXMLNode::ClearAttributes() {
  Attributes.FFirst = nullptr;
  if (FIsDocument && Nodes.Empty()) static_cast<TMorXMLTree*>(this)->Pools().Reset();
}

}  // namespace zel
