#include "platform/WindowsDir.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zel {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? std::string(v) : std::string();
}

std::string HomeFolder() {
  std::string home = Env("HOME");
  if (home.empty()) {
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
      home = pw->pw_dir;
  }
  return home;
}

std::string WithoutTrailingDelimiter(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string GetWindowsDirectory() {
  if (std::string windir = Env("windir"); !windir.empty()) return WithoutTrailingDelimiter(windir);
  std::string dir = Env("XDG_CONFIG_HOME");
  // The base directory rules ignore a relative value.
  if (dir.empty() || dir.front() != '/') dir = HomeFolder() + "/.config";
  dir = WithoutTrailingDelimiter(dir);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);  // a failure shows later, as a refused write
  return dir;
}

}  // namespace zel
