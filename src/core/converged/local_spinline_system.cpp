// The spinline equations of the converged solution, x downwards from the spinneret, W the
// mass flow, with every coefficient evaluated at the current state and position: the laws of
// spinline_laws.h in plain double arithmetic,
//
//   ρ = 1.36 - 0.0005 T,  Cp = 0.3 + 0.0006 T,  λ = 0.273 IV^5.056 exp(6802 / (T + 273))
//       (λ × 100 below 70 °C)
//   D = √(4 W / (π V ρ)),  A = π/4 D²
//   TA = A1 / (x + A2) + A3 of the zone that holds x
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
// (π = 3.1415926, π/4 = 0.78539815, g = 980 cm/s², 273 K) as doubles.

#include "vellmor/converged/local_spinline_system.h"

#include <cassert>
#include <cmath>

namespace vellmor {

TZoneAir ZoneAirAt(const TSpinCondition& condition, double x) {
  if (x < condition.Zones[1].EndPosition) return ZoneAir(condition, 1);
  if (x < condition.Zones[2].EndPosition) return ZoneAir(condition, 2);
  return ZoneAir(condition, 3);
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
                                         const TStructureMode& structure)
    : filament_(filament),
      k_(k),
      viscosity_factor_(laws::ViscosityFactor(k, std::pow(iv, k.IvExponent))),
      glassy_(glassy),
      mass_flow_(mass_flow),
      zone_(zone),
      evaluations_(evaluations),
      structure_(structure) {
  assert(structure.Constants == nullptr || filament.WithPsi);
}

inline TLocalPoint LocalSpinlineSystem::PointOf(double v, double f, double t, double psi,
                                                double x) const {
  const double w = mass_flow_;
  TLocalPoint point;
  point.Rho = laws::Density(k_, t);
  point.Cp = laws::SpecificHeat(k_, t);
  point.Eta = laws::Viscosity(viscosity_factor_, std::exp(laws::ViscosityExponent(k_, t)));
  // Below the glass point the filament hardly draws any more; above it, a coupled
  // crystallizing filament stiffens towards that as its crystals grow.
  const TStructureConstants* structure = structure_.Constants;
  if (glassy_) {
    point.Eta = laws::SolidViscosity(k_, point.Eta);
  } else if (structure != nullptr && structure->Coupled) {
    // In proportion to the crystals' share of it: a melt that cannot crystallize does not
    // stiffen.
    point.Eta *= 1.0 + (k_.SolidFactor - 1.0) * structure_laws::Crystallinity(*structure, psi);
  }
  point.D = std::sqrt(laws::DiameterSquared(k_, w, v, point.Rho));
  const double area = laws::CrossSection(k_, point.D);
  point.TA = laws::AirTemperature(zone_.A1, zone_.A2, zone_.A3, x);
  // Still air leaves the cross-flow factor at exactly 1.
  const double cross_flow_factor =
      zone_.AirVelocity == 0.0
          ? 1.0
          : std::pow(laws::CrossFlowBase(k_, zone_.AirVelocity, v), k_.CrossFlowExponent);
  point.H = laws::HeatTransfer(
      k_, std::pow(laws::FilamentFlowBase(v, area), k_.VelocityAreaExponent), cross_flow_factor);
  if (structure != nullptr) {
    point.Stress = structure_laws::TensileStress(f, point.Rho, v, w);
    point.Birefringence = structure_.FrozenBirefringence.value_or(
        structure_laws::Birefringence(*structure, point.Stress));
    point.Orientation = structure_laws::Orientation(*structure, point.Birefringence);
    point.Rate = structure_.InWindow
                     ? structure_laws::CrystallizationRate(*structure, t, point.Orientation)
                     : 0.0;
  }
  return point;
}

TLocalPoint LocalSpinlineSystem::PointAt(const TState& y, double x) const {
  return PointOf(y[filament_.Velocity()], y[filament_.Tension()], y[filament_.Temperature()],
                 filament_.WithPsi ? y[filament_.Psi()] : 0.0, x);
}

void LocalSpinlineSystem::operator()(const TState& y, TState& dydx, double x) const {
  if (evaluations_ != nullptr) ++*evaluations_;
  const double v = y[filament_.Velocity()];
  const double f = y[filament_.Tension()];
  const double t = y[filament_.Temperature()];
  const double psi = filament_.WithPsi ? y[filament_.Psi()] : 0.0;
  const TLocalPoint point = PointOf(v, f, t, psi, x);
  const double w = mass_flow_;
  const double dv = laws::VelocityDerivative(point.Rho, v, f, point.Eta, w);
  const double drag_factor =
      laws::DragFactor(k_, std::pow(laws::DragBase(w, point.Rho), k_.DragBaseExponent));
  // The inertia factor is 1 but for checks against a filament without inertia; 1 dV/dx is dV/dx.
  const double df = laws::TensionDerivative(k_, drag_factor, std::pow(v, k_.DragVelocityExponent),
                                            k_.InertiaFactor * dv, v, w);
  double dt = laws::TemperatureDerivative(k_, point.D, point.H, point.TA, t, w, point.Cp);
  double dpsi = 0.0;
  if (const TStructureConstants* structure = structure_.Constants) {
    dpsi = point.Rate / v;
    if (structure->Coupled && dpsi != 0.0) {
      // The latent heat of the crystals formed keeps the filament warm.
      dt += structure->UltimateCrystallinity * structure->HeatOfFusionCalG *
            structure_laws::RelativeCrystallinityRate(*structure, psi, dpsi) / point.Cp;
    }
  }
  dydx[filament_.Velocity()] = dv;
  dydx[filament_.Tension()] = df;
  dydx[filament_.Temperature()] = dt;
  dydx[filament_.Time()] = 1.0 / v;
  if (filament_.WithPsi) dydx[filament_.Psi()] = dpsi;
}

}  // namespace vellmor
