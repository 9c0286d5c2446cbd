// The spinline equations of the converged solution, x downwards from the spinneret, W the
// mass flow, with every coefficient evaluated at the current state and position: the laws of
// spinline_laws.h in plain double arithmetic,
//
//   ρ = 1.36 - 0.0005 T,  Cp = 0.3 + 0.0006 T,  λ = 0.273 IV^5.056 exp(6802 / (T + 273))
//       (λ × 100 below 70 °C)
//   D = √(4 W / (π V ρ)),  A = π/4 D²
//   TA = A1 / (x + A2) + A3 of the zone that holds x (A3 when A1 = 0), raised by the rise
//        of a local air (local_air.h), whose velocity then replaces the zone's Va
//   H = 1.37e-4 (V/A)^0.259 (1 + (8 Va / V)²)^0.167
//
//   dV/dx = ρ V F / (λ W)
//   dF/dx = 2.84e-4 (W/ρ)^0.195 V^1.195 + (i dV/dx - g/V) W   (i the inertia factor, 1)
//   dT/dx = π D H (TA - T) / (W Cp)
//   dψ/dx = K / V                       (with the structure, structure_laws.h; else 0)
//   dt/dx = 1 / V                       (the filament's time from the spinneret)
//
// and, when the structure is coupled, λ (1 + (100 - 1) X) above 70 °C and
// dT/dx += X∞ ΔHf (dθ/dx) / Cp,
//
// with the constants of a model card; the built-in card's are those of the march
// (π = 3.1415926, π/4 = 0.78539815, g = 980 cm/s², 273 K) as doubles. The formulas are those
// of spinline_equations.h, which the derivatives of the solution evaluate over dual numbers.

#include "vellmor/converged/local_spinline_system.h"

#include <cassert>
#include <cmath>

namespace vellmor {

int ZoneAt(const TSpinCondition& condition, double x) {
  if (x < condition.Zones[1].EndPosition) return 1;
  if (x < condition.Zones[2].EndPosition) return 2;
  return 3;
}

TZoneAir ZoneAirAt(const TSpinCondition& condition, double x) {
  return ZoneAir(condition, ZoneAt(condition, x));
}

TFilamentBlock DeclareFilament(TStateLayout& layout, bool with_structure) {
  const TFilamentBlock filament{layout.Size(), with_structure};
  layout.Add({"velocity"});
  layout.Add({"tension"});
  layout.Add({"temperature"});
  layout.Add({"time", false});
  if (with_structure) layout.Add({"psi", true, 1e-3});
  return filament;
}

LocalSpinlineSystem::LocalSpinlineSystem(const TFilamentBlock& filament, double iv,
                                         double mass_flow, const TZoneAir& zone, bool glassy,
                                         long* evaluations, const TSpinlineConstants<double>& k,
                                         const TStructureMode& structure, const TAirAlongZone* air)
    : filament_(filament),
      equations_{&k,
                 laws::ViscosityFactor(k, std::pow(iv, k.IvExponent)),
                 glassy,
                 mass_flow,
                 {zone.A1, zone.A2, zone.A3, zone.AirVelocity},
                 structure.Constants,
                 structure.InWindow,
                 structure.FrozenBirefringence,
                 air},
      evaluations_(evaluations) {
  assert(structure.Constants == nullptr || filament.WithPsi);
}

TLocalPoint LocalSpinlineSystem::PointAt(const TState& y, double x) const {
  return equations_.Point(y[filament_.Velocity()], y[filament_.Tension()],
                          y[filament_.Temperature()], filament_.WithPsi ? y[filament_.Psi()] : 0.0,
                          x);
}

void LocalSpinlineSystem::operator()(const TState& y, TState& dydx, double x) const {
  if (evaluations_ != nullptr) ++*evaluations_;
  const TFilamentRates<double> rates =
      equations_.Rates(y[filament_.Velocity()], y[filament_.Tension()], y[filament_.Temperature()],
                       filament_.WithPsi ? y[filament_.Psi()] : 0.0, x);
  dydx[filament_.Velocity()] = rates.V;
  dydx[filament_.Tension()] = rates.F;
  dydx[filament_.Temperature()] = rates.T;
  dydx[filament_.Time()] = rates.Time;
  if (filament_.WithPsi) dydx[filament_.Psi()] = rates.Psi;
}

}  // namespace vellmor
