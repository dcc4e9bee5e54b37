#include <string>

#include "base/TextSink.h"
#include "xml/internal/Writer.h"

namespace zel {

namespace {

struct SizeOut {
  size_t Size = 0;
  void Put(std::string_view s) { Size += s.size(); }
  void PutSection(std::string_view s) { Unmarked(*this, s, TSectionMarks::smBreaksAndTabs); }
  void Indent(size_t levels) { Size += 2 * IndentLevel(levels); }
  bool Done() const { return false; }
};

struct StringOut {
  std::string Text;
  void Put(std::string_view s) { Text.append(s); }
  void PutSection(std::string_view s) { Unmarked(*this, s, TSectionMarks::smBreaksAndTabs); }
  void Indent(size_t levels) { Text.append(2 * IndentLevel(levels), ' '); }
  bool Done() const { return false; }
};

// Splits the pieces into lines exactly as the line list splits a text: at CR LF, a lone CR
// or a lone LF, ending at a NUL. The writer's indentation of a line is handed over as its
// level, not as spaces, so a line costs nothing for its depth. With Emit false it only counts.
// With WholeNodes a section's line breaks stay in its line: every node is one line.
template <bool Emit>
struct LineOut {
  const TXMLLineSink* Sink = nullptr;
  const TProgress* Progress = nullptr;
  bool WholeNodes = false;
  std::string Line;
  size_t Level = 0;
  bool Pending = false;  // characters (or indentation) since the last break
  bool AfterCR = false;
  bool Stopped = false;  // at a NUL, or the sink asked to stop
  bool Refused = false;  // the sink asked to stop
  size_t Count = 0;

  bool Done() const { return Stopped; }
  void EndLine() {
    if constexpr (Emit) {
      if (!(*Sink)(Level, Line)) Stopped = Refused = true;
      Line.clear();
    }
    Level = 0;
    ++Count;
    Pending = false;
    if (Progress && Count % kReadPumpInterval == 0 && Progress->Stopped()) Stopped = true;
  }
  // A section's content: with WholeNodes its line breaks stay in the current line.
  void PutSection(std::string_view s) {
    if (!WholeNodes) {
      Unmarked(*this, s, TSectionMarks::smBreaksAndTabs);
      return;
    }
    if (Stopped) return;
    struct Raw {
      LineOut& Out;
      void Put(std::string_view piece) {
        if constexpr (Emit) Out.Line.append(piece);
      }
    } raw{*this};
    Unmarked(raw, s, TSectionMarks::smBreaksAndTabs);
    Pending = true;
    AfterCR = false;
  }
  void Put(std::string_view s) {
    size_t i = 0;
    const size_t n = s.size();
    while (i < n && !Stopped) {
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
  void Indent(size_t levels) {
    if (Stopped || levels == 0) return;
    AfterCR = false;
    if (Pending) {
      // Not at a line start (the writer never does this): the spaces are text.
      if constexpr (Emit) Line.append(2 * IndentLevel(levels), ' ');
    } else {
      Level = levels;
    }
    Pending = true;
  }
  void Finish() {
    if (Pending && !Refused) EndLine();  // the line before a NUL still counts
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
  StringOut out;
  xmlwrite::Attribute(out, attribute);
  return std::move(out.Text);
}

std::string UnescapeCData(std::string_view s) {
  StringOut out;
  xmlwrite::Unescaped(out, s);
  return std::move(out.Text);
}

bool WalkXMLLines(const TMorXMLTree& doc, const TXMLLineSink& sink, bool wholeNodes) {
  LineOut<true> out;
  out.Sink = &sink;
  out.WholeNodes = wholeNodes;
  xmlwrite::Document(out, doc);
  out.Finish();
  return !out.Refused;
}

void ForEachXMLLine(const TMorXMLTree& doc, const std::function<void(std::string_view)>& sink) {
  std::string line;
  WalkXMLLines(doc, [&](size_t level, std::string_view text) {
    line.assign(2 * IndentLevel(level), ' ');
    line.append(text);
    sink(line);
    return true;
  });
}

size_t CountXMLLines(const TMorXMLTree& doc, const TProgress& progress, bool wholeNodes) {
  LineOut<false> out;
  out.WholeNodes = wholeNodes;
  out.Progress = &progress;
  xmlwrite::Document(out, doc);
  out.Finish();
  return out.Count;
}

}  // namespace zel
