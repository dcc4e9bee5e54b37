#include "platform/LargePages.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace zel {

namespace {

constexpr const char* kMarker = "ZEL_LARGE_PAGES";
constexpr const char* kTunable = "glibc.malloc.hugetlb";

#if !defined(__SANITIZE_ADDRESS__)
bool HugePagesOnRequestOnly() {
  std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string mode;
  std::getline(in, mode);
  return mode.find("[madvise]") != std::string::npos;
}
#endif

}  // namespace

void UseLargePages(char** argv) {
#if defined(__SANITIZE_ADDRESS__)
  (void)argv;
  return;  // the sanitizer's allocator replaces glibc's
#else
  if (std::getenv(kMarker) != nullptr) return;
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (tunables != nullptr && std::strstr(tunables, kTunable) != nullptr) return;
  if (!HugePagesOnRequestOnly()) return;
  const std::string old = tunables != nullptr ? tunables : "";
  const std::string value = (old.empty() ? "" : old + ":") + kTunable + "=1";
  setenv("GLIBC_TUNABLES", value.c_str(), 1);
  setenv(kMarker, "1", 1);
  execv("/proc/self/exe", argv);
  // Could not restart: go on as we are.
  if (tunables != nullptr) {
    setenv("GLIBC_TUNABLES", old.c_str(), 1);
  } else {
    unsetenv("GLIBC_TUNABLES");
  }
#endif
}

}  // namespace zel
