#pragma once

#include <cfenv>

namespace vellmor {

// Floating-point invalid operations, divisions by zero and overflows end a run; underflow and
// inexact results do not. The flags are sticky, so one check covers everything computed since
// the last clear.
void ClearFloatingPointFaults();

// Throws CalculationError naming the fault if any of the three flags is raised.
void ThrowOnFloatingPointFault();

// Whether any of the three is raised, in the x87 status word or the SSE control register;
// inline, for the march's check after every step. (The flag bits are the same in both, and
// std::fetestexcept reads both the same way, as a call.)
inline bool FloatingPointFaultRaised() {
  constexpr unsigned kFaults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
  return ((__builtin_ia32_fnstsw() | __builtin_ia32_stmxcsr()) & kFaults) != 0;
}

}  // namespace vellmor
