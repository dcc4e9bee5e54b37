// The paths of Copy XPath and of Find All's path column, which the XPath query maps back to
// the node they name: positions count what XPath counts among the siblings, names carry the
// namespace prefixes the query knows.

#include <algorithm>
#include <charconv>
#include <string_view>
#include <unordered_map>

#include "base/StrUtils.h"
#include "editor/FindAll.h"
#include "editor/PlacementRules.h"
#include "outline/TreeWalk.h"

namespace zel {

namespace {

// A text node of XPath, as a node text of the outline makes them: runs of characters and
// CDATA sections, which stay apart, and the references to general entities, which split
// them and are no node themselves.
struct TTextPieces {
  int Count = 0;
  char First = 0, Last = 0;  // 'T' characters, 'C' a section, 'E' a reference, 0 none
};

TTextPieces PiecesOf(std::string_view text) {
  static constexpr std::string_view kOpen = "<![CDATA[", kClose = "]]>";
  TTextPieces out;
  char last = 0;
  const auto add = [&](char kind) {
    if (kind != 'E' && kind != last) ++out.Count;
    if (!out.First) out.First = kind;
    last = out.Last = kind;
  };
  for (size_t i = 0; i < text.size();) {
    if (text.substr(i).starts_with(kOpen)) {
      const size_t close = text.find(kClose, i + kOpen.size());
      add('C');
      i = close == std::string_view::npos ? text.size() : close + kClose.size();
      continue;
    }
    if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '#') {
      const size_t semi = text.find(';', i);
      const std::string_view name =
          semi == std::string_view::npos ? "" : text.substr(i + 1, semi - i - 1);
      if (!name.empty() && name != "lt" && name != "gt" && name != "amp" && name != "quot" &&
          name != "apos") {
        add('E');
        i = semi + 1;
        continue;
      }
    }
    if (last != 'T') add('T');
    ++i;
  }
  return out;
}

// An attribute value as XPath reads it: references to the predefined entities and to ASCII
// characters replaced, line breaks and tabs as spaces.
std::string AttributeValue(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\t' || c == '\n' || c == '\r') {
      out.push_back(' ');
      continue;
    }
    const size_t semi = c == '&' ? raw.find(';', i) : std::string_view::npos;
    if (semi == std::string_view::npos) {
      out.push_back(c);
      continue;
    }
    const std::string_view name = raw.substr(i + 1, semi - i - 1);
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    char replaced = 0;
    for (const auto& [n, r] : kNamed)
      if (name == n) replaced = r;
    if (!replaced && name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      unsigned long code = 0;
      for (const char d : name.substr(hex ? 2 : 1)) {
        const int v = d >= '0' && d <= '9'          ? d - '0'
                      : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                      : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                    : -1;
        if (v < 0 || code > 0x10FFFF) {
          code = 0;
          break;
        }
        code = code * (hex ? 16 : 10) + unsigned(v);
      }
      if (code > 0 && code < 0x80) replaced = char(code);
    }
    if (!replaced) {
      out.push_back(c);
      continue;
    }
    out.push_back(replaced);
    i = semi;
  }
  return out;
}

// The namespace declarations of a start tag (`<a xmlns="u" xmlns:p="v">`): the prefix (empty
// for the default) and the value, to `declare`.
template <typename Declare>
void ForEachDeclaration(std::string_view tag, size_t nameEnd, Declare&& declare) {
  size_t i = nameEnd;
  while (i < tag.size()) {
    while (i < tag.size() && IsBlank(tag[i])) ++i;
    if (i >= tag.size() || tag[i] == '>' || tag[i] == '/') return;
    const size_t name = i;
    while (i < tag.size() && tag[i] != '=' && !IsBlank(tag[i]) && tag[i] != '>') ++i;
    const std::string_view attribute = tag.substr(name, i - name);
    while (i < tag.size() && IsBlank(tag[i])) ++i;
    if (i >= tag.size() || tag[i] != '=') return;
    ++i;
    while (i < tag.size() && IsBlank(tag[i])) ++i;
    if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\'')) return;
    const size_t close = tag.find(tag[i], i + 1);
    if (close == std::string_view::npos) return;
    const std::string_view value = tag.substr(i + 1, close - i - 1);
    i = close + 1;
    if (attribute == "xmlns")
      declare(std::string_view(), value);
    else if (attribute.starts_with("xmlns:"))
      declare(attribute.substr(6), value);
  }
}

// The text as an XPath string literal.
std::string Literal(const std::string& text) {
  if (text.find('\'') == std::string::npos) return "'" + text + "'";
  if (text.find('"') == std::string::npos) return "\"" + text + "\"";
  std::string out = "concat(";  // both quotes: at least two pieces
  for (size_t from = 0; from < text.size();) {
    if (from > 0) out += ", ";
    if (text[from] == '\'') {
      out += "\"'\"";
      ++from;
      continue;
    }
    const size_t end = std::min(text.find('\'', from), text.size());
    out += "'" + text.substr(from, end - from) + "'";
    from = end;
  }
  return out + ")";
}

// Where the name of a start tag's text ends.
size_t TagNameEnd(std::string_view text) {
  size_t end = 1;
  while (end < text.size() && !IsBlank(text[end]) && text[end] != '/' && text[end] != '>') ++end;
  return end;
}

bool IsElement(std::string_view text) {
  const TNodeKind kind = NodeKindOf(text);
  return kind == TNodeKind::nkStartTag || kind == TNodeKind::nkClosedElement;
}

// One walk in document order that names each node's step as the XPath query reads it. The
// query knows each prefix by its first declaration in the document, and the first default
// namespace as `d:` unless the document declares that prefix itself.
class TPathWalk {
 public:
  explicit TPathWalk(const TTreeView& tree) : FTree(tree) {}

  // Visits the next node in document order; false when XPath has no node for it.
  bool Visit(const TTreeNode& n, size_t level) {
    if (FLevels.size() <= level) FLevels.resize(level + 1);
    TLevel& at = FLevels[level];
    if (n.getPrevSibling() == nullptr) at.Restart();
    Leave(level);
    FPath.resize(level > 0 ? FLevels[level - 1].End : 0);
    at.End = FPath.size();
    at.Pathless = level > 0 && FLevels[level - 1].PathlessBelow;
    at.PathlessBelow = at.Pathless;
    if (n.IsFirstNode()) return true;
    if (at.Pathless) return false;
    const std::string_view text = n.Text();
    int position = 0;
    switch (NodeKindOf(text)) {
      case TNodeKind::nkStartTag:
      case TNodeKind::nkClosedElement: {
        const size_t end = TagNameEnd(text);
        ForEachDeclaration(text, end, [&](std::string_view prefix, std::string_view value) {
          Declare(level, std::string(prefix), AttributeValue(value));
        });
        const std::string_view name = text.substr(1, end - 1);
        const size_t colon = name.find(':');
        const std::string_view prefix = colon == name.npos ? "" : name.substr(0, colon);
        const std::string_view local = colon == name.npos ? name : name.substr(colon + 1);
        int ns = 0;
        if (!FInScope.empty()) {
          const auto scope = FInScope.find(std::string(prefix));
          if (scope != FInScope.end()) ns = scope->second;
        }
        position = ++at.Elements[{ns, local}];
        FPath.push_back('/');
        AppendName(prefix, local, ns);
        at.LastText = 0;
        break;
      }
      case TNodeKind::nkComment:
        position = ++at.Comments;
        FPath += "/comment()";
        at.LastText = 0;
        break;
      case TNodeKind::nkInstruction:
        position = ++at.Instructions;
        FPath += "/processing-instruction()";
        at.LastText = 0;
        break;
      case TNodeKind::nkText:
      case TNodeKind::nkCData: {
        const TTextPieces pieces = PiecesOf(text);
        // Characters right after characters of the sibling before are one text with them.
        const bool joined = at.LastText == 'T' && pieces.First == 'T';
        position = at.Texts + (joined ? 0 : 1);
        at.Texts += pieces.Count - (joined ? 1 : 0);
        at.LastText = pieces.Last;
        if (pieces.Count == 0) {
          at.End = FPath.size();
          return false;  // references alone: no text of XPath's
        }
        FPath += "/text()";
        break;
      }
      default:  // the declaration, the DOCTYPE and what its internal subset holds
        at.PathlessBelow = true;
        at.End = FPath.size();
        return false;
    }
    char digits[16];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, position);
    FPath.push_back('[');
    FPath.append(digits, end).push_back(']');
    at.End = FPath.size();
    return true;
  }

  std::string Path() const { return FPath.empty() ? "/" : FPath; }

 private:
  struct TName {
    int Ns;
    std::string_view Local;  // in the node's text, which outlives the walk
    bool operator==(const TName&) const = default;
  };
  struct THash {
    size_t operator()(const TName& n) const {
      return std::hash<std::string_view>()(n.Local) ^ (size_t(n.Ns) * 0x9E3779B97F4A7C15ull);
    }
  };
  struct TLevel {
    std::unordered_map<TName, int, THash> Elements;
    int Comments = 0, Instructions = 0, Texts = 0;
    char LastText = 0;  // how the text of the sibling before ended, 0: not a text
    size_t End = 0;     // where the path of the node here ends
    bool Pathless = false, PathlessBelow = false;
    void Restart() {
      // Clearing costs the buckets: a level that once had many names starts afresh instead.
      if (Elements.bucket_count() > 64)
        Elements = {};
      else
        Elements.clear();
      Comments = Instructions = Texts = 0;
      LastText = 0;
    }
  };
  // A declaration made at a level, and what the prefix meant before it.
  struct TScoped {
    size_t Level;
    std::string Prefix;
    int Before;  // -1: not declared
  };

  int NamespaceId(const std::string& uri) {
    if (uri.empty()) return 0;
    const auto [it, added] = FIds.try_emplace(uri, int(FUris.size()));
    if (added) FUris.push_back(uri);
    return it->second;
  }

  void Declare(size_t level, std::string prefix, const std::string& uri) {
    const int ns = NamespaceId(uri);
    const auto found = FInScope.find(prefix);
    FScoped.push_back({level, prefix, found == FInScope.end() ? -1 : found->second});
    if (ns > 0) {
      if (prefix.empty()) {
        if (FDefault == 0) FDefault = ns;
      } else if (FFirst.try_emplace(prefix, ns).second) {
        FPrefixOf.try_emplace(ns, prefix);
      }
    }
    FInScope[std::move(prefix)] = ns;
  }

  // The declarations of the elements at `level` and below end.
  void Leave(size_t level) {
    while (!FScoped.empty() && FScoped.back().Level >= level) {
      TScoped& s = FScoped.back();
      if (s.Before < 0)
        FInScope.erase(s.Prefix);
      else
        FInScope[s.Prefix] = s.Before;
      FScoped.pop_back();
    }
  }

  // Whether any element of the document declares the prefix the query gives the default
  // namespace: then the query leaves it to the document. Looked up once, when first needed.
  bool DefaultPrefixTaken() {
    if (FDefaultTaken < 0) {
      FDefaultTaken = 0;
      const std::string attribute = std::string("xmlns:") + kXPathDefaultPrefix;
      for (const TTreeNode* n = FTree.GetFirstNode(); n && !FDefaultTaken; n = n->GetNext()) {
        const std::string_view text = n->Text();
        if (text.find(attribute) == std::string_view::npos || !IsElement(text)) continue;
        ForEachDeclaration(text, TagNameEnd(text), [&](std::string_view prefix, std::string_view) {
          if (prefix == kXPathDefaultPrefix) FDefaultTaken = 1;
        });
      }
    }
    return FDefaultTaken > 0;
  }

  void AppendName(std::string_view prefix, std::string_view local, int ns) {
    if (ns == 0 || (!prefix.empty() && FFirst[std::string(prefix)] == ns)) {
      // No namespace, or the prefix as written means this one to the query.
      FPath.append(prefix).append(prefix.empty() ? "" : ":").append(local);
      return;
    }
    if (ns == FDefault && !DefaultPrefixTaken()) {
      FPath.append(kXPathDefaultPrefix).append(":").append(local);
      return;
    }
    if (const auto other = FPrefixOf.find(ns); other != FPrefixOf.end()) {
      FPath.append(other->second).append(":").append(local);
      return;
    }
    FPath += "*[local-name() = '" + std::string(local) +
             "' and namespace-uri() = " + Literal(FUris[size_t(ns)]) + "]";
  }

  const TTreeView& FTree;
  std::vector<TLevel> FLevels;
  std::string FPath;
  std::vector<TScoped> FScoped;
  std::unordered_map<std::string, int> FInScope;  // prefix ("" the default) to namespace
  std::unordered_map<std::string, int> FIds;      // namespace to its number, from 1
  std::vector<std::string> FUris{""};
  std::unordered_map<std::string, int> FFirst;     // prefix to its first namespace
  std::unordered_map<int, std::string> FPrefixOf;  // namespace to a prefix first declared so
  int FDefault = 0;
  int FDefaultTaken = -1;
};

}  // namespace

std::string NodePath(const TTreeNode& node) {
  const TTreeView* tree = node.TreeView();
  if (!tree) return {};
  std::vector<const TTreeNode*> chain;
  bool declared = false;
  for (const TTreeNode* a = &node; a; a = a->Parent()) {
    chain.push_back(a);
    const std::string_view text = a->Text();
    if (!declared && IsElement(text))
      ForEachDeclaration(text, TagNameEnd(text),
                         [&](std::string_view, std::string_view) { declared = true; });
  }
  TPathWalk walk(*tree);
  if (declared) {
    // The names may depend on any declaration before the node.
    std::string path;
    WalkInDocumentOrder(*tree, [&](const TTreeNode& n, int level) {
      const bool named = walk.Visit(n, size_t(level));
      if (&n != &node) return true;
      if (named) path = walk.Path();
      return false;
    });
    return path;
  }
  // No namespace in scope: the node's path needs only the siblings before it and before each
  // of its ancestors, whose names only their own declarations give a namespace.
  bool named = false;
  size_t level = 0;
  for (auto a = chain.rbegin(); a != chain.rend(); ++a, ++level) {
    const TTreeNode* s = level == 0 ? tree->GetFirstNode() : (*(a - 1))->GetFirstChild();
    for (; s; s = s->getNextSibling()) {
      named = walk.Visit(*s, level);
      if (s == *a) break;
    }
  }
  return named ? walk.Path() : std::string();
}

bool HasNodePath(const TTreeNode& node) {
  for (const TTreeNode* a = &node; a; a = a->Parent()) {
    if (a->IsFirstNode()) return true;
    switch (NodeKindOf(a->Text())) {
      case TNodeKind::nkStartTag:
      case TNodeKind::nkClosedElement:
      case TNodeKind::nkComment:
      case TNodeKind::nkInstruction:
        break;
      case TNodeKind::nkText:
      case TNodeKind::nkCData:
        // Only references make no text of XPath's; a text that starts otherwise makes one.
        if (a->Text().starts_with('&') && PiecesOf(a->Text()).Count == 0) return false;
        break;
      default:
        return false;
    }
  }
  return true;
}

std::vector<std::string> NodePaths(const TTreeView& tree, const std::vector<TFoundNode>& found) {
  std::vector<std::string> paths;
  paths.reserve(found.size());
  if (found.empty()) return paths;
  TPathWalk walk(tree);
  WalkInDocumentOrder(tree, [&](const TTreeNode& n, int level) {
    const bool named = walk.Visit(n, size_t(level));
    if (&n != found[paths.size()].Node) return true;
    paths.push_back(named ? walk.Path() : std::string());
    return paths.size() < found.size();
  });
  return paths;
}

}  // namespace zel
