#include "platform/FileAttributes.h"

#include <sys/xattr.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace zel {

namespace {

constexpr int kAttempts = 8;  // the attributes may change between asking the size and reading

// Reads what `read` yields into out: called once for the size, then for the bytes. missing
// is set (and true returned) when the attribute or the file system's support is not there.
template <typename Read>
bool ReadSized(Read read, std::string& out, bool& missing) {
  missing = false;
  for (int i = 0; i < kAttempts; ++i) {
    const ssize_t size = read(nullptr, 0);
    if (size >= 0) {
      out.resize(static_cast<size_t>(size));
      const ssize_t got = size == 0 ? 0 : read(out.data(), out.size());
      if (got >= 0) {
        out.resize(static_cast<size_t>(got));
        return true;
      }
    }
    if (errno == ENODATA || errno == ENOTSUP) {
      out.clear();
      missing = true;
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

// Calls f for every name of a list of NUL-terminated names; stops at the first false.
template <typename F>
bool EachName(const std::string& names, F f) {
  for (size_t at = 0; at < names.size();) {
    const char* name = names.c_str() + at;
    if (!f(name)) return false;
    at += std::strlen(name) + 1;
  }
  return true;
}

bool HasName(const std::string& names, std::string_view name) {
  return !EachName(names, [&](const char* n) { return name != n; });
}

}  // namespace

bool CopyFileAttributes(const std::string& path, int fd) {
  std::string names, own, value;
  bool missing = false;
  if (!ReadSized([&](char* b, size_t n) { return ::listxattr(path.c_str(), b, n); }, names,
                 missing) ||
      !ReadSized([&](char* b, size_t n) { return ::flistxattr(fd, b, n); }, own, missing))
    return false;
  // A new file may come with attributes of its own, such as its folder's default ACL.
  const bool cleared = EachName(own, [&](const char* name) {
    return HasName(names, name) || ::fremovexattr(fd, name) == 0 || errno == ENODATA;
  });
  return cleared && EachName(names, [&](const char* name) {
           if (!ReadSized([&](char* b, size_t n) { return ::getxattr(path.c_str(), name, b, n); },
                          value, missing))
             return false;
           return missing || ::fsetxattr(fd, name, value.data(), value.size(), 0) == 0;
         });
}

}  // namespace zel
