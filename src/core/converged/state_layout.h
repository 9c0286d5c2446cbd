#pragma once

// The state a model integrates along the line, and the layout that names its components.
// A model declares its blocks on a layout (a filament's velocity, tension, temperature, ψ and
// time; a rheology's stresses; one filament block per row of a bundle); each block keeps the
// offsets it was given and reads the state by them. The driver integrates whatever the layout
// holds, controlling the error of the components declared so.

#include <array>
#include <cassert>
#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace vellmor {

// Components a state may hold: a filament's five three times over, or one filament and a
// rheology's stresses.
inline constexpr std::size_t kMaxStateComponents = 16;
// The offset of a component a layout does not hold.
inline constexpr std::size_t kNoComponent = kMaxStateComponents;

// A state: as many doubles as its layout holds, contiguous and of fixed capacity, so that the
// copies the integration makes at every stage need no allocation. The capacity past the size
// holds 0.
class TState {
 public:
  using value_type = double;
  using iterator = double*;
  using const_iterator = const double*;
  using size_type = std::size_t;

  TState() = default;
  // size components, all 0.
  explicit TState(std::size_t size) : size_(size) { assert(size <= kMaxStateComponents); }
  TState(std::initializer_list<double> values) : size_(values.size()) {
    assert(values.size() <= kMaxStateComponents);
    std::size_t i = 0;
    for (const double value : values) values_[i++] = value;
  }

  std::size_t size() const { return size_; }
  // Components past the old size are 0; those past the new size become 0.
  void resize(std::size_t size) {
    assert(size <= kMaxStateComponents);
    for (std::size_t i = size; i < size_; ++i) values_[i] = 0.0;
    size_ = size;
  }

  double& operator[](std::size_t i) {
    assert(i < size_);
    return values_[i];
  }
  double operator[](std::size_t i) const {
    assert(i < size_);
    return values_[i];
  }

  double* data() { return values_.data(); }
  const double* data() const { return values_.data(); }
  double* begin() { return values_.data(); }
  double* end() { return values_.data() + size_; }
  const double* begin() const { return values_.data(); }
  const double* end() const { return values_.data() + size_; }

 private:
  std::array<double, kMaxStateComponents> values_{};
  std::size_t size_ = 0;
};

// One component of a state and how the step-size control treats it.
struct TStateComponent {
  std::string_view Name;
  // Whether its error estimate limits the step; a quadrature that follows from the others to
  // the same order (the time) need not.
  bool Controlled = true;
  // Its absolute tolerance as a multiple of the integration's: finer for a component that is
  // small in its units.
  double AbsoluteScale = 1.0;
};

// The components of a model's state, in the order they were declared.
class TStateLayout {
 public:
  // Appends a component; returns its offset in the state.
  std::size_t Add(const TStateComponent& component) {
    assert(size_ < kMaxStateComponents);
    components_[size_] = component;
    return size_++;
  }

  std::size_t Size() const { return size_; }
  const TStateComponent& operator[](std::size_t offset) const {
    assert(offset < size_);
    return components_[offset];
  }
  // The offset of the first component called name, kNoComponent if there is none.
  std::size_t Find(std::string_view name) const {
    for (std::size_t i = 0; i < size_; ++i) {
      if (components_[i].Name == name) return i;
    }
    return kNoComponent;
  }

  // A state of this layout, every component 0.
  TState Zero() const { return TState(size_); }

 private:
  std::array<TStateComponent, kMaxStateComponents> components_{};
  std::size_t size_ = 0;
};

}  // namespace vellmor
