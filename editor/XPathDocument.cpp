#include "editor/internal/XPathDocument.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/StrUtils.h"
#include "base/TextSink.h"
#include "treedoc/XMLOutline.h"
#include "treedoc/XMLSave.h"

namespace zel::xpath {

namespace {

// The save's text, counting its lines as they are written.
class TLineSink : public TTextSink {
 public:
  explicit TLineSink(std::string& out) : FOut(out) {}
  void Write(std::string_view text) override {
    FOut.append(text);
    FLines += static_cast<uint32_t>(std::count(text.begin(), text.end(), '\n'));
  }
  void WriteRepeated(char c, size_t count) override {
    FOut.append(count, c);
    if (c == '\n') FLines += static_cast<uint32_t>(count);
  }
  uint32_t Lines() const { return FLines; }

 private:
  std::string& FOut;
  uint32_t FLines = 0;
};

// The lines of the file a node's text takes: a section's marks become line breaks.
size_t OwnLines(std::string_view text) {
  if (!IsMultiLineSectionText(text)) return 1 + size_t(std::count(text.begin(), text.end(), '\n'));
  const std::string lines = SectionTextForFile(text);
  return 1 + size_t(std::count(lines.begin(), lines.end(), '\n'));
}

TParse* gParse = nullptr;

bool IsMain(void* ctx) {
  return gParse && ctx == gParse->Main && gParse->Main->input;
}

void Mark(xmlNodePtr node, int line) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): libxml2's spare field holds the line itself
  if (node && !node->_private) node->_private = reinterpret_cast<void*>(intptr_t{line});
}

// The node the default handler has just added under the current one.
xmlNodePtr LastAdded(xmlParserCtxtPtr c, xmlElementType type) {
  if (c->inSubset) return nullptr;
  xmlNodePtr parent = c->node ? c->node : reinterpret_cast<xmlNodePtr>(c->myDoc);
  xmlNodePtr last = parent ? parent->last : nullptr;
  return last && last->type == type ? last : nullptr;
}

void OnStartElement(void* ctx, const xmlChar* name, const xmlChar* prefix, const xmlChar* uri,
                    int nbNs, const xmlChar** ns, int nbAttr, int nbDefaulted,
                    const xmlChar** attrs) {
  xmlSAX2StartElementNs(ctx, name, prefix, uri, nbNs, ns, nbAttr, nbDefaulted, attrs);
  if (!IsMain(ctx)) return;
  gParse->LastLine = gParse->Main->input->line;
  Mark(gParse->Main->node, gParse->LastLine);
}

void OnEndElement(void* ctx, const xmlChar* name, const xmlChar* prefix, const xmlChar* uri) {
  xmlSAX2EndElementNs(ctx, name, prefix, uri);
  if (IsMain(ctx)) gParse->LastLine = gParse->Main->input->line;
}

void OnReference(void* ctx, const xmlChar* name) {
  xmlSAX2Reference(ctx, name);
  if (IsMain(ctx)) gParse->LastLine = gParse->Main->input->line;
}

template <xmlElementType kType>
void MarkAdded(void* ctx) {
  if (!IsMain(ctx)) return;
  gParse->LastLine = gParse->Main->input->line;
  Mark(LastAdded(gParse->Main, kType), gParse->LastLine);
}

void OnComment(void* ctx, const xmlChar* value) {
  xmlSAX2Comment(ctx, value);
  MarkAdded<XML_COMMENT_NODE>(ctx);
}

void OnInstruction(void* ctx, const xmlChar* target, const xmlChar* data) {
  xmlSAX2ProcessingInstruction(ctx, target, data);
  MarkAdded<XML_PI_NODE>(ctx);
}

void OnCData(void* ctx, const xmlChar* value, int len) {
  xmlSAX2CDataBlock(ctx, value, len);
  MarkAdded<XML_CDATA_SECTION_NODE>(ctx);
}

bool IsBlankChar(xmlChar c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Blank text that runs from one node's line to another's and is whole (it starts no text and
// the next tag ends it): the save's line break and indentation, never made a node at all.
bool IsWholeSeparator(const xmlChar* ch, int len) {
  xmlParserCtxtPtr c = gParse->Main;
  // The parser stands at the piece or just after it.
  const xmlChar* cur = c->input->cur;
  const xmlChar next = cur == ch ? ch[len] : *cur;
  // After a section it stays until the walk drops it: the parser joins adjacent sections.
  if (next != '<' || LastAdded(c, XML_TEXT_NODE) || LastAdded(c, XML_CDATA_SECTION_NODE) ||
      !std::all_of(ch, ch + len, IsBlankChar))
    return false;
  const uint32_t from = gParse->Map->At(gParse->LastLine);
  return from == kNoNode || from != gParse->Map->At(c->input->line);
}

// Characters come in pieces, from where the last event ended to the line the parser counts.
// A piece read from the text holds its line breaks; one from a reference (`&#10;`) moves no
// line: so the line of a character is the piece's first line plus the breaks before it, but
// never past its last.
void OnCharacters(void* ctx, const xmlChar* ch, int len) {
  if (IsMain(ctx) && IsWholeSeparator(ch, len)) {
    gParse->LastLine = gParse->Main->input->line;
    return;
  }
  xmlSAX2Characters(ctx, ch, len);
  if (!IsMain(ctx)) return;
  xmlParserCtxtPtr c = gParse->Main;
  const int from = gParse->LastLine, to = c->input->line;
  gParse->LastLine = to;
  xmlNodePtr text = LastAdded(c, XML_TEXT_NODE);
  if (!text) return;
  if (!text->_private) {
    gParse->Texts.push_back({from, to, 0, 0});
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the spare field holds the span's number
    text->_private = reinterpret_cast<void*>(gParse->Texts.size());
  }
  TTextSpan& span = gParse->Texts[reinterpret_cast<size_t>(text->_private) - 1];
  span.End = to;
  const xmlChar* end = ch + len;
  const xmlChar* first = std::find_if_not(ch, end, IsBlankChar);
  if (first == end) return;
  const xmlChar* last = end - 1;
  while (IsBlankChar(*last)) --last;
  const auto lineOf = [&](const xmlChar* at) {
    return std::min(to, from + static_cast<int>(std::count(ch, at, '\n')));
  };
  if (span.First == 0) span.First = lineOf(first);
  span.Last = lineOf(last);
}

void OnParseError(void*, xmlErrorPtr error) {
  if (!gParse || !error || error->level < XML_ERR_ERROR) return;
  const bool fatal = error->level == XML_ERR_FATAL;
  if (gParse->Failed && (gParse->Fatal || !fatal)) return;  // one message, however many errors
  gParse->Failed = true;
  gParse->Fatal = fatal;
  // An entity's text is parsed in a context of its own, its lines its own: the reference's
  // line tells the node.
  const bool main = error->ctxt == gParse->Main || !gParse->Main || !gParse->Main->input;
  gParse->ErrorLine = main ? error->line : gParse->Main->input->line;
  gParse->Error = error->message ? TrimRight(error->message) : "unknown error";
}

// Nothing outside the text is read: no DTD, no external entity, no network.
xmlParserInputPtr RefuseEntity(const char*, const char*, xmlParserCtxtPtr) {
  return nullptr;
}

struct TReader {
  const std::string& Text;
  size_t At = 0;
};

int ReadText(void* context, char* buffer, int len) {
  auto* reader = static_cast<TReader*>(context);
  const size_t n = std::min(size_t(len), reader->Text.size() - reader->At);
  std::copy_n(reader->Text.data() + reader->At, n, buffer);
  reader->At += n;
  return static_cast<int>(n);
}

std::string ShortText(std::string_view text) {
  constexpr size_t kMax = 60;
  if (text.size() <= kMax) return std::string(text);
  return std::string(text.substr(0, kMax)) + "...";
}

}  // namespace

void BuildText(const TTreeView& tree, std::string& text, TLineMap& map) {
  text.reserve(tree.TextBytesHeld() + size_t(tree.Count()) * 8);
  map.NodeOf.reserve(size_t(tree.Count()) * 2);
  TLineSink sink(text);
  uint32_t index = 0;
  const TTreeNode* node = tree.GetFirstNode();
  TProgress progress;
  // The save asks after each node below the root, once its lines are written: the closing
  // lines before them and then its own.
  progress.Stop = [&] {
    node = node->GetNext();
    ++index;
    const size_t end = size_t(sink.Lines()) + 1;
    map.NodeOf.resize(end - std::min(end - map.NodeOf.size(), OwnLines(node->Text())), kNoNode);
    map.NodeOf.resize(end, index);
    return false;
  };
  BuildXMLText(tree, sink, progress);
}

xmlDocPtr Parse(const std::string& text, const TLineMap& map, TParse& parse) {
  xmlSAXHandler sax;
  xmlSAXVersion(&sax, 2);
  sax.startElementNs = OnStartElement;
  sax.endElementNs = OnEndElement;
  sax.characters = sax.ignorableWhitespace = OnCharacters;
  sax.cdataBlock = OnCData;
  sax.comment = OnComment;
  sax.processingInstruction = OnInstruction;
  sax.reference = OnReference;
  sax.serror = OnParseError;
  xmlSetExternalEntityLoader(RefuseEntity);
  TReader reader{text};
  xmlParserCtxtPtr ctxt =
      xmlCreateIOParserCtxt(&sax, nullptr, ReadText, nullptr, &reader, XML_CHAR_ENCODING_NONE);
  if (!ctxt) return nullptr;
  // No entity is ever replaced nor any DTD loaded. Without entity declarations the limits on
  // depth and text sizes go; with them they stay, as they bound what entities can expand to.
  // Short texts are kept in their nodes (the walk only unlinks nodes, it changes no text).
  int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES |
                XML_PARSE_COMPACT;
  constexpr std::string_view kEntity = "<!ENTITY";
  if (!::memmem(text.data(), text.size(), kEntity.data(), kEntity.size()))
    options |= XML_PARSE_HUGE;
  else
    xmlParserMaxDepth = UINT_MAX;  // depth is no expansion: no limit either way
  xmlCtxtUseOptions(ctxt, options);
  parse.Main = ctxt;
  parse.Map = &map;
  gParse = &parse;
  xmlParseDocument(ctxt);
  xmlDocPtr doc = ctxt->myDoc;
  if (!ctxt->wellFormed && !parse.Failed) {
    parse.Failed = true;
    parse.Error = "the text cannot be read";
  }
  // The document and the context are not freed: the process ends next.
  return parse.Failed || !ctxt->wellFormed ? nullptr : doc;
}

std::string NotWellFormed(const TTreeView& tree, const TLineMap& map, const TParse& parse) {
  // On a closing-tag line or past the end: the node before it.
  size_t line = std::min(size_t(std::max(parse.ErrorLine, 0)), map.Lines());
  while (line > 0 && map.At(long(line)) == kNoNode) --line;
  const uint32_t index = line > 0 ? map.At(long(line)) : 0;
  if (index == 0) return Format("The document is not well-formed: %s", parse.Error.c_str());
  return Format("The document is not well-formed at node %u (\"%s\"): %s", index,
                ShortText(tree.Item(int(index))->Text()).c_str(), parse.Error.c_str());
}

// Text between the save's lines that holds nothing but their breaks and indentation: the
// outline has no node for it, so it is no node of the query's document either, and the
// positions of the nodes among their siblings are the outline's.
bool IsSeparator(xmlNodePtr text, const TLineMap& map, const TParse& parse) {
  if (!text->_private) return false;
  const TTextSpan& span = parse.Texts[reinterpret_cast<size_t>(text->_private) - 1];
  return span.First == 0 &&
         (map.At(span.Start) == kNoNode || map.At(span.Start) != map.At(span.End));
}

// The outline nodes a selected node stands for, marked by index.
void MarkSelected(xmlNodePtr n, const TLineMap& map, const TParse& parse,
                  std::vector<bool>& marks) {
  const auto mark = [&](uint32_t index) {
    if (index < marks.size()) marks[index] = true;
  };
  if (n->type == XML_NAMESPACE_DECL) {
    // A namespace node of a node-set links to its element.
    n = reinterpret_cast<xmlNodePtr>(reinterpret_cast<xmlNsPtr>(n)->next);
    if (!n || n->type != XML_ELEMENT_NODE) return;
  }
  switch (n->type) {
    case XML_DOCUMENT_NODE:
      mark(0);  // the file
      break;
    case XML_ATTRIBUTE_NODE:
      if (n->parent && n->parent->_private)
        mark(map.At(reinterpret_cast<intptr_t>(n->parent->_private)));
      break;
    case XML_ELEMENT_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
    case XML_CDATA_SECTION_NODE:
      if (n->_private) mark(map.At(reinterpret_cast<intptr_t>(n->_private)));
      break;
    case XML_TEXT_NODE: {
      if (!n->_private) break;
      const TTextSpan& span = parse.Texts[reinterpret_cast<size_t>(n->_private) - 1];
      if (span.First == 0) {
        mark(map.At(span.Start));
        break;
      }
      const uint32_t first = map.At(span.First), last = map.At(span.Last);
      if (first == kNoNode || last == kNoNode) break;
      for (uint32_t i = first; i <= last; ++i) mark(i);
      break;
    }
    default:
      break;
  }
}

}  // namespace zel::xpath
