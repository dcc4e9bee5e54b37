#include "xml/XmlWriter.h"

#include <string>

namespace zel {

namespace {

struct SizeOut {
  size_t Size = 0;
  void Put(std::string_view s) { Size += s.size(); }
  void Spaces(size_t n) { Size += n; }
};

struct StringOut {
  std::string Text;
  void Put(std::string_view s) { Text.append(s); }
  void Spaces(size_t n) { Text.append(n, ' '); }
};

// Splits the pieces into lines exactly as the line list splits a text: at CR LF, a lone CR
// or a lone LF, ending at a NUL. With Emit false it only counts.
template <bool Emit>
struct LineOut {
  const std::function<void(std::string_view)>* Sink = nullptr;
  std::string Line;
  bool Pending = false;  // characters since the last break
  bool AfterCR = false;
  bool Stopped = false;
  size_t Count = 0;

  void EndLine() {
    if constexpr (Emit) {
      (*Sink)(Line);
      Line.clear();
    }
    ++Count;
    Pending = false;
  }
  void Put(std::string_view s) {
    if (Stopped) return;
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
      if (AfterCR) {
        AfterCR = false;
        if (s[i] == '\n') {
          ++i;
          continue;
        }
      }
      size_t j = i;
      while (j < n && s[j] != '\r' && s[j] != '\n' && s[j] != '\0') ++j;
      if (j > i) {
        if constexpr (Emit) Line.append(s.substr(i, j - i));
        Pending = true;
      }
      if (j == n) return;
      if (s[j] == '\0') {
        Stopped = true;
        return;
      }
      EndLine();
      AfterCR = s[j] == '\r';
      i = j + 1;
    }
  }
  // Indentation: counting needs only to know that the line is not empty.
  void Spaces(size_t n) {
    if (Stopped || n == 0) return;
    AfterCR = false;
    Pending = true;
    if constexpr (Emit) Line.append(n, ' ');
  }
  void Finish() {
    if (Pending) EndLine();
  }
};

}  // namespace

std::string TMorXMLTree::GetXMLText() const {
  SizeOut size;
  xmlwrite::Document(size, *this);
  StringOut out;
  out.Text.reserve(size.Size);
  xmlwrite::Document(out, *this);
  return std::move(out.Text);
}

std::string NodeToText(const TMorXMLNode* node, int level) {
  StringOut out;
  xmlwrite::Subtree(out, node, level);
  return std::move(out.Text);
}

std::string AttributeToText(const TMorXMLAttribute* attribute) {
  const std::string_view v = attribute->Value.View();
  const char q = v.find('"') == std::string_view::npos ? '"' : '\'';
  std::string s = " ";
  s.append(attribute->Name.View());
  s.push_back('=');
  s.push_back(q);
  s.append(v);
  s.push_back(q);
  return s;
}

void ForEachXMLLine(const TMorXMLTree& doc, const std::function<void(std::string_view)>& sink) {
  LineOut<true> out;
  out.Sink = &sink;
  xmlwrite::Document(out, doc);
  out.Finish();
}

size_t CountXMLLines(const TMorXMLTree& doc) {
  LineOut<false> out;
  xmlwrite::Document(out, doc);
  out.Finish();
  return out.Count;
}

}  // namespace zel
