#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "vellmor/physics/pet_properties.h"
#include "vellmor/solver/run_state.h"

namespace vellmor {

// A spinline sampled at points 1 … N (index 0 … N−1 here): x in cm, V in cm/s, F in dyn,
// T in °C, D in cm. All five spans have the same length.
struct TSpinlineSamples {
  std::span<const double> X;
  std::span<const double> V;
  std::span<const double> F;
  std::span<const double> T;
  std::span<const double> D;
};

// Where the filament freezes, and its state there.
struct TFreezePoint {
  double PositionCm = 0.0;
  double VelocityMMin = 0.0;
  double TensionDyn = 0.0;
  double StressMPa = 0.0;  // tension over the cross-section π/4 D²
};

// The numbers that govern the as-spun fibre, from the converged profile of a run.
struct TProcessNumbers {
  std::optional<TFreezePoint> Freeze;  // absent when the filament never falls below 70 °C
  double TakeUpTensionDyn = 0.0;       // F at the take-up end
  double FinenessDtex = 0.0;           // g per 10 000 m at the take-up speed
  double FinenessDenier = 0.0;         // g per 9 000 m at the take-up speed
  double DrawDownRatio = 0.0;          // V at the take-up end over V at the spinneret exit
  double ResidenceTimeS = 0.0;         // time the filament takes from spinneret to take-up
  double MaxStrainRate1S = 0.0;        // largest dV/dx over one step
  double MaxStrainRateAtCm = 0.0;      // the middle of that step
  double FinalDiameterUm = 0.0;
  double FinalTemperatureC = 0.0;
  double SpinneretTensionDyn = 0.0;
  int Passes = 0;
};

// The freeze point of a sampled spinline: between the first pair of points where T falls from
// 70 °C or above to below it, interpolated linearly in T (x, V, F and D with the same weight);
// at x = 0 when the first point is already below 70 °C; absent when no point is.
std::optional<TFreezePoint> FindFreezePoint(const TSpinlineSamples& samples);

// The process numbers of a sampled spinline spun at output (g/min) and take-up speed (m/min).
// Passes and spinneret tension are the caller's to fill.
TProcessNumbers ProcessNumbersOf(const TSpinlineSamples& samples, double output,
                                 double take_up_speed);

// The process numbers of a run whose tension search has converged (points 1 … ZoneEndPoint[3]).
TProcessNumbers ProcessNumbersOf(const TRunState& state);

// The points 1 … ZoneEndPoint[3] of a run's profile as samples.
TSpinlineSamples SamplesOf(const TSpinlineProfile& profile);

// One process number under the name the exports use for it ("freeze_point_cm"); an absent
// value (no freeze point) has no number.
struct TNamedNumber {
  std::string_view Name;
  std::optional<double> Value;
};

// One process number as every front end shows it: the one list the runner's summary, the
// sweep's columns, the JSON and the viewer's table take theirs from.
struct TProcessNumberInfo {
  std::string_view Key;    // "freeze_point_cm": the exports' name, with its unit
  std::string_view Label;  // "Freeze point (cm)": a reader's, with its unit
  int Decimals;            // as the runner's summary and the viewer show it
  bool InViewer;           // the viewer's table has a row for it
  std::optional<double> (*Value)(const TProcessNumbers&);  // nullopt: no freeze point
};

// Every process number in the exports' order: the freeze point and the state there,
// take-up tension, fineness, draw-down ratio, residence time, strain rate, final diameter and
// temperature, spinneret tension, passes.
extern const std::array<TProcessNumberInfo, 15> kProcessNumberTable;

// The entry of key; key must be one of the table's.
const TProcessNumberInfo& ProcessNumberInfo(std::string_view key);

// Every process number in the exports' order, with its value.
std::vector<TNamedNumber> NamedProcessNumbers(const TProcessNumbers& numbers);

}  // namespace vellmor
