#include "base/StringList.h"

#include "base/Exception.h"

namespace zel {

const std::string& TStringList::Get(int index) const {
  if (index < 0 || index >= Count()) throw EListError::OutOfBounds(index);
  return FLines[static_cast<size_t>(index)];
}

void TStringList::Put(int index, std::string s) {
  if (index < 0 || index >= Count()) throw EListError::OutOfBounds(index);
  FLines[static_cast<size_t>(index)] = std::move(s);
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= Count()) throw EListError::OutOfBounds(index);
  FLines.erase(FLines.begin() + index);
}

void TStringList::Insert(int index, std::string s) {
  if (index < 0 || index > Count()) throw EListError::OutOfBounds(index);
  FLines.insert(FLines.begin() + index, std::move(s));
}

void TStringList::SetText(std::string_view text) {
  FLines.clear();
  SplitLines(text, [this](std::string_view line) { FLines.emplace_back(line); });
}

std::string TStringList::Text() const {
  size_t total = 0;
  for (const auto& l : FLines) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (const auto& l : FLines) {
    out.append(l);
    out.append("\r\n");
  }
  return out;
}

void TStringList::LoadFromStream(TStream& stream) {
  SetText(stream.ReadRest());
}

void TStringList::SaveToStream(TStream& stream) const {
  stream.WriteString(Text());
}

}  // namespace zel
