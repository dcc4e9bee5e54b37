#pragma once
// Documents of hundreds of MB mean millions of small heap blocks; on a kernel that gives
// transparent huge pages only on request, faulting in 4 KB pages one by one costs more than
// the parsing itself. glibc's allocator asks for huge pages when its "hugetlb" tunable is set,
// and tunables are read only at process start, so the program restarts itself once with it.

namespace zel {

// Call first thing in main. Returns normally when no restart is needed or possible (huge pages
// always on or never available, tunable already set, ZEL_LARGE_PAGES=0, sanitizer builds).
void UseLargePages(char** argv);

}  // namespace zel
