#pragma once

#include "vellmor/solver/run_state.h"

namespace vellmor {

// No case of this tool needs anywhere near this many passes: each costs a whole march.
inline constexpr int kMaxPasses = 1000;

// One pass of the tension search, for callers that show progress.
struct TPassRecord {
  int Pass = 0;                // 1 for the first pass
  double Tension = 0.0;        // spinneret tension of the pass (dyn)
  double FinalVelocity = 0.0;  // velocity at its last point (cm/s)
  int LastPoint = 0;           // the last point it reached
  bool RanAway = false;        // stopped early because the filament ran away
};

// Observer of the tension search: told of every pass as soon as it is adjusted.
class PassObserver {
 public:
  virtual ~PassObserver() = default;
  virtual void OnPass(const TPassRecord& pass) = 0;
};

// The calculation of a run on a validated condition: InitSpinline, then march and
// AdjustTension until the search converges. Throws CalculationError on a floating-point fault
// or when max_passes passes have not met the take-up speed.
void CalculateSpinline(TRunState& state, PassObserver* observer = nullptr,
                       int max_passes = kMaxPasses);

}  // namespace vellmor
