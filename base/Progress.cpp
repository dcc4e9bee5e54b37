#include "base/Progress.h"

#include <cmath>

namespace zel {

uint16_t PercentOf(size_t part, size_t whole) {
  if (whole == 0) return 0;
  // nearbyint rounds in the current mode, which is to nearest with ties to even.
  return static_cast<uint16_t>(
      std::nearbyint(static_cast<double>(part) * 100.0 / static_cast<double>(whole)));
}

}  // namespace zel
