#include "vellmor/solver/calculate_spinline.h"

#include <string>

#include "vellmor/base/floating_point_check.h"
#include "vellmor/base/run_error.h"
#include "vellmor/inputs/spinline_points.h"
#include "vellmor/solver/init_spinline.h"
#include "vellmor/solver/march_spinline.h"

namespace vellmor {

void CalculateSpinline(TRunState& state, PassObserver* observer, int max_passes) {
  // The profile's arrays hold MaxPoints points; the run sequence refuses longer cases before
  // the result file is touched, and a direct caller must not get past this either.
  const int last_point =
      ZoneEndPointFor(state.Condition.Zones[3].EndPosition, state.Condition.Increment);
  if (last_point > MaxPoints)
    throw CalculationError(CalculationFault::kTooManyPoints, kTooManyPoints);
  if (last_point < 2) throw CalculationError(CalculationFault::kTooFewPoints, kTooFewPoints);
  ClearFloatingPointFaults();
  try {
    InitSpinline(state.Condition, state.Profile, state.Search);
  } catch (CalculationError& error) {
    error.AddPlace(" at the spinneret exit");
    throw;
  }
  for (;;) {
    const TPassRecord pass_start{state.Search.PassCount, state.Search.Tension, 0.0, 0, false};
    TPassEnd end;
    try {
      end = MarchSpinline(state.Condition, state.Profile, state.Search.Tension);
      AdjustTension(state.Condition, state.Profile, state.Search);
    } catch (CalculationError& error) {
      error.AddPass(PlaceInPass(pass_start.Pass, pass_start.Tension), pass_start.Pass);
      throw;
    }
    if (observer != nullptr) {
      TPassRecord pass = pass_start;
      pass.FinalVelocity = state.Profile.FinalVelocity;
      pass.LastPoint = end.LastPoint;
      pass.RanAway = end.RanAway;
      observer->OnPass(pass);
      ClearFloatingPointFaults();  // whatever the observer did is not the spinline's fault
    }
    if (state.Search.Converged) return;
    if (state.Search.PassCount > max_passes) {
      throw CalculationError(CalculationFault::kNoConvergence,
                             "The take-up speed could not be met: no convergence after " +
                                 std::to_string(max_passes) + " passes");
    }
  }
}

}  // namespace vellmor
