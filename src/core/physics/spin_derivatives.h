#pragma once

#include "core/physics/numerics.h"
#include "core/physics/state_vector.h"

namespace vellmor {

// Material and air values of a step's start point, held fixed over all four stages.
struct TStepCoefficients {
  double Rho = 0.0;  // density (g/cm³)
  double Eta = 0.0;  // Trouton viscosity (poise)
  double Cp = 0.0;   // specific heat (cal/(g·°C))
  double TA = 0.0;   // air temperature (°C)
  double H = 0.0;    // heat-transfer coefficient (cal/(cm²·s·°C))
};

// The spinline equations over one step: the coefficients c of its start point and the mass
// flow w (g/s). The air-drag factor depends on those alone and is evaluated once per step,
// not at each of the four stages.
class SpinlineSystem {
 public:
  SpinlineSystem(const TStepCoefficients& c, double w);

  // dV/dx, dF/dx, dT/dx of the state y at position x (cm); the elements beyond the third are
  // those of y. Inline, with the state's elements as doubles: the four stages of a step chain
  // these, and a call would pass every operand through memory.
  TStateVector operator()(double /*x*/, TStateVector y) const {
    const long double v = y[kVelocity];
    const long double f = y[kTension];
    const long double t = y[kTemperature];

    TStateVector dy = y;
    dy[kVelocity] = static_cast<double>(c_.Rho * v * f / (c_.Eta * mass_flow_));
    dy[kTension] = static_cast<double>(drag_factor_ * Power(y[kVelocity], 1.195L) +
                                       (dy[kVelocity] - kGravity / v) * mass_flow_);
    const double diameter = SquareRootByPower(4.0L * mass_flow_ / (kPi * v * c_.Rho));
    dy[kTemperature] =
        static_cast<double>(kPi * diameter * c_.H * (c_.TA - t) / (mass_flow_ * c_.Cp));
    return dy;
  }

 private:
  TStepCoefficients c_;
  long double mass_flow_;
  long double drag_factor_;  // 2.84e-4 (W/ρ)^0.195
};

// The same for a single evaluation.
TStateVector SpinDerivatives(TStateVector y, double x, const TStepCoefficients& c, double w);

}  // namespace vellmor
