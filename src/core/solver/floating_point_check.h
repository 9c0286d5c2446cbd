#pragma once

namespace vellmor {

// Floating-point invalid operations, divisions by zero and overflows end a run; underflow and
// inexact results do not. The flags are sticky, so one check covers everything computed since
// the last clear.
void ClearFloatingPointFaults();

// Throws CalculationError naming the fault if any of the three flags is raised.
void ThrowOnFloatingPointFault();

}  // namespace vellmor
