// Well-formed documents keep their data: for every input that libxml2 accepts, the editor's
// load and save give a file libxml2 accepts with the same canonical data (comments kept,
// CDATA as text), up to what the outline's one trimmed line per node changes: whitespace-only
// text, the blanks around text, and runs of whitespace inside text.

#include <libxml/c14n.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzUtil.h"
#include "base/Exception.h"
#include "outline/TreeView.h"
#include "platform/CodePage.h"
#include "treedoc/ZelXMLTree.h"

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The canonical form of a document libxml2 accepts, normalized; false when it is not
// well-formed. No external DTD is read, so no default attributes come from one.
bool CanonicalData(const std::string& bytes, std::string& out) {
  constexpr int kOptions = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR |
                           XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;
  xmlResetLastError();
  xmlDocPtr doc =
      xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "in.xml", nullptr, kOptions);
  if (doc == nullptr) return false;
  // libxml2 gives a document also when bytes after the root element do not decode.
  const xmlError* error = xmlGetLastError();
  if (error != nullptr && error->level >= XML_ERR_ERROR) {
    xmlFreeDoc(doc);
    return false;
  }
  xmlChar* c14n = nullptr;
  const int n = xmlC14NDocDumpMemory(doc, nullptr, XML_C14N_1_0, nullptr, 1, &c14n);
  xmlFreeDoc(doc);
  if (n < 0) return false;
  const std::string_view s(reinterpret_cast<const char*>(c14n), static_cast<size_t>(n));
  // Text between markup: trimmed, its whitespace runs one space. Outside comments and
  // instructions, the only unescaped '<' and '>' of canonical text are those of tags.
  out.clear();
  std::string text;
  const auto flushText = [&] {
    size_t b = 0, e = text.size();
    while (b < e && IsSpace(text[b])) ++b;
    while (e > b && IsSpace(text[e - 1])) --e;
    bool space = false;
    for (size_t i = b; i < e; ++i) {
      if (IsSpace(text[i])) {
        space = true;
        continue;
      }
      if (space) out.push_back(' ');
      space = false;
      out.push_back(text[i]);
    }
    text.clear();
  };
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] != '<') {
      text.push_back(s[i++]);
      continue;
    }
    flushText();
    size_t end = s.size();
    if (s.substr(i).starts_with("<!--") || s.substr(i).starts_with("<?")) {
      const bool comment = s[i + 1] == '!';
      const std::string_view close = comment ? "-->" : "?>";
      const size_t e = s.find(close, i + (comment ? 4 : 2));  // "<!-->" is no whole comment
      if (e != std::string_view::npos) end = e + close.size();
    } else {  // a tag: canonical values are in double quotes and may hold '>'
      bool quoted = false;
      for (size_t k = i + 1; k < s.size(); ++k) {
        if (s[k] == '"') quoted = !quoted;
        if (!quoted && s[k] == '>') {
          end = k + 1;
          break;
        }
      }
    }
    out.append(s.substr(i, end - i));
    i = end;
  }
  flushText();
  xmlFree(c14n);
  return true;
}

std::string ReadFile(const std::string& path) {
  std::string out;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
  }
  return out;
}

void Fail(const char* what, const std::string& a, const std::string& b) {
  std::fprintf(stderr, "%s\n--- original\n%s\n--- saved\n%s\n", what, a.c_str(), b.c_str());
  std::abort();
}

// Whether the XML declaration at the start (after a byte-order mark) names an encoding other
// than UTF-8.
bool DeclaresOtherThanUtf8(std::string_view bytes) {
  const std::string_view head = bytes.substr(0, bytes.find("?>"));
  const size_t at = head.find("encoding");
  if (at == std::string_view::npos) return false;
  const size_t q = head.find_first_of("\"'", at);
  if (q == std::string_view::npos) return false;
  std::string name(head.substr(q + 1, head.find(head[q], q + 1) - q - 1));
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name != "UTF-8" && name != "UTF8";
}

void Quiet(void*, const char*, ...) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zel::SetACPOverride(zel::CP_UTF8);  // a UTF-8 desktop holds every character
  xmlSetGenericErrorFunc(nullptr, Quiet);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // libxml2 takes a NUL after the root element for the end of the text; the editor refuses
  // a file that holds one, naming where.
  if (bytes.find('\0') != std::string::npos) return 0;
  // libxml2 lets a declaration override the UTF-8 byte-order mark (XML calls that a fatal
  // error); the editor refuses the bytes that are then not UTF-8, naming the line.
  if (bytes.starts_with("\xEF\xBB\xBF") && DeclaresOtherThanUtf8(bytes)) return 0;
  std::string original;
  if (!CanonicalData(bytes, original)) return 0;
  static const std::string input = zelfuzz::ScratchFile("wf-in");
  static const std::string saved = zelfuzz::ScratchFile("wf-saved");
  if (!zelfuzz::WriteFile(input, data, size)) return 0;

  zel::TTreeView tree;
  zel::TZelXMLTree component;
  component.SetTreeView(&tree);
  try {
    component.LoadFromFile(input);
  } catch (const zel::Exception& e) {
    Fail(("a well-formed document does not load: " + e.Message()).c_str(), bytes, "");
  }
  component.SaveToFile(saved);
  const std::string written = ReadFile(saved);
  std::string again;
  if (!CanonicalData(written, again)) Fail("the saved file is not well-formed", bytes, written);
  if (again != original)
    Fail(("the data changed:\n" + original + "\n--- to\n" + again).c_str(), bytes, written);
  return 0;
}
