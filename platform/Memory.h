#pragma once
// Page-aligned memory in whole pages, and locking it in physical memory. Failures set the last
// error and return null or false.

#include <cstddef>
#include <cstdint>

namespace zel {

// The memory page size of the system.
uint32_t GetPageSize();
// Reserves and commits size bytes (rounded up to whole pages) of zeroed read-write memory.
void* VirtualAlloc(size_t size);
// Releases memory of VirtualAlloc; size is the size that was asked for.
bool VirtualFree(void* p, size_t size);
bool VirtualLock(void* p, size_t size);
bool VirtualUnlock(void* p, size_t size);

}  // namespace zel
