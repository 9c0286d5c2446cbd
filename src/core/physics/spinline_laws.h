#pragma once

// The laws of the spinline model, each written once, for both models that use them: the
// classical march evaluates them in x87 extended precision (Real = long double) with its
// constants as long double literals, the converged solution in double precision with the same
// constants as doubles. T in °C, x and D in cm, V in cm/s, F in dyn, W in g/s:
//
//   density           ρ  = a - b T                                        (g/cm³)
//   specific heat     Cp = a + b T                                        (cal/(g·°C))
//   Trouton viscosity λ  = f IV^e exp(E / (T + 273)), × s below Ts (solid)  (poise)
//   die swell         S  = f exp(t (1/Tref - 1/(Tm + 273))) SR^e (IV/IVref)^e2
//   air temperature   TA = A1 / (x + A2) + A3                              (°C)
//   heat transfer     H  = f (V/A)^e (1 + (c Va / V)²)^e2                  (cal/(cm²·s·°C))
//   dV/dx = ρ V F / (λ W)                                  force carried by the viscous filament
//   dF/dx = d (W/ρ)^e V^e2 + (dV/dx - g/V) W               air drag, inertia, less the weight
//   dT/dx = π D H (TA - T) / (W Cp),  D² = 4 W / (π V ρ)   heat lost to the quench air
//
// Each function is the formula alone, in the order of its operations: the classical result
// file depends on every rounding, so the callers keep their own roundings to double between
// the formulas, and evaluate the power laws themselves (the march in batches, the converged
// model with std::pow).

#include "vellmor/physics/spinline_constants.h"

namespace vellmor {

namespace laws {

template <class Real>
Real Density(const TSpinlineConstants<Real>& k, Real t) {
  return k.DensityIntercept - k.DensitySlope * t;
}

template <class Real>
Real SpecificHeat(const TSpinlineConstants<Real>& k, Real t) {
  return k.SpecificHeatIntercept + k.SpecificHeatSlope * t;
}

// The viscosity's factor f IV^e, from IV^e.
template <class Real>
Real ViscosityFactor(const TSpinlineConstants<Real>& k, Real iv_power) {
  return k.ViscosityFactor * iv_power;
}

// E / (T + 273): the exponent of the viscosity's exponential.
template <class Real>
Real ViscosityExponent(const TSpinlineConstants<Real>& k, Real t) {
  return k.ActivationK / (t + k.KelvinOffset);
}

template <class Real>
Real Viscosity(Real factor, Real exponential) {
  return factor * exponential;
}

template <class Real>
bool IsSolid(const TSpinlineConstants<Real>& k, Real t) {
  return t < k.SolidificationC;
}

// The solid filament's viscosity from the melt law's.
template <class Real>
Real SolidViscosity(const TSpinlineConstants<Real>& k, Real eta) {
  return k.SolidFactor * eta;
}

// t (1/Tref - 1/(Tm + 273)): the exponent of the swell's temperature factor.
template <class Real>
Real SwellTemperatureExponent(const TSpinlineConstants<Real>& k, Real tm) {
  return k.SwellTemperatureK * (Real(1) / k.SwellReferenceK - Real(1) / (tm + k.KelvinOffset));
}

// IV / IVref: the base of the swell's IV power.
template <class Real>
Real SwellIvRatio(const TSpinlineConstants<Real>& k, Real iv) {
  return iv / k.SwellReferenceIv;
}

// f × temperature factor × SR^e × (IV/IVref)^e2.
template <class Real>
Real DieSwell(const TSpinlineConstants<Real>& k, Real temperature_factor, Real shear_rate_power,
              Real iv_power) {
  return k.SwellFactor * temperature_factor * shear_rate_power * iv_power;
}

template <class Real>
Real AirTemperature(Real a1, Real a2, Real a3, Real x) {
  return a1 / (x + a2) + a3;
}

// V/A: the base of the heat transfer's filament flow power.
template <class Real>
Real FilamentFlowBase(Real v, Real area) {
  return v / area;
}

// 1 + (c Va / V)²: the base of its cross-flow power.
template <class Real>
Real CrossFlowBase(const TSpinlineConstants<Real>& k, Real air_velocity, Real v) {
  const Real cross_flow = k.CrossFlowFactor * air_velocity / v;
  return Real(1) + cross_flow * cross_flow;
}

template <class Real>
Real HeatTransfer(const TSpinlineConstants<Real>& k, Real filament_flow_power,
                  Real cross_flow_power) {
  return k.HeatFactor * filament_flow_power * cross_flow_power;
}

template <class Real>
Real VelocityDerivative(Real rho, Real v, Real f, Real eta, Real w) {
  return rho * v * f / (eta * w);
}

// W/ρ: the base of the drag's first power.
template <class Real>
Real DragBase(Real w, Real rho) {
  return w / rho;
}

// d (W/ρ)^e, from (W/ρ)^e: the drag's factor, the same over a step of the march.
template <class Real>
Real DragFactor(const TSpinlineConstants<Real>& k, Real base_power) {
  return k.DragFactor * base_power;
}

// The drag's factor times V^e2, plus inertia, less the weight (dyn/cm).
template <class Real>
Real TensionDerivative(const TSpinlineConstants<Real>& k, Real drag_factor, Real velocity_power,
                       Real velocity_derivative, Real v, Real w) {
  return drag_factor * velocity_power + (velocity_derivative - k.Gravity / v) * w;
}

// D² = 4 W / (π a b) from mass conservation, a b being V ρ: the step's heat transfer takes V
// first, the march's new point ρ first, and the products round differently.
template <class Real>
Real DiameterSquared(const TSpinlineConstants<Real>& k, Real w, Real a, Real b) {
  return Real(4) * w / (k.Pi * a * b);
}

template <class Real>
Real CrossSection(const TSpinlineConstants<Real>& k, Real d) {
  return k.QuarterPi * d * d;
}

template <class Real>
Real TemperatureDerivative(const TSpinlineConstants<Real>& k, Real d, Real h, Real ta, Real t,
                           Real w, Real cp) {
  return k.Pi * d * h * (ta - t) / (w * cp);
}

}  // namespace laws
}  // namespace vellmor
