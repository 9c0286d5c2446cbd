#pragma once

namespace vellmor {

// Clears the upper halves of the AVX registers where the processor has them. Code compiled
// for AVX (a GUI toolkit's or a numerical library's fast paths) may return with them in use;
// until they are cleared, every SSE instruction of the double-precision solvers waits on
// them, and a converged solution takes seven times as long. It changes no value the
// solvers hold (they use no AVX registers), so calling it at the start of a solution is
// safe anywhere and costs a few nanoseconds.
void ClearUpperVectorState();

}  // namespace vellmor
