#pragma once
// What the load and the save of the tree document component share: how they report their
// percentage and how they ask whether they are to stop.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace zel {

// Called with a percentage from 0 to 100.
using TProgressCallback = std::function<void(uint16_t percent)>;
// True once the running operation is to stop.
using TCancelCheck = std::function<bool()>;

// Rounds part * 100 / whole to the nearest integer, ties to even; 0 when whole is 0.
uint16_t PercentOf(size_t part, size_t whole);

}  // namespace zel
