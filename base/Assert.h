#pragma once
// ZEL_ASSERT(condition): an invariant the code relies on. Checked when NDEBUG is not defined
// (the debug and sanitizer builds): a false condition prints its file, line and text to stderr
// and aborts. Otherwise compiled out: the condition is not evaluated, only its names are used.

#ifdef NDEBUG
#define ZEL_ASSERT(condition) static_cast<void>(sizeof(!(condition)))
#else
#define ZEL_ASSERT(condition) \
  ((condition) ? static_cast<void>(0) : ::zel::AssertionFailed(__FILE__, __LINE__, #condition))
#endif

namespace zel {

[[noreturn]] void AssertionFailed(const char* file, int line, const char* condition);

}  // namespace zel
