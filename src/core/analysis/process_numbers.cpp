// Process numbers of a spinline, from its sampled profile (V in cm/s):
//
//   freeze point        first x where T falls below 70 °C, linear in T between two points
//   stress there        F / (π/4 D²) × 1e-7                 (dyn/cm² to MPa)
//   fineness            10 000 Output / TakeUpSpeed (dtex),  9 000 Output / TakeUpSpeed (den)
//   draw-down ratio     V[N] / V[1]
//   residence time      Σ (x[p+1] − x[p]) (1/V[p] + 1/V[p+1]) / 2   (trapezoids of dt = dx/V)
//   max strain rate     max (V[p+1] − V[p]) / (x[p+1] − x[p]), at the middle of its step
//
// These are ordinary double-precision results for the engineer, not part of the result file.

#include "vellmor/analysis/process_numbers.h"

#include <cassert>
#include <cstddef>

#include "vellmor/physics/numerics.h"
#include "vellmor/physics/spinline_laws.h"

namespace vellmor {
namespace {

constexpr double kMPaPerDynPerSquareCm = 1e-7;

double Between(double a, double b, double weight) { return a + weight * (b - a); }

TFreezePoint FreezeAt(const TSpinlineSamples& s, std::size_t before, std::size_t after,
                      double weight) {
  TFreezePoint freeze;
  freeze.PositionCm = Between(s.X[before], s.X[after], weight);
  freeze.VelocityMMin = MetresPerMinute(Between(s.V[before], s.V[after], weight));
  freeze.TensionDyn = Between(s.F[before], s.F[after], weight);
  const double diameter = Between(s.D[before], s.D[after], weight);
  const double area = laws::CrossSection(kBuiltInConstants, diameter);
  freeze.StressMPa = freeze.TensionDyn / area * kMPaPerDynPerSquareCm;
  return freeze;
}

}  // namespace

std::optional<TFreezePoint> FindFreezePoint(const TSpinlineSamples& samples) {
  const std::span<const double> t = samples.T;
  if (t.empty()) return std::nullopt;
  if (t[0] < kGlassTransition) {
    TFreezePoint freeze = FreezeAt(samples, 0, 0, 0.0);
    freeze.PositionCm = 0.0;
    return freeze;
  }
  for (std::size_t p = 1; p < t.size(); ++p) {
    if (t[p - 1] >= kGlassTransition && t[p] < kGlassTransition) {
      const double weight = (t[p - 1] - kGlassTransition) / (t[p - 1] - t[p]);
      return FreezeAt(samples, p - 1, p, weight);
    }
  }
  return std::nullopt;
}

TProcessNumbers ProcessNumbersOf(const TSpinlineSamples& samples, double output,
                                 double take_up_speed) {
  const std::size_t n = samples.X.size();
  assert(n >= 1 && samples.V.size() == n && samples.F.size() == n && samples.T.size() == n &&
         samples.D.size() == n);
  TProcessNumbers numbers;
  numbers.Freeze = FindFreezePoint(samples);
  numbers.TakeUpTensionDyn = samples.F[n - 1];
  numbers.FinenessDtex = 10000.0 * output / take_up_speed;
  numbers.FinenessDenier = 9000.0 * output / take_up_speed;
  numbers.DrawDownRatio = samples.V[n - 1] / samples.V[0];
  numbers.FinalDiameterUm = samples.D[n - 1] * kMicrometresPerCm;
  numbers.FinalTemperatureC = samples.T[n - 1];

  bool first_step = true;
  for (std::size_t p = 0; p + 1 < n; ++p) {
    const double dx = samples.X[p + 1] - samples.X[p];
    numbers.ResidenceTimeS += dx * (1.0 / samples.V[p] + 1.0 / samples.V[p + 1]) / 2.0;
    const double strain_rate = (samples.V[p + 1] - samples.V[p]) / dx;
    if (first_step || strain_rate > numbers.MaxStrainRate1S) {
      numbers.MaxStrainRate1S = strain_rate;
      numbers.MaxStrainRateAtCm = (samples.X[p] + samples.X[p + 1]) / 2.0;
      first_step = false;
    }
  }
  return numbers;
}

TSpinlineSamples SamplesOf(const TSpinlineProfile& profile) {
  const auto n = static_cast<std::size_t>(profile.ZoneEndPoint[3]);
  assert(n >= 1 && n <= static_cast<std::size_t>(MaxPoints));
  return {{profile.X.begin(), n},
          {profile.V.begin(), n},
          {profile.F.begin(), n},
          {profile.T.begin(), n},
          {profile.D.begin(), n}};
}

TProcessNumbers ProcessNumbersOf(const TRunState& state) {
  TProcessNumbers numbers = ProcessNumbersOf(SamplesOf(state.Profile), state.Condition.Output,
                                             state.Condition.TakeUpSpeed);
  numbers.SpinneretTensionDyn = state.Profile.F[1];
  numbers.Passes = state.Search.PassCount;
  return numbers;
}

namespace {

std::optional<double> FreezeValue(const TProcessNumbers& n, double TFreezePoint::*field) {
  if (!n.Freeze) return std::nullopt;
  return (*n.Freeze).*field;
}

using N = const TProcessNumbers&;
using Number = std::optional<double>;

}  // namespace

const std::array<TProcessNumberInfo, 15> kProcessNumberTable{{
    {"freeze_point_cm", "Freeze point (cm)", 2, true,
     [](N n) { return FreezeValue(n, &TFreezePoint::PositionCm); }},
    {"freeze_velocity_m_min", "Velocity there (m/min)", 1, true,
     [](N n) { return FreezeValue(n, &TFreezePoint::VelocityMMin); }},
    {"freeze_tension_dyn", "Tension there (dyn)", 3, false,
     [](N n) { return FreezeValue(n, &TFreezePoint::TensionDyn); }},
    {"freeze_stress_MPa", "Stress there (MPa)", 3, true,
     [](N n) { return FreezeValue(n, &TFreezePoint::StressMPa); }},
    {"take_up_tension_dyn", "Take-up tension (dyn)", 3, true,
     [](N n) -> Number { return n.TakeUpTensionDyn; }},
    {"fineness_dtex", "Fineness (dtex)", 3, true, [](N n) -> Number { return n.FinenessDtex; }},
    {"fineness_denier", "Fineness (den)", 3, false, [](N n) -> Number { return n.FinenessDenier; }},
    {"draw_down_ratio", "Draw-down ratio", 1, true, [](N n) -> Number { return n.DrawDownRatio; }},
    {"residence_time_s", "Residence time (s)", 4, true,
     [](N n) -> Number { return n.ResidenceTimeS; }},
    {"max_strain_rate_1_s", "Largest strain rate (1/s)", 1, false,
     [](N n) -> Number { return n.MaxStrainRate1S; }},
    {"max_strain_rate_at_cm", "Largest strain rate at (cm)", 2, false,
     [](N n) -> Number { return n.MaxStrainRateAtCm; }},
    {"final_diameter_um", "Final diameter (µm)", 2, true,
     [](N n) -> Number { return n.FinalDiameterUm; }},
    {"final_temperature_C", "Final temperature (°C)", 1, false,
     [](N n) -> Number { return n.FinalTemperatureC; }},
    {"spinneret_tension_dyn", "Spinneret tension (dyn)", 3, false,
     [](N n) -> Number { return n.SpinneretTensionDyn; }},
    {"passes", "Passes", 0, false, [](N n) -> Number { return static_cast<double>(n.Passes); }},
}};

const TProcessNumberInfo& ProcessNumberInfo(std::string_view key) {
  for (const TProcessNumberInfo& info : kProcessNumberTable) {
    if (info.Key == key) return info;
  }
  assert(false && "not a process number");
  return kProcessNumberTable.front();
}

std::vector<TNamedNumber> NamedProcessNumbers(const TProcessNumbers& n) {
  std::vector<TNamedNumber> named;
  named.reserve(kProcessNumberTable.size());
  for (const TProcessNumberInfo& info : kProcessNumberTable) {
    named.push_back({info.Key, info.Value(n)});
  }
  return named;
}

}  // namespace vellmor
