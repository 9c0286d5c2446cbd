#include "core/calculate_spinline.h"

#include <string>

#include "core/floating_point_check.h"
#include "core/init_spinline.h"
#include "core/input_checks.h"
#include "core/march_spinline.h"
#include "core/run_error.h"

namespace vellmor {

void CalculateSpinline(TRunState& state, PassObserver* observer, int max_passes) {
  // The profile's arrays hold MaxPoints points; the run sequence refuses longer cases before
  // the result file is touched, and a direct caller must not get past this either.
  if (const auto refusal = FailedPointCount(state.Condition)) {
    throw CalculationError(std::string(*refusal));
  }
  ClearFloatingPointFaults();
  InitSpinline(state.Condition, state.Profile, state.Search);
  for (;;) {
    const TPassRecord pass_start{state.Search.PassCount, state.Search.Tension, 0.0, 0, false};
    const TPassEnd end = MarchSpinline(state.Condition, state.Profile, state.Search);
    AdjustTension(state.Condition, state.Profile, state.Search);
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
      throw CalculationError("The take-up speed could not be met: no convergence after " +
                             std::to_string(max_passes) + " passes");
    }
  }
}

}  // namespace vellmor
