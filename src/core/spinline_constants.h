#pragma once

namespace vellmor {

inline constexpr int MaxPoints = 1001;   // points of the longest spinline profile
inline constexpr int MaxEquations = 10;  // capacity of the Runge–Kutta–Gill state vector

// The solver's own constants, shortened as the correlations were fitted with them:
// pi to eight digits, pi/4 from it, 273 (not 273.15) for kelvin, g in cm/s².
inline constexpr long double kPi = 3.1415926L;
inline constexpr long double kQuarterPi = 0.78539815L;
inline constexpr long double kKelvinOffset = 273.0L;
inline constexpr long double kGravity = 980.0L;

}  // namespace vellmor
