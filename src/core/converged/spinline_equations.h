#pragma once

// The spinline equations of the converged solution (local_spinline_system.cpp gives them in
// full) over their arithmetic: double for the solution, dual numbers (dual.h) for its exact
// derivatives with respect to the state and the model's parameters. One piece of the line at a
// time: one zone's air, one side of the glass point, with the structure one side of the
// crystallization window's upper edge.

#include <cmath>
#include <optional>

#include "vellmor/converged/dual.h"
#include "vellmor/converged/local_air.h"
#include "vellmor/converged/structure_terms.h"
#include "vellmor/physics/spinline_laws.h"

namespace vellmor {

// The air of one zone: TA = A1 / (x + A2) + A3 (A3 when A1 = 0), and its cross-flow velocity
// (cm/s).
template <class Real>
struct TZoneAirOf {
  Real A1 = 0.0;
  Real A2 = 0.0;
  Real A3 = 0.0;
  Real AirVelocity = 0.0;
};

// The filament and its air at one point, with every coefficient of the local state.
template <class Real>
struct TLocalPointOf {
  Real Rho = 0.0;  // density (g/cm³)
  Real Cp = 0.0;   // specific heat (cal/(g·°C))
  Real Eta = 0.0;  // Trouton viscosity (poise)
  Real D = 0.0;    // diameter from mass conservation (cm)
  Real TA = 0.0;   // air temperature (°C)
  Real H = 0.0;    // heat-transfer coefficient (cal/(cm²·s·°C))
  // With the structure:
  Real Stress = 0.0;         // tensile stress σ (dyn/cm²)
  Real Birefringence = 0.0;  // Δn
  Real Orientation = 0.0;    // f
  Real Rate = 0.0;           // K (1/s), 0 outside the window
};

// dV/dx, dF/dx, dT/dx, dψ/dx and dt/dx.
template <class Real>
struct TFilamentRates {
  Real V = 0.0;
  Real F = 0.0;
  Real T = 0.0;
  Real Psi = 0.0;
  Real Time = 0.0;
};

// The equations of one piece, with the constants k of the laws and those of the structure
// (TStructureConstants for double, TStructureParametersOf for dual numbers), which must
// outlive them.
template <class Real, class StructureConstants>
struct TSpinlineEquations {
  const TSpinlineConstants<Real>* K = nullptr;
  Real ViscosityFactor = 0.0;  // f IV^e
  bool Glassy = false;         // the viscosity below the glass point
  Real MassFlow = 0.0;         // W (g/s)
  TZoneAirOf<Real> Zone;
  const StructureConstants* Structure = nullptr;  // null: the structure is not computed
  bool InWindow = false;  // between the solidification and the upper temperature
  // The birefringence frozen in where the filament first solidified; until then it follows
  // the stress.
  std::optional<Real> FrozenBirefringence;
  // The zone's air as filaments upstream in the quench left it; null: the zone's own.
  const TAirAlongZone* Air = nullptr;

  // The coefficients at (v, f, t, ψ) and position x (cm).
  TLocalPointOf<Real> Point(const Real& v, const Real& f, const Real& t, const Real& psi,
                            double x) const {
    using std::exp;
    using std::pow;
    using std::sqrt;
    const TSpinlineConstants<Real>& k = *K;
    const Real& w = MassFlow;
    TLocalPointOf<Real> point;
    point.Rho = laws::Density(k, t);
    point.Cp = laws::SpecificHeat(k, t);
    point.Eta = laws::Viscosity(ViscosityFactor, exp(laws::ViscosityExponent(k, t)));
    // Below the glass point the filament hardly draws any more; above it, a coupled
    // crystallizing filament stiffens towards that as its crystals grow.
    if (Glassy) {
      point.Eta = laws::SolidViscosity(k, point.Eta);
    } else if (Structure != nullptr && Structure->Coupled) {
      // In proportion to the crystals' share of it: a melt that cannot crystallize does not
      // stiffen.
      point.Eta *= 1.0 + (k.SolidFactor - 1.0) * structure_terms::Crystallinity(*Structure, psi);
    }
    point.D = sqrt(laws::DiameterSquared(k, w, v, point.Rho));
    const Real area = laws::CrossSection(k, point.D);
    // A1 = 0 is air of the constant A3, also at x = -A2, where the hyperbola's 0 / 0 has no value.
    point.TA = ValueOf(Zone.A1) == 0.0 ? Zone.A3
                                       : laws::AirTemperature(Zone.A1, Zone.A2, Zone.A3, Real(x));
    Real air_velocity = Zone.AirVelocity;
    if (Air != nullptr) {
      point.TA += Real(Air->Rise(x));
      air_velocity = Real(Air->Velocity(x));
    }
    // Still air leaves the cross-flow factor at exactly 1.
    const Real cross_flow_factor =
        ValueOf(air_velocity) == 0.0
            ? Real(1.0)
            : pow(laws::CrossFlowBase(k, air_velocity, v), k.CrossFlowExponent);
    point.H = laws::HeatTransfer(k, pow(laws::FilamentFlowBase(v, area), k.VelocityAreaExponent),
                                 cross_flow_factor);
    if (Structure != nullptr) {
      point.Stress = structure_terms::TensileStress(f, point.Rho, v, w);
      point.Birefringence = FrozenBirefringence ? *FrozenBirefringence
                                                : structure_terms::Birefringence(
                                                      *Structure, point.Stress, t + k.KelvinOffset);
      point.Orientation = structure_terms::Orientation(*Structure, point.Birefringence);
      point.Rate = InWindow ? structure_terms::CrystallizationRate(*Structure, t, point.Orientation)
                            : Real(0.0);
    }
    return point;
  }

  // The rates at (v, f, t, ψ) and x.
  TFilamentRates<Real> Rates(const Real& v, const Real& f, const Real& t, const Real& psi,
                             double x) const {
    using std::pow;
    const TSpinlineConstants<Real>& k = *K;
    const TLocalPointOf<Real> point = Point(v, f, t, psi, x);
    const Real& w = MassFlow;
    TFilamentRates<Real> rates;
    rates.V = laws::VelocityDerivative(point.Rho, v, f, point.Eta, w);
    const Real drag_factor =
        laws::DragFactor(k, pow(laws::DragBase(w, point.Rho), k.DragBaseExponent));
    // The inertia factor is 1 but for checks against a filament without inertia: 1 dV/dx is
    // dV/dx.
    rates.F = laws::TensionDerivative(k, drag_factor, pow(v, k.DragVelocityExponent),
                                      k.InertiaFactor * rates.V, v, w);
    rates.T = laws::TemperatureDerivative(k, point.D, point.H, point.TA, t, w, point.Cp);
    if (Structure != nullptr) {
      rates.Psi = point.Rate / v;
      if (Structure->Coupled && !(ValueOf(rates.Psi) == 0.0)) {
        // The latent heat of the crystals formed keeps the filament warm.
        rates.T += Structure->UltimateCrystallinity * Structure->HeatOfFusionCalG *
                   structure_terms::RelativeCrystallinityRate(*Structure, psi, rates.Psi) /
                   point.Cp;
      }
    }
    rates.Time = 1.0 / v;
    return rates;
  }
};

}  // namespace vellmor
