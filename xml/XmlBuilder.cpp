#include "xml/internal/Builder.h"

#include "base/Exception.h"
#include "xml/internal/ReadRules.h"

namespace zel {

TMorXMLNode* AddNodeFromTagIn(TMorXMLPools& pools, TMorXMLNode* parent, std::string_view t,
                              std::string_view value) {
  const std::string_view name = xmlread::TagName(t);
  TMorXMLNode* n = pools.NewChild(parent, name, value, TMorXMLNodeKind::nkElement);
  if (name.size() == t.size()) return n;
  TMorXMLAttribute* tail = nullptr;
  // What is left is kept as an attribute of its own.
  const std::string_view rest = xmlread::ReadTagAttributes(
      t, name, [&](std::string_view attrName, std::string_view attrValue) {
        TMorXMLAttribute* attr = pools.NewAttribute(attrName, attrValue);
        TMorXMLPools::LinkAttributeAfter(n, tail, attr);
        tail = attr;
      });
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
  if (lastValue.empty() || !xmlread::JoinsAcrossIgnoredClose(
                               lastKind, last == FLastRun && FLastRunEndsWithText, kind, text))
    return false;
  std::string joined(lastValue);
  const bool endsWithText = xmlread::JoinRun(joined, lastKind, kind, text);
  if (!last) {
    PrepareForChild();
    last = c->Nodes.Last();
  }
  last->Value = FPools.Chars.Make(joined);
  last->ValueKind = kValueRun;
  FLastRun = last;
  FLastRunEndsWithText = endsWithText;
  return true;
}

void TXmlBuilder::AddText(std::string_view text, uint8_t kind, bool joinToLastText) {
  // Text at the document level is kept like an element's: as the document's value while
  // the document has no child (a text without any markup is no document), else as text
  // children, so that nothing between the markup is lost.
  TMorXMLNode* c = FCurrent;
  if (c == FJoinNode && xmlread::JoinsText(c->ValueKind, true, kind, joinToLastText)) {
    FJoin.push_back(' ');
    FJoin.append(text);
    return;
  }
  FlushJoin();
  TMorXMLNode* last = c->Nodes.Last();
  if (last && last->Kind == TMorXMLNodeKind::nkText &&
      xmlread::JoinsText(last->ValueKind, false, kind, joinToLastText)) {
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
  } else if (xmlread::JoinsText(c->ValueKind, true, kind, joinToLastText)) {
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
    case TXmlToken::OpenTag: {
      std::string instruction;
      if (xmlread::DeclarationAsInstruction(text, FCurrent == &FDoc, instruction)) {
        Token(TXmlToken::Instruction, instruction);
        break;
      }
      PrepareForChild();
      FCurrent = AddNodeFromTagIn(FPools, FCurrent, text, "");
      break;
    }
    case TXmlToken::EmptyTag:
      PrepareForChild();
      AddNodeFromTagIn(FPools, FCurrent, text, "");
      break;
    case TXmlToken::CloseTag:
      FlushJoin();
      if (xmlread::ClosesInnermost(FCurrent == &FDoc,
                                   xmlread::IsDeclarationName(FCurrent->Name.View())))
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
      FLastRunEndsWithText = xmlread::RunEndsWithText(text);
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
