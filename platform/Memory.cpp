#include "platform/Memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include "platform/WinError.h"

namespace zel {

namespace {

size_t WholePages(size_t size) {
  const size_t page = GetPageSize();
  return (size + page - 1) / page * page;
}

}  // namespace

uint32_t GetPageSize() {
  static const uint32_t page = [] {
    const long p = sysconf(_SC_PAGESIZE);
    return p > 0 ? static_cast<uint32_t>(p) : 4096u;
  }();
  return page;
}

void* VirtualAlloc(size_t size) {
  if (size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  void* p =
      mmap(nullptr, WholePages(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) {
    SetLastErrorFromErrno();
    return nullptr;
  }
  return p;
}

bool VirtualFree(void* p, size_t size) {
  if (p == nullptr || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (munmap(p, WholePages(size)) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

bool VirtualLock(void* p, size_t size) {
  if (mlock(p, WholePages(size)) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

bool VirtualUnlock(void* p, size_t size) {
  if (munlock(p, WholePages(size)) != 0) {
    SetLastErrorFromErrno();
    return false;
  }
  return true;
}

}  // namespace zel
