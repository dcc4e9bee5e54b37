#pragma once
// The millisecond tick counter and sleeping.

#include <cstdint>

namespace zel {

// Milliseconds since an arbitrary start, 32 bits: it wraps about every 49.7 days, so callers
// measure spans by unsigned subtraction.
uint32_t GetTickCount();
void Sleep(uint32_t milliseconds);

}  // namespace zel
