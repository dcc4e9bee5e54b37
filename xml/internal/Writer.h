#pragma once
// The indented writer as one walk that hands out pieces of text to an output: Put(text),
// Indent(level) at the start of a line (two spaces per level in text, which stop growing at
// kMaxIndentLevel; the level itself goes on), and Done(), true once the output wants no more.
// The same walk builds the whole text, measures it, splits it into lines or counts them, and
// the single pieces (an attribute, a section's content) come from the same templates, so
// these can never disagree. The walk is iterative, whatever the depth.

#include <string_view>

#include "xml/MorXMLTree.h"
#include "xml/SectionMarks.h"

namespace zel::xmlwrite {

template <typename Out>
void Indent(Out& out, long long level) {
  if (level > 0) out.Indent(static_cast<size_t>(level));
}

// A section's content (CDATA, comment, instruction, run) with its marks turned back into line
// breaks and TABs; an output that splits lines may keep it on one line.
template <typename Out>
void Unescaped(Out& out, std::string_view s) {
  out.PutSection(s);
}

// ` name="value"`, or single quotes when the value holds a double quote.
template <typename Out>
void Attribute(Out& out, const TMorXMLAttribute* a) {
  const std::string_view v = a->Value.View();
  if (a->Name.View() == kRawAttributeName) {
    out.Put(" ");
    out.Put(v);
    return;
  }
  const std::string_view q = v.find('"') == std::string_view::npos ? "\"" : "'";
  out.Put(" ");
  out.Put(a->Name.View());
  out.Put("=");
  out.Put(q);
  out.Put(v);
  out.Put(q);
}

template <typename Out>
void Attributes(Out& out, const TMorXMLNode* n) {
  for (const TMorXMLAttribute* a : n->Attributes) Attribute(out, a);
}

template <typename Out>
void ValueLine(Out& out, const TMorXMLNode* n, long long level) {
  Indent(out, level);
  if (n->ValueKind == kValueCData) {
    out.Put("<![CDATA[");
    Unescaped(out, n->Value.View());
    out.Put("]]>\r\n");
  } else if (n->ValueKind == kValueRun) {
    Unescaped(out, n->Value.View());
    out.Put("\r\n");
  } else {
    out.Put(n->Value.View());
    out.Put("\r\n");
  }
}

// Writes n's own lines up to its children; true when n is an element that needs a closing
// line.
template <typename Out>
bool Open(Out& out, const TMorXMLNode* n, long long level) {
  switch (n->Kind) {
    case TMorXMLNodeKind::nkText:
      ValueLine(out, n, level);
      return false;
    case TMorXMLNodeKind::nkComment:
      Indent(out, level);
      out.Put("<!--");
      Unescaped(out, n->Value.View());
      out.Put("-->\r\n");
      return false;
    case TMorXMLNodeKind::nkInstruction:
      Indent(out, level);
      out.Put("<");
      if (n->Value.View().starts_with('?'))
        Unescaped(out, n->Value.View());
      else
        out.Put(n->Value.View());  // a declaration <!NAME ...>, cleaned
      out.Put(">\r\n");
      return false;
    case TMorXMLNodeKind::nkElement:
      break;
  }
  Indent(out, level);
  out.Put("<");
  out.Put(n->Name.View());
  Attributes(out, n);
  if (n->Nodes.Empty() && n->Value.empty()) {
    out.Put(" />\r\n");
    return false;
  }
  out.Put(">\r\n");
  if (!n->Value.empty()) ValueLine(out, n, level + 1);
  return true;
}

template <typename Out>
void Close(Out& out, const TMorXMLNode* n, long long level) {
  Indent(out, level);
  out.Put("</");
  out.Put(n->Name.View());
  out.Put(">\r\n");
}

// NodeToText(root, level).
template <typename Out>
void Subtree(Out& out, const TMorXMLNode* root, long long level) {
  const TMorXMLNode* n = root;
  while (!out.Done()) {
    const bool open = Open(out, n, level);
    if (open && !n->Nodes.Empty()) {
      n = n->Nodes.First();
      ++level;
      continue;
    }
    if (open) Close(out, n, level);
    while (n != root && !n->NextSibling) {
      n = n->ParentNode;
      --level;
      Close(out, n, level);
    }
    if (n == root) return;
    n = n->NextSibling;
  }
}

// GetXMLText: the document's own value is never written.
template <typename Out>
void Document(Out& out, const TMorXMLTree& doc) {
  if (doc.Nodes.Empty()) return;
  out.Put("<");
  out.Put(doc.Name.View());
  Attributes(out, &doc);
  out.Put(">\r\n");
  for (const TMorXMLNode* c : doc.Nodes) {
    if (out.Done()) return;
    Subtree(out, c, 1);
  }
  Close(out, &doc, 0);
}

}  // namespace zel::xmlwrite
