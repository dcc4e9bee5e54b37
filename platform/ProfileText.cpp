#include "platform/ProfileText.h"

#include "base/StrUtils.h"

namespace zel {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The section name of a "[name]" line, or nothing for other lines.
std::optional<std::string_view> SectionOf(std::string_view text) {
  text = TrimView(text);
  if (text.empty() || text.front() != '[') return std::nullopt;
  text.remove_prefix(1);
  const size_t close = text.find(']');
  if (close != std::string_view::npos) text = text.substr(0, close);
  return TrimView(text);
}

// The key of a "key=value" line; nothing when the line has no '='.
std::optional<std::string_view> KeyOf(std::string_view text) {
  const size_t eq = text.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return TrimView(text.substr(0, eq));
}

}  // namespace

TProfileText::TProfileText(std::string_view data) {
  if (data.starts_with(kBom)) {
    FBom = kBom;
    data.remove_prefix(kBom.size());
  }
  bool breakSeen = false;
  size_t pos = 0;
  while (pos < data.size()) {
    const size_t end = data.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      AddLine(data.substr(pos), {});
      break;
    }
    size_t next = end + 1;
    if (data[end] == '\r' && next < data.size() && data[next] == '\n') ++next;
    const std::string_view lineEnd = data.substr(end, next - end);
    if (!breakSeen) FBreak = lineEnd, breakSeen = true;
    AddLine(data.substr(pos, end - pos), lineEnd);
    pos = next;
  }
}

void TProfileText::AddLine(std::string_view text, std::string_view end) {
  if (const auto name = SectionOf(text)) {
    FSections.emplace_back().Lines.push_back({std::string(text), std::string(end)});
    FByName[LowerCase(*name)].push_back(FSections.size() - 1);
    return;
  }
  TSection& section = FSections.back();
  section.Lines.push_back({std::string(text), std::string(end)});
  if (FSections.size() == 1) return;  // keys before any section belong to none
  if (const auto key = KeyOf(text)) {
    section.LastKey = section.Lines.size() - 1;
    section.Keys.try_emplace(LowerCase(*key), section.LastKey);
  }
}

void TProfileText::IndexKeys(TSection& section) {
  section.Keys.clear();
  section.LastKey = 0;
  for (size_t i = 1; i < section.Lines.size(); ++i) {
    if (const auto key = KeyOf(section.Lines[i].Text)) {
      section.LastKey = i;
      section.Keys.try_emplace(LowerCase(*key), i);
    }
  }
}

TProfileText::TSection* TProfileText::Section(std::string_view name) {
  const auto it = FByName.find(LowerCase(name));
  return it == FByName.end() ? nullptr : &FSections[it->second.front()];
}

std::optional<std::string_view> TProfileText::Find(std::string_view section,
                                                   std::string_view key) const {
  const auto s = FByName.find(LowerCase(section));
  if (s == FByName.end()) return std::nullopt;
  const TSection& sec = FSections[s->second.front()];
  const auto k = sec.Keys.find(LowerCase(key));
  if (k == sec.Keys.end()) return std::nullopt;
  const std::string_view text = sec.Lines[k->second].Text;
  return text.substr(text.find('=') + 1);
}

void TProfileText::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::string entry = std::string(key) + "=" + std::string(value);
  TSection* sec = Section(section);
  if (sec == nullptr) {
    FSections.emplace_back().Lines.push_back({"[" + std::string(section) + "]", FBreak});
    FByName[LowerCase(section)] = {FSections.size() - 1};
    sec = &FSections.back();
  }
  std::string folded = LowerCase(key);
  if (const auto it = sec->Keys.find(folded); it != sec->Keys.end()) {
    sec->Lines[it->second].Text = std::move(entry);  // the line keeps its own line end
    return;
  }
  // After the last key line, so that blank lines and comments before the next section stay
  // where they are.
  const size_t at = sec->LastKey + 1;
  sec->Lines.insert(sec->Lines.begin() + static_cast<ptrdiff_t>(at), {std::move(entry), FBreak});
  sec->LastKey = at;
  sec->Keys.emplace(std::move(folded), at);
}

void TProfileText::EraseKey(std::string_view section, std::string_view key) {
  TSection* sec = Section(section);
  if (sec == nullptr) return;
  const auto it = sec->Keys.find(LowerCase(key));
  if (it == sec->Keys.end()) return;
  sec->Lines.erase(sec->Lines.begin() + static_cast<ptrdiff_t>(it->second));
  IndexKeys(*sec);
}

void TProfileText::EraseSection(std::string_view section) {
  const auto it = FByName.find(LowerCase(section));
  if (it == FByName.end()) return;
  for (const size_t i : it->second) {
    FSections[i] = TSection();
    FSections[i].Erased = true;
  }
  FByName.erase(it);
}

std::string TProfileText::Bytes() const {
  std::string out = FBom;
  bool open = false;  // the last line written has no line end
  for (const TSection& section : FSections) {
    if (section.Erased) continue;
    for (const TLine& line : section.Lines) {
      if (open) out += FBreak;
      out += line.Text;
      out += line.End;
      open = line.End.empty();
    }
  }
  return out;
}

}  // namespace zel
