// Shooting on the spinneret tension. The residual of a pass is its final velocity less the
// take-up velocity; a pass within 0.1 % is accepted. Until one pass has arrived too fast and
// one too slow the tension moves by a fixed step against the residual; from then on the next
// tension is the zero of the straight line through the latest pass on each side:
//
//   slope = (R_over - R_under) / (F_over - F_under),  intercept = R_over - slope F_over,
//   F_next = -intercept / slope

#include "vellmor/solver/tension_search.h"

#include <cmath>

#include "vellmor/base/floating_point_check.h"
#include "vellmor/base/run_error.h"
#include "vellmor/solver/march_spinline.h"

namespace vellmor {
namespace {

double FalsePosition(const TTensionSearch& search) {
  const double slope =
      static_cast<double>((static_cast<long double>(search.OverResidual) - search.UnderResidual) /
                          (static_cast<long double>(search.OverTension) - search.UnderTension));
  const double intercept = static_cast<double>(
      search.OverResidual - static_cast<long double>(slope) * search.OverTension);
  return static_cast<double>(-static_cast<long double>(intercept) / slope);
}

}  // namespace

void AdjustTension(const TSpinCondition& condition, TSpinlineProfile& profile,
                   TTensionSearch& search) {
  const double residual =
      static_cast<double>(static_cast<long double>(profile.FinalVelocity) - profile.TakeUpVelocity);
  if (std::fabs(static_cast<long double>(residual) / profile.TakeUpVelocity) < 0.001L) {
    search.Converged = true;
    // The march leaves the last point without its air values; the accepted pass gets them.
    const int last_point = profile.ZoneEndPoint[3];
    try {
      StorePointAir(last_point, condition, profile);
    } catch (CalculationError& error) {
      error.AddPosition(PlaceAlongSpinline(profile.X[last_point], condition.Increment),
                        profile.X[last_point]);
      throw;
    }
    return;
  }

  double next_tension = 0.0;
  if (residual > 0.0) {  // arrived too fast: the spinneret tension was too high
    search.OverResidual = residual;
    search.OverTension = search.Tension;
    next_tension =
        static_cast<double>(search.Tension - static_cast<long double>(search.TensionStep));
  } else {
    search.UnderResidual = residual;
    search.UnderTension = search.Tension;
    next_tension =
        static_cast<double>(search.Tension + static_cast<long double>(search.TensionStep));
  }
  // The start values carry the opposite sign, so the product is negative only once both
  // sides hold passes of this run.
  if (static_cast<long double>(search.OverResidual) * search.UnderResidual < 0.0L) {
    next_tension = FalsePosition(search);
  }
  ThrowOnFloatingPointFault();
  search.Tension = next_tension;
  ++search.PassCount;
}

}  // namespace vellmor
