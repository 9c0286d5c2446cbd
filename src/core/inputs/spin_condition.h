#pragma once

#include <string>

#include "vellmor/base/one_based_array.h"

namespace vellmor {

// One cooling zone of the quench cabinet, in the units the user types.
struct TZoneCondition {
  double EndPosition = 0.0;  // distance of the zone's end from the spinneret (cm)
  double A1 = 0.0;           // air temperature Tair = A1 / (Z + A2) + A3 (°C·cm)
  double A2 = 0.0;           // (cm)
  double A3 = 0.0;           // (°C)
  double AirVelocity = 0.0;  // cross-flow air velocity (cm/s)

  friend bool operator==(const TZoneCondition&, const TZoneCondition&) = default;
};

// The inputs of one run, in the units the user types. Zone 3 has no air-temperature equation
// of its own: its A1, A2, A3 are never read (zone 3 uses the equation of zone 2).
struct TSpinCondition {
  std::string SaveFileName;                // result file, as typed
  double HoleDiameter = 0.0;               // spinneret hole (cm)
  double Output = 0.0;                     // polymer output through the hole (g/min)
  double TakeUpSpeed = 0.0;                // take-up roll (m/min)
  double MeltTemperature = 0.0;            // melt at the spinneret (°C)
  OneBasedArray<TZoneCondition, 3> Zones;  // cooling zones 1 to 3, from the spinneret down
  double Increment = 0.0;                  // integration step along the spinline (cm)
  double IV = 0.0;                         // intrinsic viscosity of the PET

  friend bool operator==(const TSpinCondition&, const TSpinCondition&) = default;
};

}  // namespace vellmor
