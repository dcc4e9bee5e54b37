#include "base/Assert.h"

#include <cstdio>
#include <cstdlib>

namespace zel {

void AssertionFailed(const char* file, int line, const char* condition) {
  std::fprintf(stderr, "%s:%d: assertion failed: %s\n", file, line, condition);
  std::abort();
}

}  // namespace zel
