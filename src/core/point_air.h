#pragma once

#include "core/cooling_air.h"
#include "core/spin_condition.h"
#include "core/spinline_profile.h"

namespace vellmor {

// The quench air at point p of the profile: its cross-section becomes profile.Area and the
// air temperature and heat transfer are stored as TA[p] and H[p]. The march does this for the
// start point of every step, the tension search for the last point of the accepted pass.
// Throws CalculationError before storing anything if the air values are not finite.
TAirCondition StorePointAir(int p, const TSpinCondition& condition, TSpinlineProfile& profile);

}  // namespace vellmor
