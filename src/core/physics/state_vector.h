#pragma once

#include <array>

namespace vellmor {

inline constexpr int MaxEquations = 10;  // capacity of the Runge–Kutta–Gill state vector

// The state advanced by one Runge–Kutta–Gill step. For the spinline, elements 0, 1, 2 hold
// velocity V (cm/s), tension F (dyn) and temperature T (°C); the rest are unused.
using TStateVector = std::array<double, MaxEquations>;

inline constexpr int kVelocity = 0;
inline constexpr int kTension = 1;
inline constexpr int kTemperature = 2;
inline constexpr int kSpinlineEquations = 3;

}  // namespace vellmor
