#pragma once

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/solver/spinline_profile.h"

namespace vellmor {

// The shooting on the spinneret tension until the take-up velocity is met within 0.1 %.
struct TTensionSearch {
  double Tension = 25.0;       // spinneret tension of the next march (dyn)
  double TensionStep = 2.5;    // fixed step until the residuals bracket the solution (dyn)
  double OverResidual = -1.0;  // residual of the latest pass that arrived too fast (cm/s)
  double OverTension = 0.0;    // its spinneret tension (dyn)
  double UnderResidual = 1.0;  // residual of the latest pass that arrived too slow (cm/s)
  double UnderTension = 0.0;   // its spinneret tension (dyn)
  int PassCount = 1;           // number of the current pass
  bool Converged = false;      // the latest pass met the take-up velocity
};

// Accepts the latest pass, completing the air values of its last point, or picks the
// spinneret tension of the next pass: fixed steps, then false position once bracketed.
void AdjustTension(const TSpinCondition& condition, TSpinlineProfile& profile,
                   TTensionSearch& search);

}  // namespace vellmor
