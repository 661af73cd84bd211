#pragma once
// Set<E>: a set of the enumerators of a small enum class, stored as a bit mask.
// The ordinal of an enumerator is its bit, as the form stream and the host expect.

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace vantor {

template <typename E>
class Set {
  static_assert(std::is_enum_v<E>, "Set<E> needs an enumeration");

 public:
  using Mask = std::uint64_t;

  constexpr Set() = default;
  constexpr Set(std::initializer_list<E> items) {
    for (E e : items) mask_ |= Bit(e);
  }
  static constexpr Set FromMask(Mask m) {
    Set s;
    s.mask_ = m;
    return s;
  }

  constexpr bool Contains(E e) const { return (mask_ & Bit(e)) != 0; }
  constexpr Set& Include(E e) {
    mask_ |= Bit(e);
    return *this;
  }
  constexpr Set& Exclude(E e) {
    mask_ &= ~Bit(e);
    return *this;
  }
  constexpr bool Empty() const { return mask_ == 0; }
  constexpr Mask ToMask() const { return mask_; }

  constexpr Set operator+(Set o) const { return FromMask(mask_ | o.mask_); }
  constexpr Set operator-(Set o) const { return FromMask(mask_ & ~o.mask_); }
  constexpr Set operator*(Set o) const { return FromMask(mask_ & o.mask_); }
  constexpr Set& operator+=(Set o) {
    mask_ |= o.mask_;
    return *this;
  }
  constexpr Set& operator-=(Set o) {
    mask_ &= ~o.mask_;
    return *this;
  }
  constexpr Set& operator*=(Set o) {
    mask_ &= o.mask_;
    return *this;
  }
  // True when every member of o is a member of this set.
  constexpr bool ContainsAll(Set o) const { return (mask_ & o.mask_) == o.mask_; }
  constexpr bool operator==(const Set&) const = default;

 private:
  static constexpr Mask Bit(E e) { return Mask{1} << static_cast<unsigned>(e); }
  Mask mask_ = 0;
};

}  // namespace vantor
