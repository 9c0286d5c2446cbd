#pragma once

// The constants of a multifilament bundle in a cross flow of quench air, which a single
// filament's laws do not read: the spinneret's rows across the flow and the air that carries
// the heat of one row to the next (bundle.md).

namespace vellmor {

struct TBundleConstants {
  double Rows = 1.0;               // rows of holes across the flow, row 1 at the air's inlet
  double RowPitchCm = 0.6;         // between rows, along the flow (cm)
  double ColumnPitchCm = 0.6;      // w, between the holes of one row, across the flow (cm)
  double DragCoefficient = 10;     // C_D of a filament in the cross flow
  double AirDensity = 1.16e-3;     // ρ_a (g/cm³)
  double AirSpecificHeat = 0.240;  // c_p,a (cal/(g·°C))

  friend bool operator==(const TBundleConstants&, const TBundleConstants&) = default;
};

inline constexpr TBundleConstants kBuiltInBundle{};

}  // namespace vellmor
