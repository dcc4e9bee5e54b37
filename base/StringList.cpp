#include "base/StringList.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Exception.h"
#include "base/StrUtils.h"

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

void TStringList::LoadFromStream(TStream& stream) { SetText(stream.ReadRest()); }

void TStringList::SaveToStream(TStream& stream) const { stream.WriteString(Text()); }

std::string ReadFileBytes(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    throw EFOpenError(
        Format("Cannot open file \"%s\". %s", fileName.c_str(), SysErrorMessage(err).c_str()));
  }
  std::string data;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
  char buf[1 << 16];
  while (true) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      throw EFOpenError(
          Format("Cannot open file \"%s\". %s", fileName.c_str(), SysErrorMessage(err).c_str()));
    }
    if (n == 0) break;
    data.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return data;
}

void TStringList::LoadFromFile(const std::string& fileName) { SetText(ReadFileBytes(fileName)); }

void TStringList::SaveToFile(const std::string& fileName) const {
  const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  const auto fail = [&](int err) {
    throw EFCreateError(
        Format("Cannot create file \"%s\". %s", fileName.c_str(), SysErrorMessage(err).c_str()));
  };
  if (fd < 0) fail(errno);
  const std::string text = Text();
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      fail(err);
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) fail(errno);
}

}  // namespace zel
