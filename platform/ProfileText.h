#pragma once
// A settings file held in memory: its lines grouped by section, with an index of the section
// and key names, so that a read or a write costs the same in a file of ten keys or of ten
// thousand. Every byte of every line is kept, lines the format does not know and line ends
// included; a UTF-8 byte-order mark at the start is kept but is not part of the first line.
// Names are compared without regard to ASCII case; the first section and the first key of a
// name count.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zel {

class TProfileText {
 public:
  TProfileText() = default;
  explicit TProfileText(std::string_view data);

  // The text after the key's '=', as it stands in the file; nothing when either is missing.
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;
  // Replaces the key's line, or adds one after the section's last key line, adding the section
  // at the end when needed. Names come trimmed and valid.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  void EraseKey(std::string_view section, std::string_view key);
  // Every section of that name.
  void EraseSection(std::string_view section);

  std::string Bytes() const;

 private:
  struct TLine {
    std::string Text, End;  // End is empty only for a last line without a line end
  };
  struct TSection {
    std::vector<TLine> Lines;  // the header first (the part before any header has none)
    std::unordered_map<std::string, size_t> Keys;  // folded name: line of its first occurrence
    size_t LastKey = 0;  // new keys go after this line: the last holding '=', or the header
    bool Erased = false;
  };

  void AddLine(std::string_view text, std::string_view end);
  static void IndexKeys(TSection& section);
  TSection* Section(std::string_view name);

  std::string FBom;
  std::string FBreak = "\n";  // the file's first line end, for the lines added
  std::vector<TSection> FSections{1};
  std::unordered_map<std::string, std::vector<size_t>> FByName;  // folded name: live sections
};

}  // namespace zel
