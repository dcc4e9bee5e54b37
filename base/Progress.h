#pragma once
// How a long operation (a load, a save, a read) tells how far it has come and learns whether
// it is to stop: one value handed down through every layer the operation runs in.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace zel {

struct TProgress {
  // Told the percentage done, 0 to 100, where the operation can count it.
  std::function<void(uint16_t percent)> Report;
  // Asked every so often, also where no percentage is known: a window lets its queued
  // messages run here and answers whether a Cancel came. True stops the operation.
  std::function<bool()> Stop;

  void Percent(uint16_t percent) const {
    if (Report) Report(percent);
  }
  bool Stopped() const { return Stop && Stop(); }
};

// Rounds part * 100 / whole to the nearest integer, ties to even; 0 when whole is 0.
uint16_t PercentOf(size_t part, size_t whole);

}  // namespace zel
