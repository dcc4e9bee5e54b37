#pragma once
// A small set of enumeration values, held as bits, that can be written as {a, b} or {}.

#include <cstdint>
#include <initializer_list>

namespace zel {

template <typename E>
class TVySet {
 public:
  constexpr TVySet() = default;
  constexpr TVySet(std::initializer_list<E> items) {
    for (E e : items) Include(e);
  }
  constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
  constexpr void Include(E e) { FBits |= Bit(e); }
  constexpr void Exclude(E e) { FBits &= ~Bit(e); }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr void Clear() { FBits = 0; }
  constexpr bool operator==(const TVySet&) const = default;

 private:
  static constexpr uint32_t Bit(E e) { return uint32_t{1} << static_cast<unsigned>(e); }
  uint32_t FBits = 0;
};

}  // namespace zel
