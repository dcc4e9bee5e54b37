#include "editor/SubtreeText.h"

#include <libxml/parser.h>

#include <initializer_list>

#include "base/StrUtils.h"

#include "treedoc/XMLSave.h"
#include "treedoc/ZelXMLTree.h"

namespace zel {

std::string SubtreeXMLText(const TTreeNode& node) {
  TTreeView scratch;
  const TTreeWriteKey key{};
  TTreeNode* root = scratch.AddChild(key, nullptr, "clipboard");  // stands for the file name
  scratch.Attach(key, scratch.CopySubtree(key, node), root, nullptr);
  std::string text;
  BuildXMLText(scratch, text);
  return text;
}

namespace {

// Whether the blanks after the hyphen at `i` lead to another hyphen or to the end: there a
// comment may not have the hyphens meet, nor end in one.
bool HyphenMeets(std::string_view text, size_t i) {
  size_t j = i + 1;
  while (j < text.size() && text[j] == ' ') ++j;
  return j == text.size() || text[j] == '-';
}

}  // namespace

std::string CommentOutText(const TTreeNode& node) {
  std::string text = SubtreeXMLText(node);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  std::string out = "<!--";
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '-' && HyphenMeets(text, i)) out += ' ';
  }
  return out + "-->";
}

std::optional<std::string> UncommentedText(std::string_view comment) {
  if (comment.size() < 7 || !comment.starts_with("<!--") || !comment.ends_with("-->"))
    return std::nullopt;
  const std::string_view inner = comment.substr(4, comment.size() - 7);
  std::string out;
  out.reserve(inner.size());
  for (size_t i = 0; i < inner.size(); ++i) {
    out += inner[i];
    if (inner[i] == '-' && i + 1 < inner.size() && inner[i + 1] == ' ' && HyphenMeets(inner, i))
      ++i;
  }
  return out;
}

namespace {

// The reader keeps a text that stands alone for the document itself, which has no node for it;
// a CDATA section alone is what a copied CDATA node gives.
bool IsLoneCData(std::string_view text) {
  const std::string_view t = TrimView(text);
  constexpr std::string_view kOpen = "<![CDATA[", kClose = "]]>";
  return t.size() >= kOpen.size() + kClose.size() && SameText(t.substr(0, kOpen.size()), kOpen) &&
         t.find(kClose, kOpen.size()) == t.size() - kClose.size();
}

}  // namespace

void ReadXMLText(const std::string& text, TTreeView& into, TZelXMLTree* reader) {
  TZelXMLTree own;
  // A comment after a lone section makes the section a node of its own; then it goes again.
  constexpr char kCompanion[] = "<!---->";
  const bool lone = IsLoneCData(text);
  (reader ? *reader : own).LoadFromBytesInto(into, "clipboard", lone ? text + kCompanion : text);
  TTreeNode* root = into.GetFirstNode();
  if (lone && root && root->GetLastChild() && root->Count() == 2)
    into.Delete(TTreeWriteKey(), root->GetLastChild());
}

}  // namespace zel

namespace zel {

namespace {

// Parses without building anything: the handler has no callbacks.
bool ParsesWellFormed(std::initializer_list<std::string_view> parts) {
  xmlSAXHandler sax{};
  sax.initialized = XML_SAX2_MAGIC;
  xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr);
  if (!ctxt) return false;
  xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                              XML_PARSE_HUGE | XML_PARSE_IGNORE_ENC);
  constexpr size_t kChunk = 1 << 20;
  for (std::string_view part : parts)
    for (size_t at = 0; at < part.size() && ctxt->wellFormed; at += kChunk) {
      const std::string_view chunk = part.substr(at, kChunk);
      xmlParseChunk(ctxt, chunk.data(), int(chunk.size()), 0);
    }
  xmlParseChunk(ctxt, nullptr, 0, 1);
  const bool ok = ctxt->wellFormed != 0;
  // An internal subset's entities are kept in a document of the parser's own even so.
  if (ctxt->myDoc) xmlFreeDoc(ctxt->myDoc);
  ctxt->myDoc = nullptr;
  xmlFreeParserCtxt(ctxt);
  return ok;
}

}  // namespace

bool IsWellFormedText(std::string_view utf8) {
  const std::string_view t = TrimView(utf8);
  if (t.starts_with("<?xml") || t.starts_with("<!DOCTYPE")) return ParsesWellFormed({t});
  return ParsesWellFormed({"<zel-paste>", t, "</zel-paste>"});
}

}  // namespace zel
