#pragma once

#include "vellmor/base/one_based_array.h"
#include "vellmor/inputs/spinline_points.h"

namespace vellmor {

// One value per point along the spinline, indexed by point number 1 … MaxPoints.
using TPointArray = OneBasedArray<double, MaxPoints>;

// The whole solution of a run: run constants, the values of the latest pass, and the
// per-point arrays. Points beyond the last one a pass wrote keep older values, unread.
struct TSpinlineProfile {
  // Run constants, set by InitSpinline.
  double MassFlow = 0.0;               // g/s
  double TakeUpVelocity = 0.0;         // cm/s
  OneBasedArray<int, 3> ZoneEndPoint;  // the point at which each zone ends; [3] is N
  int StepCount = 0;                   // integration steps of a full pass, N - 1

  // Pass values, set by the march and the tension search.
  double Area = 0.0;           // cross-section at the start point of the latest step (cm²)
  double FinalVelocity = 0.0;  // velocity at the last point the latest pass reached (cm/s)

  // Per-point arrays.
  TPointArray T;     // filament temperature (°C)
  TPointArray D;     // filament diameter (cm)
  TPointArray Rho;   // density at T (g/cm³)
  TPointArray Cp;    // specific heat at T (cal/(g·°C))
  TPointArray V;     // filament velocity (cm/s)
  TPointArray Eta;   // Trouton viscosity at T (poise)
  TPointArray X;     // distance from the spinneret (cm)
  TPointArray F;     // spinline tension (dyn)
  TPointArray H;     // heat-transfer coefficient filament to air (cal/(cm²·s·°C))
  TPointArray TA;    // cooling-air temperature (°C)
  TPointArray VOut;  // velocity in the report's unit (m/min)
};

}  // namespace vellmor
