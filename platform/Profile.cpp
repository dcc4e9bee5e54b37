#include "platform/Profile.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SafeFile.h"
#include "base/StrUtils.h"
#include "platform/WindowsDir.h"

namespace zel {

namespace {

std::string ResolveName(const char* fileName) {
  std::string name = fileName != nullptr ? fileName : "";
  if (name.find('/') == std::string::npos) return GetWindowsDirectory() + "/" + name;
  return name;
}

// The whole file, or nothing when it is missing, unreadable or not a regular file (a FIFO or
// a device must not block or feed the editor).
std::optional<std::string> ReadWhole(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string data;
  data.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  while (true) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return data;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// One line of the file: where it starts, where its text ends and where its line end ends.
struct TLine {
  size_t Begin, End, Next;
};

std::vector<TLine> SplitLines(std::string_view data) {
  std::vector<TLine> lines;
  size_t pos = 0;
  while (pos < data.size()) {
    size_t end = data.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.push_back({pos, data.size(), data.size()});
      break;
    }
    size_t next = end + 1;
    if (data[end] == '\r' && next < data.size() && data[next] == '\n') ++next;
    lines.push_back({pos, end, next});
    pos = next;
  }
  return lines;
}

// The section name of a "[name]" line, or nothing for other lines.
std::optional<std::string_view> SectionOf(std::string_view text) {
  text = TrimView(text);
  if (text.empty() || text.front() != '[') return std::nullopt;
  text.remove_prefix(1);
  const size_t close = text.find(']');
  if (close != std::string_view::npos) text = text.substr(0, close);
  return TrimView(text);
}

// The key and value of a "key=value" line; nothing when the line has no '='.
bool SplitEntry(std::string_view text, std::string_view& key, std::string_view& value) {
  const size_t eq = text.find('=');
  if (eq == std::string_view::npos) return false;
  key = TrimView(text.substr(0, eq));
  value = text.substr(eq + 1);
  return true;
}

// A parsed file: its lines and, for the first section of a name, the range of its lines.
class TProfile {
 public:
  explicit TProfile(std::string data) : FData(std::move(data)), FLines(SplitLines(FData)) {}

  std::string_view Text(size_t i) const {
    return std::string_view(FData).substr(FLines[i].Begin, FLines[i].End - FLines[i].Begin);
  }
  size_t LineCount() const { return FLines.size(); }
  const TLine& Line(size_t i) const { return FLines[i]; }
  const std::string& Data() const { return FData; }

  // Index of the header line of the first section named `section`, or npos.
  size_t FindSection(std::string_view section, size_t from = 0) const {
    for (size_t i = from; i < FLines.size(); ++i)
      if (auto name = SectionOf(Text(i)); name && SameName(*name, section)) return i;
    return npos;
  }
  // The line after the section that starts at `header`: the next header or the end.
  size_t SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < FLines.size() && !SectionOf(Text(i))) ++i;
    return i;
  }
  // The first line in (header, end) holding `key`, or npos.
  size_t FindKey(size_t header, size_t end, std::string_view key, std::string_view* value) const {
    for (size_t i = header + 1; i < end; ++i) {
      std::string_view k, v;
      if (SplitEntry(Text(i), k, v) && SameName(k, key)) {
        if (value != nullptr) *value = v;
        return i;
      }
    }
    return npos;
  }
  // The line end this file uses, so that added lines match the lines around them.
  std::string_view LineBreak() const {
    for (const TLine& l : FLines)
      if (l.Next > l.End) return std::string_view(FData).substr(l.End, l.Next - l.End);
    return "\n";
  }

  static constexpr size_t npos = static_cast<size_t>(-1);

 private:
  std::string FData;
  std::vector<TLine> FLines;
};

std::string_view Unquote(std::string_view value) {
  value = TrimView(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return value;
}

DWORD CopyOut(std::string_view text, char* returned, DWORD size) {
  if (returned == nullptr || size == 0) return 0;
  const size_t n = std::min<size_t>(text.size(), size - 1);
  std::memcpy(returned, text.data(), n);
  returned[n] = '\0';
  return static_cast<DWORD>(n);
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

bool ValidNames(const char* section, const char* key, const char* value) {
  if (section == nullptr) return false;
  const std::string_view s = TrimView(section);
  if (s.empty() || HasLineBreak(s) || s.find(']') != std::string_view::npos) return false;
  if (key != nullptr) {
    const std::string_view k = TrimView(key);
    if (k.empty() || HasLineBreak(k) || k.find('=') != std::string_view::npos || k[0] == '[')
      return false;
  }
  return value == nullptr || !HasLineBreak(value);
}

// The file's new text: `data` with the lines [from, to) replaced by `insert`.
std::string Splice(const TProfile& p, size_t from, size_t to, std::string_view insert) {
  const std::string& data = p.Data();
  const size_t a = from < p.LineCount() ? p.Line(from).Begin : data.size();
  const size_t b = to < p.LineCount() ? p.Line(to).Begin : data.size();
  std::string out;
  out.reserve(data.size() + insert.size() + 2);
  out.append(data, 0, a);
  // A last line without a line end gets one before anything follows it.
  if (a == data.size() && !insert.empty() && !out.empty() && out.back() != '\n' &&
      out.back() != '\r')
    out.append(p.LineBreak());
  out.append(insert);
  out.append(data, b, std::string::npos);
  return out;
}

bool Replace(const std::string& name, const std::string& text) {
  try {
    WriteFileAtomically(name, text);
    return true;
  } catch (const std::exception&) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
}

}  // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* def,
                               char* returned, DWORD size, const char* fileName) {
  const std::string_view fallback = TrimView(def != nullptr ? def : "");
  if (section == nullptr || key == nullptr) return CopyOut(fallback, returned, size);
  std::optional<std::string> data = ReadWhole(ResolveName(fileName));
  if (!data) return CopyOut(fallback, returned, size);
  const TProfile p(std::move(*data));
  const std::string_view s = TrimView(section), k = TrimView(key);
  const size_t header = p.FindSection(s);
  if (header == TProfile::npos) return CopyOut(fallback, returned, size);
  std::string_view value;
  if (p.FindKey(header, p.SectionEnd(header), k, &value) == TProfile::npos)
    return CopyOut(fallback, returned, size);
  return CopyOut(Unquote(value), returned, size);
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
  if (!ValidNames(section, key, value)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const std::string name = ResolveName(fileName);
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  std::optional<std::string> data = ReadWhole(name);
  if (!data) {
    if (::access(name.c_str(), F_OK) == 0) {  // there, but unreadable: never overwrite it blind
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    data.emplace();
  }
  const TProfile p(std::move(*data));
  const std::string_view s = TrimView(section);
  size_t header = p.FindSection(s);

  if (key == nullptr) {  // erase every section of this name
    if (header == TProfile::npos) return true;
    std::string text;
    size_t copied = 0;
    const std::string& d = p.Data();
    while (header != TProfile::npos) {
      const size_t end = p.SectionEnd(header);
      text.append(d, copied, p.Line(header).Begin - copied);
      copied = end < p.LineCount() ? p.Line(end).Begin : d.size();
      header = p.FindSection(s, end);
    }
    text.append(d, copied, std::string::npos);
    return Replace(name, text);
  }

  const std::string_view k = TrimView(key);
  const std::string_view br = p.LineBreak();
  std::string entry;
  if (value != nullptr) entry.append(k).append("=").append(value).append(br);
  if (header == TProfile::npos) {
    if (value == nullptr) return true;
    std::string lines = "[" + std::string(s) + "]" + std::string(br) + entry;
    return Replace(name, Splice(p, p.LineCount(), p.LineCount(), lines));
  }
  const size_t end = p.SectionEnd(header);
  const size_t at = p.FindKey(header, end, k, nullptr);
  if (at != TProfile::npos) {
    // Keep the line's own line end (the last line may have none).
    const TLine& l = p.Line(at);
    if (value != nullptr) {
      entry.resize(entry.size() - br.size());
      entry.append(p.Data(), l.End, l.Next - l.End);
    }
    return Replace(name, Splice(p, at, at + 1, entry));
  }
  if (value == nullptr) return true;
  // After the section's last key-like line, so that blank lines and comments before the next
  // section stay where they are.
  size_t after = header + 1;
  for (size_t i = header + 1; i < end; ++i) {
    std::string_view kk, vv;
    if (SplitEntry(p.Text(i), kk, vv)) after = i + 1;
  }
  return Replace(name, Splice(p, after, after, entry));
}

}  // namespace zel
