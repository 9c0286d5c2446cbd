#pragma once

#include <array>
#include <cassert>
#include <cstddef>

namespace vellmor {

// A fixed-size array indexed from 1, as points along the spinline and cooling zones are
// numbered: element 1 is the spinneret exit or the first zone. Storage is zero-based.
template <class T, int N>
class OneBasedArray {
 public:
  constexpr T& operator[](int index) {
    assert(index >= 1 && index <= N);
    return values_[static_cast<std::size_t>(index - 1)];
  }
  constexpr const T& operator[](int index) const {
    assert(index >= 1 && index <= N);
    return values_[static_cast<std::size_t>(index - 1)];
  }

  constexpr int size() const { return N; }
  constexpr T* begin() { return values_.data(); }
  constexpr T* end() { return values_.data() + N; }
  constexpr const T* begin() const { return values_.data(); }
  constexpr const T* end() const { return values_.data() + N; }

  friend constexpr bool operator==(const OneBasedArray&, const OneBasedArray&) = default;

 private:
  std::array<T, N> values_{};
};

}  // namespace vellmor
