#pragma once

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/physics/pet_properties.h"
#include "vellmor/solver/spinline_profile.h"
#include "vellmor/solver/tension_search.h"

namespace vellmor {

// The run constants and the filament as it leaves the spinneret, swollen by the die swell:
// what InitSpinline stores for point 1, for any solver that starts from the same exit.
struct TSpinneretExit {
  double TakeUpVelocity = 0.0;  // cm/s
  double MassFlow = 0.0;        // g/s
  double Diameter = 0.0;        // swollen diameter (cm)
  TPetProperties Properties;    // of the melt at the melt temperature
  double Area = 0.0;            // cross-section π/4 D² (cm²)
  double Velocity = 0.0;        // W / ρ / area (cm/s)
};

// The exit state of a validated condition, with the classical constants or a model card's.
// Floating-point faults are left in the flags.
TSpinneretExit SpinneretExit(const TSpinCondition& condition,
                             const TSpinlineConstants<long double>& k = kClassicalConstants);

// Unit conversions, zone end points, the spinneret-exit state (point 1) from the melt
// properties and the die swell, and the starting state of the tension search.
void InitSpinline(const TSpinCondition& condition, TSpinlineProfile& profile,
                  TTensionSearch& search);

}  // namespace vellmor
