#include "vellmor/stability/unsteady_spinline.h"

#include <cmath>

#include "vellmor/physics/spinline_laws.h"

namespace vellmor {
namespace {

struct TPointCoefficients {
  double Rho, DRho, Cp, Eta, Drag, HeatLoss;  // HeatLoss: π D H (TA - T) (cal/(cm·s))
};

TPointCoefficients CoefficientsAt(const TLinePointLaws& p, double x, const TLineVector& u) {
  const TSpinlineConstants<double>& k = p.K;
  const double a = u[kArea], v = u[kVelocity], t = u[kTemperature];
  TPointCoefficients c{};
  c.Rho = laws::Density(k, t);
  c.DRho = -k.DensitySlope;  // dρ/dT of the linear law
  c.Cp = laws::SpecificHeat(k, t);
  c.Eta =
      p.Stiffening * laws::Viscosity(p.ViscosityFactor, std::exp(laws::ViscosityExponent(k, t)));
  // W/ρ of the steady law is the volume flow A V.
  c.Drag = laws::DragFactor(k, std::pow(a * v, k.DragBaseExponent)) *
           std::pow(v, k.DragVelocityExponent);
  const double d = std::sqrt(a / k.QuarterPi);
  const double cross_flow =
      p.Air.AirVelocity == 0.0
          ? 1.0
          : std::pow(laws::CrossFlowBase(k, p.Air.AirVelocity, v), k.CrossFlowExponent);
  const double h = laws::HeatTransfer(
      k, std::pow(laws::FilamentFlowBase(v, a), k.VelocityAreaExponent), cross_flow);
  c.HeatLoss = k.Pi * d * h * (laws::AirTemperature(p.Air.A1, p.Air.A2, p.Air.A3, x) - t);
  return c;
}

}  // namespace

TLineVector UnsteadyResidual(const TLinePointLaws& laws, double x, const TLineVector& u,
                             const TLineVector& ux, const TLineVector& ut) {
  const TPointCoefficients c = CoefficientsAt(laws, x, u);
  const double a = u[kArea], v = u[kVelocity], f = u[kTension];
  const double inertia = laws.K.InertiaFactor;
  TLineVector r;
  r[kMass] = c.Rho * ut[kArea] + a * c.DRho * ut[kTemperature] + c.DRho * ux[kTemperature] * a * v +
             c.Rho * (ux[kArea] * v + a * ux[kVelocity]);
  r[kViscous] = f - c.Eta * a * ux[kVelocity];
  r[kMomentum] = inertia * c.Rho * a * (ut[kVelocity] + v * ux[kVelocity]) - ux[kTension] + c.Drag -
                 c.Rho * a * laws.K.Gravity;
  r[kEnergy] = c.Rho * a * c.Cp * (ut[kTemperature] + v * ux[kTemperature]) - c.HeatLoss;
  return r;
}

TLineVector SteadySlope(const TLinePointLaws& laws, double x, const TLineVector& u) {
  const TPointCoefficients c = CoefficientsAt(laws, x, u);
  const double a = u[kArea], v = u[kVelocity], f = u[kTension];
  TLineVector ux;
  ux[kVelocity] = f / (c.Eta * a);
  ux[kTemperature] = c.HeatLoss / (c.Rho * a * c.Cp * v);
  ux[kArea] = -a * (ux[kVelocity] / v + c.DRho * ux[kTemperature] / c.Rho);
  ux[kTension] =
      laws.K.InertiaFactor * c.Rho * a * v * ux[kVelocity] + c.Drag - c.Rho * a * laws.K.Gravity;
  return ux;
}

TLineLinearisation Linearise(const TLinePointLaws& laws, double x, const TLineVector& u,
                             const TLineVector& ux) {
  TLineLinearisation lin;
  const TLineVector zero{};
  // The residuals are affine in u_x and u_t: a unit difference is exact.
  const TLineVector base = UnsteadyResidual(laws, x, u, ux, zero);
  for (int j = 0; j < kLineUnknowns; ++j) {
    TLineVector shifted_x = ux, shifted_t = zero;
    shifted_x[j] += 1.0;
    shifted_t[j] = 1.0;
    const TLineVector rx = UnsteadyResidual(laws, x, u, shifted_x, zero);
    const TLineVector rt = UnsteadyResidual(laws, x, u, ux, shifted_t);
    for (int i = 0; i < kLineUnknowns; ++i) {
      lin.C1[i][j] = rx[i] - base[i];
      lin.Ct[i][j] = rt[i] - base[i];
    }
  }
  // In u, central differences: a relative step of 1e-5 leaves 1e-10 of truncation and rounding.
  for (int j = 0; j < kLineUnknowns; ++j) {
    const double scale = j == kTemperature ? 100.0 : std::fabs(u[j]);
    const double h = 1e-5 * (scale > 0.0 ? scale : 1.0);
    TLineVector up = u, down = u;
    up[j] += h;
    down[j] -= h;
    const TLineVector rp = UnsteadyResidual(laws, x, up, ux, zero);
    const TLineVector rm = UnsteadyResidual(laws, x, down, ux, zero);
    for (int i = 0; i < kLineUnknowns; ++i) lin.C0[i][j] = (rp[i] - rm[i]) / (2.0 * h);
  }
  return lin;
}

}  // namespace vellmor
