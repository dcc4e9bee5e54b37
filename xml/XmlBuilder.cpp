#include "xml/internal/Builder.h"

#include <algorithm>

#include "base/Exception.h"
#include "base/StrUtils.h"
#include "xml/SectionMarks.h"

namespace zel {

TMorXMLNode* AddNodeFromTagIn(TMorXMLPools& pools, TMorXMLNode* parent, std::string_view t,
                              std::string_view value) {
  // The name ends at the first blank of any kind: one that ended it would be trimmed away
  // once the tag is saved and read again.
  const auto blank = std::find_if(t.begin(), t.end(), IsBlank);
  const size_t a = blank == t.end() ? std::string_view::npos : size_t(blank - t.begin());
  TMorXMLNode* n = pools.NewChild(parent, a == std::string_view::npos ? t : t.substr(0, a), value,
                                  TMorXMLNodeKind::nkElement);
  if (a == std::string_view::npos) return n;
  TMorXMLAttribute* tail = nullptr;
  size_t pos = a;
  std::string_view attrName, attrValue;
  while (pos < t.size()) {
    const size_t next = NextTagAttribute(t, pos, attrName, attrValue);
    if (next == std::string_view::npos) break;
    TMorXMLAttribute* attr = pools.NewAttribute(attrName, attrValue);
    TMorXMLPools::LinkAttributeAfter(n, tail, attr);
    tail = attr;
    pos = next;
  }
  // What is left is kept as it stands, so that nothing of the tag is lost; only the '?' (or
  // '/') that ends the XML declaration goes, as the outline writes its own.
  std::string_view rest = TrimView(t.substr(std::min(pos, t.size())));
  if (n->Name.View().starts_with('?'))
    while (!rest.empty() && (rest.back() == '?' || rest.back() == '/' || IsBlank(rest.back())))
      rest.remove_suffix(1);
  if (!rest.empty())
    TMorXMLPools::LinkAttributeAfter(n, tail, pools.NewAttribute(kRawAttributeName, rest));
  return n;
}

TMorXMLNode* AddNodeFromTag(TMorXMLNode* parent, std::string_view tagText, std::string_view value) {
  TMorXMLTree* doc = parent ? parent->Document() : nullptr;
  if (!doc) throw Exception("The parent node does not belong to a document.");
  return AddNodeFromTagIn(doc->Pools(), parent, tagText, value);
}

TXmlBuilder::TXmlBuilder(TMorXMLTree& doc) : FDoc(doc), FPools(doc.Pools()), FCurrent(&doc) {
  doc.ClearNodes();
  doc.ClearAttributes();
  doc.Name = "root";
}

void TXmlBuilder::FlushJoin() {
  if (!FJoinNode) return;
  FJoinNode->Value = FPools.Chars.Make(FJoin);
  FJoinNode = nullptr;
  FJoin.clear();
}

void TXmlBuilder::PrepareForChild() {
  FlushJoin();
  TMorXMLNode* c = FCurrent;
  if (!c->Nodes.Empty() || c->Value.empty()) return;
  TMorXMLNode* t = FPools.NewChild(c, "", "", TMorXMLNodeKind::nkText);
  t->Value = std::move(c->Value);
  t->ValueKind = c->ValueKind;
  c->Value = TXmlString();
  c->ValueKind = kValueText;
}

bool TXmlBuilder::JoinToLastRun(std::string_view text, uint8_t kind) {
  FlushJoin();
  TMorXMLNode* c = FCurrent;
  TMorXMLNode* last = c->Nodes.Last();
  if (last && last->Kind != TMorXMLNodeKind::nkText) return false;
  const std::string_view lastValue = last ? last->Value.View() : c->Value.View();
  const uint8_t lastKind = last ? last->ValueKind : c->ValueKind;
  if (lastValue.empty() || !xmltok::JoinsAcrossIgnoredClose(
                               lastKind, last == FLastRun && FLastRunEndsWithText, kind, text))
    return false;
  std::string joined = lastKind == kValueRun ? std::string(lastValue) : EscapeCData(lastValue);
  joined.push_back(' ');
  joined.append(kind == kValueRun ? std::string(text) : EscapeCData(text));
  if (!last) {
    PrepareForChild();
    last = c->Nodes.Last();
  }
  last->Value = FPools.Chars.Make(joined);
  last->ValueKind = kValueRun;
  FLastRun = last;
  FLastRunEndsWithText = kind == kValueText || xmltok::RunEndsWithText(text);
  return true;
}

void TXmlBuilder::AddText(std::string_view text, uint8_t kind, bool joinToLastText) {
  // Text at the document level is kept like an element's: as the document's value while
  // the document has no child (a text without any markup is no document), else as text
  // children, so that nothing between the markup is lost.
  TMorXMLNode* c = FCurrent;
  if (c == FJoinNode && kind == kValueText) {
    FJoin.push_back(' ');
    FJoin.append(text);
    return;
  }
  FlushJoin();
  TMorXMLNode* last = c->Nodes.Last();
  if (joinToLastText && kind == kValueText && last && last->Kind == TMorXMLNodeKind::nkText &&
      last->ValueKind == kValueText) {
    FJoinNode = last;
    FJoin.assign(last->Value.View());
    FJoin.push_back(' ');
    FJoin.append(text);
    return;
  }
  if (!c->Nodes.Empty()) {
    FPools.NewChild(c, "", text, TMorXMLNodeKind::nkText)->ValueKind = kind;
  } else if (c->Value.empty()) {
    c->Value = FPools.Chars.Make(text);
    c->ValueKind = kind;
  } else if (kind == kValueText && c->ValueKind == kValueText) {
    FJoinNode = c;
    FJoin.assign(c->Value.View());
    FJoin.push_back(' ');
    FJoin.append(text);
  } else {
    // CDATA cannot be joined to other text without changing it: both become text children.
    PrepareForChild();
    FPools.NewChild(c, "", text, TMorXMLNodeKind::nkText)->ValueKind = kind;
  }
}

void TXmlBuilder::Token(TXmlToken kind, std::string_view text) {
  const bool afterIgnoredClose = FAfterIgnoredClose;
  FAfterIgnoredClose = false;
  switch (kind) {
    case TXmlToken::OpenTag:
      // The XML declaration holds the rest of the document only where a declaration can
      // stand, at the document level; inside an element it is an instruction like any other.
      if (FCurrent != &FDoc && text.starts_with('?')) {
        std::string marked;  // an instruction's text is marked; this one has no line breaks
        AppendMarked(marked, text, TSectionMarks::smBreaksAndTabs);
        Token(TXmlToken::Instruction, marked);
        break;
      }
      PrepareForChild();
      FCurrent = AddNodeFromTagIn(FPools, FCurrent, text, "");
      break;
    case TXmlToken::EmptyTag:
      PrepareForChild();
      AddNodeFromTagIn(FPools, FCurrent, text, "");
      break;
    case TXmlToken::CloseTag:
      FlushJoin();
      // More closing tags than start tags: the extra ones are ignored. Nor does one end the
      // XML declaration: the outline shows what it holds and what would follow it on one
      // level, so texts on both sides of its end would read back as one once saved.
      if (FCurrent != &FDoc && !FCurrent->Name.View().starts_with('?'))
        FCurrent = FCurrent->ParentNode;
      else
        FAfterIgnoredClose = true;
      break;
    case TXmlToken::Text:
      if (afterIgnoredClose && JoinToLastRun(text, kValueText)) break;
      AddText(text, kValueText, afterIgnoredClose);
      break;
    case TXmlToken::CData:
      AddText(text, kValueCData, false);
      break;
    case TXmlToken::Run:
      if (afterIgnoredClose && JoinToLastRun(text, kValueRun)) break;
      // Always a node: a run may be a whole root element kept as it was read.
      PrepareForChild();
      FLastRun = FPools.NewChild(FCurrent, "", text, TMorXMLNodeKind::nkText);
      FLastRun->ValueKind = kValueRun;
      FLastRunEndsWithText = xmltok::RunEndsWithText(text);
      break;
    case TXmlToken::Comment: {
      PrepareForChild();
      FPools.NewChild(FCurrent, "!--", text, TMorXMLNodeKind::nkComment)->ValueKind = kValueCData;
      break;
    }
    case TXmlToken::Instruction: {
      PrepareForChild();
      const size_t sp = text.find_first_of(" \\");  // a blank or a line break's mark
      FPools.NewChild(FCurrent, text.substr(0, sp), text, TMorXMLNodeKind::nkInstruction);
      break;
    }
  }
}

}  // namespace zel
