#include "editor/internal/XPathEval.h"

#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "base/StrUtils.h"
#include "editor/internal/XPathDocument.h"
#include "platform/CodePage.h"

namespace zel::xpath {

namespace {

void Silent(void*, const char*, ...) {}

// The namespaces the expression may name: every prefix the document declares (a prefix
// declared again for another namespace keeps its first one; XPath gives a prefix one meaning
// per expression) and the first default namespace under the caller's prefix, unless the
// document uses that prefix itself.
class TNamespaces {
 public:
  explicit TNamespaces(xmlXPathContextPtr ctx) : FCtx(ctx) {}
  void Add(xmlNsPtr ns) {
    if (!ns->href) return;
    if (ns->prefix) {
      if (!xmlXPathNsLookup(FCtx, ns->prefix)) xmlXPathRegisterNs(FCtx, ns->prefix, ns->href);
    } else if (!FDefault && ns->href[0]) {
      FDefault = ns->href;
    }
  }
  void AddDefault(const std::string& prefix) {
    const auto* p = reinterpret_cast<const xmlChar*>(prefix.c_str());
    if (FDefault && !prefix.empty() && !xmlXPathNsLookup(FCtx, p))
      xmlXPathRegisterNs(FCtx, p, FDefault);
  }

 private:
  xmlXPathContextPtr FCtx;
  const xmlChar* FDefault = nullptr;
};

// One walk over the document: drops the separators and finds the namespaces.
void Prepare(xmlDocPtr doc, const TLineMap& map, const TParse& parse, TNamespaces& namespaces) {
  xmlNodePtr n = doc->children;
  while (n) {
    if (n->type == XML_ELEMENT_NODE) {
      for (xmlNsPtr ns = n->nsDef; ns; ns = ns->next) namespaces.Add(ns);
      if (n->children) {
        n = n->children;
        continue;
      }
    }
    xmlNodePtr drop = n->type == XML_TEXT_NODE && IsSeparator(n, map, parse) ? n : nullptr;
    while (n && !n->next)
      n = n->parent && n->parent->type == XML_ELEMENT_NODE ? n->parent : nullptr;
    n = n ? n->next : nullptr;
    if (drop) xmlUnlinkNode(drop);  // freed with the process
  }
}

std::string Message(TMessageKind kind, std::string_view payload) {
  std::string out(1, char(kind));
  const uint64_t size = payload.size();
  out.append(reinterpret_cast<const char*>(&size), sizeof size);
  out.append(payload);
  return out;
}

std::string ToUtf8(const std::string& text) {
  return GetACP() == CP_UTF8 ? text : WideToMultiByte(CP_UTF8, MultiByteToWide(GetACP(), text));
}

std::string FromUtf8(const std::string& text) {
  return GetACP() == CP_UTF8 ? text : WideToMultiByte(GetACP(), MultiByteToWide(CP_UTF8, text));
}

// libxml2 reads the step after a lone '/' only when it starts with an ASCII letter (or '_',
// '.', '@', '*'): a name in another script gets its axis spelled out, which means the same.
std::string WithChildAxis(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  char quote = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    out.push_back(c);
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') quote = c;
    if (c != '/' || (i > 0 && utf8[i - 1] == '/') || (i + 1 < utf8.size() && utf8[i + 1] == '/'))
      continue;
    size_t next = i + 1;
    while (next < utf8.size() && IsBlank(utf8[next])) ++next;
    if (next < utf8.size() && static_cast<unsigned char>(utf8[next]) >= 0x80) out += "child::";
  }
  return out;
}

// The first error of the expression, with where it stands.
struct TXPathError {
  bool Set = false;
  std::string Text;
};

void OnXPathError(void* data, xmlErrorPtr error) {
  auto* first = static_cast<TXPathError*>(data);
  if (first->Set || !error) return;
  first->Set = true;
  first->Text = error->message ? TrimRight(error->message) : "unknown error";
  if (error->str1) first->Text += Format(" at position %d", error->int1 + 1);
}

std::string Query(const TTreeView& tree, const std::string& expression,
                  const TXPathOptions& options) {
  xmlSetGenericErrorFunc(nullptr, Silent);
  std::string text;
  TLineMap map;
  BuildText(tree, text, map);
  TParse parse;
  xmlDocPtr doc = Parse(text, map, parse);
  if (!doc) return Message(mkError, NotWellFormed(tree, map, parse));
  std::string().swap(text);

  xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
  if (!ctx) throw std::bad_alloc();
  // Through the global handler, which gets the message text as well.
  TXPathError error;
  xmlSetStructuredErrorFunc(&error, OnXPathError);
  TNamespaces namespaces(ctx);
  Prepare(doc, map, parse, namespaces);
  namespaces.AddDefault(ToUtf8(options.DefaultPrefix));

  const std::string utf8 = WithChildAxis(ToUtf8(expression));
  xmlXPathCompExprPtr comp =
      xmlXPathCtxtCompile(ctx, reinterpret_cast<const xmlChar*>(utf8.c_str()));
  if (!comp)
    return Message(mkError, Format("Invalid XPath expression \"%s\": %s", expression.c_str(),
                                   error.Set ? error.Text.c_str() : "cannot compile"));
  xmlXPathObjectPtr result = xmlXPathCompiledEval(comp, ctx);
  if (!result || error.Set)
    return Message(mkError, Format("The XPath expression \"%s\" fails: %s", expression.c_str(),
                                   error.Set ? error.Text.c_str() : "no result"));
  if (result->type != XPATH_NODESET) {
    xmlChar* value = xmlXPathCastToString(result);
    const std::string out = value ? FromUtf8(reinterpret_cast<const char*>(value)) : "";
    return Message(mkValue, out);
  }
  std::vector<bool> marks(size_t(tree.Count()));
  if (xmlNodeSetPtr set = result->nodesetval)
    for (int i = 0; i < set->nodeNr; ++i) MarkSelected(set->nodeTab[i], map, parse, marks);
  std::string indexes;
  for (uint32_t i = 0; i < marks.size(); ++i)
    if (marks[i]) indexes.append(reinterpret_cast<const char*>(&i), sizeof i);
  return Message(mkNodes, indexes);
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(size_t(n));
  }
  return true;
}

}  // namespace

int RunQuery(int fd, const TTreeView& tree, const std::string& expression,
             const TXPathOptions& options) noexcept {
  try {
    return WriteAll(fd, Query(tree, expression, options)) ? 0 : 1;
  } catch (const std::bad_alloc&) {
    return WriteAll(fd, Message(mkError, "There is not enough memory for the XPath query.")) ? 0
                                                                                             : 1;
  } catch (...) {
    return 1;
  }
}

}  // namespace zel::xpath
