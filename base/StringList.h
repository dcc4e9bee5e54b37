#pragma once
// The line list: an ordered list of 8-bit lines. Text is split at CR LF, a lone CR or a lone
// LF, and a NUL character ends it; written out, every line is followed by CR LF.

#include <string>
#include <string_view>
#include <vector>

#include "base/Stream.h"

namespace zel {

class TStringList {
 public:
  int Count() const { return static_cast<int>(FLines.size()); }
  bool Empty() const { return FLines.empty(); }

  // Checked access: an index outside the list raises EListError.
  const std::string& Get(int index) const;
  void Put(int index, std::string s);
  void Delete(int index);
  void Insert(int index, std::string s);
  // Unchecked access for loops that know their bounds.
  const std::string& operator[](int index) const { return FLines[static_cast<size_t>(index)]; }
  std::string& operator[](int index) { return FLines[static_cast<size_t>(index)]; }

  void Add(std::string s) { FLines.push_back(std::move(s)); }
  void Clear() { FLines.clear(); }

  // Update mode is counted; it has no effect on a plain list but keeps the calls of a list
  // that is being filled explicit.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
  }
  int UpdateCount() const { return FUpdateCount; }

  void SetText(std::string_view text);
  std::string Text() const;

  // Reads the stream from its position to its end.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  std::vector<std::string>& Lines() { return FLines; }
  const std::vector<std::string>& Lines() const { return FLines; }

 private:
  std::vector<std::string> FLines;
  int FUpdateCount = 0;
};

// Splits text into lines by the rules above, calling sink(std::string_view) for each line.
template <typename Sink>
void SplitLines(std::string_view text, Sink&& sink) {
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  size_t pos = 0;
  const size_t len = text.size();
  while (pos < len) {
    size_t e = pos;
    while (e < len && text[e] != '\r' && text[e] != '\n') ++e;
    sink(text.substr(pos, e - pos));
    if (e < len && text[e] == '\r') {
      ++e;
      if (e < len && text[e] == '\n') ++e;  // CR LF is one break
    } else if (e < len) {
      ++e;  // a lone LF
    }
    pos = e;
  }
}

}  // namespace zel
