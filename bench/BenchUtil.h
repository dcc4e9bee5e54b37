#pragma once
// What the benchmarks share: the clock in milliseconds, and the process's memory.

#include <sys/resource.h>

#include <chrono>
#include <fstream>

namespace zel::bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// The largest resident size the process has had, in MB.
inline long PeakMB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// The resident size now, in MB.
inline double ResidentMB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return double(resident) * 4096 / (1024 * 1024);
}

}  // namespace zel::bench
