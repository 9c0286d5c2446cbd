#include "core/point_air.h"

#include "core/floating_point_check.h"
#include "core/spinline_constants.h"

namespace vellmor {

TAirCondition StorePointAir(int p, const TSpinCondition& condition, TSpinlineProfile& profile) {
  const double area = static_cast<double>(kQuarterPi * profile.D[p] * profile.D[p]);
  const TAirCondition air =
      AirCondition(p, area, profile.X[p], profile.V[p], condition, profile.ZoneEndPoint);
  ThrowOnFloatingPointFault();
  profile.Area = area;
  profile.TA[p] = air.TA;
  profile.H[p] = air.H;
  return air;
}

}  // namespace vellmor
