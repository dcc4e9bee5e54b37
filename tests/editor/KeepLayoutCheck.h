#pragma once
// The Keep Layout property, shared by a test and a fuzz target: a document loaded with the
// layout kept saves to the bytes it was read from; after any edits, its save holds the same
// data as the indented save of the same outline (and is well-formed whenever that one is);
// undoing every edit gives the bytes read again; one node deleted takes its own lines only.
// Free of any test framework: it reports the first difference as text.

#include <iconv.h>
#include <libxml/c14n.h>
#include <libxml/parser.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exception.h"
#include "editor/OutlineDocument.h"
#include "platform/CodePage.h"
#include "platform/FileRead.h"
#include "tests/editor/EditSequence.h"
#include "treedoc/XMLSave.h"
#include "treedoc/ZelXMLTree.h"

namespace zel::test {

// libxml2's canonical form of the bytes without any whitespace (the outline trims text and
// joins its lines, a kept layout does not); false when they are not well-formed.
inline bool CanonicalNoBlanks(const std::string& bytes, std::string& out) {
  xmlDocPtr doc =
      xmlReadMemory(bytes.data(), int(bytes.size()), "in.xml", nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA);
  if (!doc) return false;
  xmlChar* c14n = nullptr;
  const int n = xmlC14NDocDumpMemory(doc, nullptr, XML_C14N_1_0, nullptr, 1, &c14n);
  xmlFreeDoc(doc);
  if (n < 0) return false;
  out.clear();
  for (int i = 0; i < n; ++i)
    if (c14n[i] != ' ' && c14n[i] != '\t' && c14n[i] != '\n' && c14n[i] != '\r')
      out.push_back(char(c14n[i]));
  xmlFree(c14n);
  return true;
}

// Text in another encoding (every character here it holds).
inline std::string Encoded(std::string_view text, const char* encoding,
                           const char* from = "UTF-8") {
  iconv_t cd = iconv_open(encoding, from);
  std::string out(4 * text.size() + 16, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size(), outLeft = out.size();
  char* to = out.data();
  iconv(cd, &in, &inLeft, &to, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

// The characters of bytes in the encodings GeneratedLayout gives, as UTF-8.
inline std::string AsUtf8(std::string_view bytes) {
  using namespace std::string_view_literals;
  if (bytes.starts_with("\xFF\xFE")) return Encoded(bytes.substr(2), "UTF-8", "UTF-16LE");
  if (bytes.starts_with("\xFE\xFF")) return Encoded(bytes.substr(2), "UTF-8", "UTF-16BE");
  if (bytes.starts_with("<\0?\0"sv)) return Encoded(bytes, "UTF-8", "UTF-16LE");
  if (bytes.starts_with("Lo\xA7\x94")) return Encoded(bytes, "UTF-8", "IBM037");
  return std::string(bytes);
}

// A document in a layout pick chooses: line ends (LF, CR LF, CR or mixed), indentation (TAB,
// spaces or none), blank lines, trailing blanks, comments, multi-line text, tags and attributes,
// either quote, both empty forms, a declaration and DOCTYPE or none, a final line end or none,
// and now and then a byte-order mark and UTF-16, or UTF-16 or EBCDIC the declaration names.
inline std::string GeneratedLayout(const std::function<unsigned(unsigned)>& pick) {
  static const char* const kEnds[] = {"\n", "\r\n", "\r"};
  static const char* const kUnits[] = {"\t", "  ", "    ", ""};
  const unsigned endKind = pick(4);  // 3: mixed
  const std::string unit = kUnits[pick(4)];
  std::string out;
  const auto end = [&] {
    // Now and then more blanks than a small record holds.
    if (pick(6) == 0) out += pick(2) ? " " : pick(4) ? "\t " : std::string(300, ' ');
    out += kEnds[endKind < 3 ? endKind : pick(3)];
    if (pick(8) == 0) out += kEnds[endKind < 3 ? endKind : pick(3)];  // a blank line
  };
  const auto indent = [&](int level) {
    for (int i = 0; i < level; ++i) out += unit;
  };
  if (pick(2)) {
    out += pick(2) ? "<?xml version=\"1.0\"?>" : "<?xml version='1.0' encoding=\"UTF-8\" ?>";
    end();
  }
  if (pick(3) == 0) {
    out += pick(2) ? "<!DOCTYPE r>" : "<!DOCTYPE r [\n  <!ELEMENT r ANY>\n]>";
    end();
  }
  if (pick(3) == 0) {
    out += "<!-- head\n  comment -->";
    end();
  }
  int made = 0;
  const std::function<void(int)> element = [&](int level) {
    const std::string name = "e" + std::to_string(made++);
    indent(level);
    out += "<" + name;
    if (pick(2)) out += pick(2) ? " a='1'" : " a=\"x y\"  b=\"2\"";
    if (pick(6) == 0) out += "\n" + std::string(size_t(level) + 1, ' ') + "c=\"3\"";
    const unsigned form = level > 3 ? pick(3) : pick(5);
    if (form == 0) {
      out += pick(2) ? "/>" : "></" + name + ">";
    } else if (form == 1) {
      out += ">" +
             std::string(pick(2)   ? "text"
                         : pick(2) ? "a &amp; b"
                                   : "caf\xC3\xA9") +
             "</" + name + ">";
    } else if (form == 2) {
      out += ">two\n" + std::string(pick(2) ? "  " : "") + "lines</" + name + ">";
    } else {
      out += ">";
      for (unsigned k = 1 + pick(4); k-- > 0;) {
        end();
        switch (pick(6)) {
          case 0:
            indent(level + 1);
            out += pick(2) ? "<!-- c -->" : "<!-- c\n  d -->";
            break;
          case 1:
            indent(level + 1);
            out += pick(2) ? "words here" : "<![CDATA[x < y]]>";
            break;
          case 2:
            indent(level + 1);
            out += "<?pi data?>";
            break;
          default:
            element(level + 1);
            break;
        }
      }
      end();
      indent(level);
      out += "</" + name + ">";
    }
  };
  element(0);
  if (pick(3)) end();
  if (pick(8) == 0)  // UTF-16 with a byte-order mark
    return pick(2) ? "\xFE\xFF" + Encoded(out, "UTF-16BE") : "\xFF\xFE" + Encoded(out, "UTF-16LE");
  if (pick(8) == 0) return "\xEF\xBB\xBF" + out;
  if (pick(8) == 0) {
    // An encoding the declaration names and the reader decodes: UTF-16 without a mark, or
    // EBCDIC.
    const char* const encoding = pick(2) ? "UTF-16LE" : "IBM037";
    const std::string declaration =
        "<?xml version=\"1.0\" encoding=\"" + std::string(encoding) + "\"?>";
    if (out.starts_with("<?xml"))
      out.replace(0, out.find("?>") + 2, declaration);
    else
      out.insert(0, declaration + "\n");
    return Encoded(out, encoding);
  }
  return out;
}

// Every line end made LF: which one a line gets anew is not what a deletion is checked for.
inline std::string OneLineEnd(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i] == '\r' ? '\n' : text[i]);
  }
  return out;
}

// Whether `after` is `before` less one run of bytes that is whole lines (any line end), lies
// within one line, or is a node that shares its first line with others, to the end of its
// last line or up to others there (its lines join): what deleting one node may change.
inline bool CutIsLines(std::string_view before, std::string_view after) {
  if (after.size() >= before.size()) return false;
  const size_t cut = before.size() - after.size();
  size_t p = 0, q = 0;
  while (p < after.size() && before[p] == after[p]) ++p;
  while (q < after.size() && before[before.size() - 1 - q] == after[after.size() - 1 - q]) ++q;
  if (p + q < after.size()) return false;
  const auto lineStart = [&](size_t i) {
    return i == 0 || i == before.size() || before[i - 1] == '\n' ||
           (before[i - 1] == '\r' && before[i] != '\n');
  };
  const auto blank = [](std::string_view s) {
    return s.find_first_not_of(" \t\r\n") == std::string_view::npos;
  };
  if (before.substr(p, cut).find_first_of("\r\n") == std::string_view::npos) return true;
  for (size_t i = after.size() - q; i <= p; ++i) {
    if (lineStart(i) && lineStart(i + cut)) return true;
    // Markup before it on its first line and after it on its last, and its own on both.
    const std::string_view run = before.substr(i, cut), head = before.substr(0, i),
                           tail = before.substr(i + cut);
    const auto firstBreak = run.find_first_of("\r\n"), lastBreak = run.find_last_of("\r\n");
    const auto headLine = head.substr(head.find_last_of("\r\n") + 1);
    const auto tailLine = tail.substr(0, tail.find_first_of("\r\n"));
    const bool sharesFirst = !blank(run.substr(0, firstBreak)) && !blank(headLine);
    const bool sharesLast = !blank(run.substr(lastBreak + 1)) && !blank(tailLine);
    if (sharesFirst && (sharesLast || tail.empty() || tail[0] == '\r' || tail[0] == '\n'))
      return true;
  }
  return false;
}

// Loads bytes with the layout kept (scratch: a file name to save to), plays `steps` edits chosen
// by pick, and returns an empty string when the property holds.
inline std::string CheckKeepLayout(const std::string& bytes,
                                   const std::function<unsigned(unsigned)>& pick, int steps,
                                   const std::string& scratch) {
  TOutlineDocument doc;
  TTreeView& tree = doc.Tree();
  TZelXMLTree component;
  component.SetTreeView(&tree);
  component.SetKeepLayout(true);
  try {
    component.LoadFromBytes("in.xml", bytes);
  } catch (const Exception&) {
    return "";  // what the editor does not load it does not save
  }
  const auto kept = [&] {
    component.SaveToFile(scratch);
    return ReadFileBytes(scratch);
  };
  if (kept() != bytes) return "read and saved, the bytes changed:\n" + bytes + "\n---\n" + kept();
  // The nodes and their levels, without the root, whose text a save changes: what a save
  // writes (which nodes are expanded it does not).
  const auto state = [&] {
    std::string out;
    for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext())
      if (n != tree.GetFirstNode())
        out += std::to_string(n->Level()) + ' ' + std::string(n->Text()) + '\n';
    return out;
  };
  // In a well-formed document (no markup the reader mended, which is written anew), a node
  // below the document's element, deleted, takes its lines or its piece of a line. Set against
  // the save with a comment added at the element's end, which writes the nodes the same way.
  TTreeNode* n = tree.Count() ? tree.Item(int(pick(unsigned(tree.Count())))) : nullptr;
  TTreeNode* element = n;
  while (element && element->Level() > 1) element = element->Parent();
  std::string readData;
  if (n && n->Level() >= 2 && element && CanonicalNoBlanks(bytes, readData) &&
      doc.Add(element, "<!-- added -->")) {
    const std::string before = kept();
    if (doc.Delete(n)) {
      const std::string saved = kept();
      if (!CutIsLines(OneLineEnd(AsUtf8(before)), OneLineEnd(AsUtf8(saved))))
        return "one node deleted, more changed:\n" + saved + "\n--- before\n" + before;
      doc.Undo();
    }
    doc.Undo();
  }
  const std::string read = state();
  doc.SetConfirm([&](const std::string&) { return pick(4) == 0; });
  const auto anyNode = [&]() -> TTreeNode* {
    return tree.Count() ? tree.Item(int(pick(unsigned(tree.Count())))) : nullptr;
  };
  for (int i = 0; i < steps; ++i) {
    TTreeNode* n = anyNode();
    switch (pick(14)) {
      case 0:
        doc.Add(n, KindText(pick(8), i));
        break;
      case 1:
        if (n) doc.SetText(n, SameKindText(*n, i));
        break;
      case 2:
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
        doc.Duplicate(n);
        break;
      case 8:
        doc.Drop(n, anyNode());
        break;
      case 9: {
        // The children reversed, as a sort may leave them.
        if (!n || !n->GetFirstChild()) break;
        std::vector<TTreeNode*> order;
        for (TTreeNode* c = n->GetLastChild(); c; c = c->getPrevSibling()) order.push_back(c);
        doc.Arrange(n, order, "Sort");
        break;
      }
      case 10:
        // A copy of a node with its subtree, pasted anywhere.
        if (n) doc.Insert({n}, anyNode(), nullptr);
        break;
      case 11:
        doc.Redo();
        break;
      case 12:
        // A character EBCDIC does not hold, where a reference stands for it.
        if (n && n->Level() >= 2) {
          const std::string euro = WideToMultiByte(GetACP(), u"\u20AC");
          doc.SetText(n, "<t v=\"" + euro + "\">" + euro + "</t>");
        }
        break;
      default:
        doc.Undo();
        break;
    }
    std::string indented, keptData, indentedData;
    BuildXMLText(tree, indented);
    const std::string saved = kept();
    // An outline as it was read gives the bytes read, broken or not.
    if (saved == bytes && state() == read) continue;
    if (!CanonicalNoBlanks(indented, indentedData)) continue;
    if (!CanonicalNoBlanks(saved, keptData))
      return "after step " + std::to_string(i) + " the kept save is broken:\n" + saved +
             "\n--- read\n" + bytes + "\n--- indented\n" + indented;
    if (keptData != indentedData)
      return "after step " + std::to_string(i) + " the data differ:\n" + saved + "\n--- read\n" +
             bytes + "\n--- indented\n" + indented;
  }
  while (doc.UndoCount() > 0) doc.Undo();
  if (kept() != bytes) return "all undone, the bytes changed:\n" + bytes + "\n---\n" + kept();
  return "";
}

}  // namespace zel::test
