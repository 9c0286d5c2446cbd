#pragma once

#include "vellmor/physics/numerics.h"
#include "vellmor/physics/spinline_laws.h"
#include "vellmor/physics/state_vector.h"

namespace vellmor {

// Material and air values of a step's start point, held fixed over all four stages.
struct TStepCoefficients {
  double Rho = 0.0;  // density (g/cm³)
  double Eta = 0.0;  // Trouton viscosity (poise)
  double Cp = 0.0;   // specific heat (cal/(g·°C))
  double TA = 0.0;   // air temperature (°C)
  double H = 0.0;    // heat-transfer coefficient (cal/(cm²·s·°C))
};

// dV/dx = ρ V F / (λ W) alone, as SpinlineSystem gives it; it needs neither the air nor a
// power law.
inline double VelocityDerivative(const TStepCoefficients& c, double w, double v, double f) {
  return static_cast<double>(laws::VelocityDerivative<long double>(c.Rho, v, f, c.Eta, w));
}

// The spinline equations over one step: the coefficients c of its start point and the mass
// flow w (g/s). The air-drag factor depends on those alone and is evaluated once per step,
// not at each of the four stages. Inline: the four stages of a step chain these, and a call
// would pass every operand through memory.
class SpinlineSystem {
 public:
  SpinlineSystem(const TStepCoefficients& c, double w)
      : SpinlineSystem(c, w, Power(DragBase(c, w), kDragBaseExponent)) {}
  // With the drag law's power (W/ρ)^0.195 evaluated elsewhere, together with others.
  SpinlineSystem(const TStepCoefficients& c, double w, long double drag_power)
      : c_(c), mass_flow_(w), drag_factor_(laws::DragFactor(kClassicalConstants, drag_power)) {}

  // The drag law 2.84e-4 (W/ρ)^0.195 V^1.195: the base and exponents of its powers.
  static long double DragBase(const TStepCoefficients& c, double w) {
    return laws::DragBase<long double>(w, c.Rho);
  }
  static constexpr long double kDragBaseExponent = kClassicalConstants.DragBaseExponent;
  static constexpr long double kDragVelocityExponent = kClassicalConstants.DragVelocityExponent;

  // dV/dx, dF/dx, dT/dx of the state y at position x (cm); the elements beyond the third are
  // those of y.
  TStateVector operator()(double /*x*/, TStateVector y) const {
    TStateVector dy = y;
    const double v = y[kVelocity];
    dy[kVelocity] = Velocity(v, y[kTension]);
    dy[kTension] = Tension(v, dy[kVelocity], Power(v, kDragVelocityExponent));
    dy[kTemperature] = Temperature(v, y[kTemperature]);
    return dy;
  }

  // The three equations one by one, at velocity v, tension f and temperature t; the tension's
  // with dV/dx and V^1.195 evaluated before.
  double Velocity(double v, double f) const { return VelocityDerivative(c_, mass_flow_, v, f); }

  double Tension(double v, double velocity_derivative, long double velocity_power) const {
    return static_cast<double>(laws::TensionDerivative<long double>(
        kClassicalConstants, drag_factor_, velocity_power, velocity_derivative, v, W()));
  }

  double Temperature(double v, double t) const {
    const TSpinlineConstants<long double>& k = kClassicalConstants;
    const double diameter =
        SquareRootByPower(laws::DiameterSquared<long double>(k, W(), v, c_.Rho));
    return static_cast<double>(
        laws::TemperatureDerivative<long double>(k, diameter, c_.H, c_.TA, t, W(), c_.Cp));
  }

 private:
  long double W() const { return mass_flow_; }

  TStepCoefficients c_;
  double mass_flow_;         // g/s
  long double drag_factor_;  // 2.84e-4 (W/ρ)^0.195
};

// The same for a single evaluation.
TStateVector SpinDerivatives(TStateVector y, double x, const TStepCoefficients& c, double w);

}  // namespace vellmor
