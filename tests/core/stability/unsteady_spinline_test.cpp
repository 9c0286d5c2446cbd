// The time-dependent equations at a point: at steady state they are the converged model's
// equations, and their time derivatives are the masses of mass, momentum and heat.

#include <gtest/gtest.h>

#include <cmath>

#include "vellmor/converged/local_spinline_system.h"
#include "vellmor/physics/spinline_laws.h"
#include "vellmor/stability/unsteady_spinline.h"

namespace vellmor {
namespace {

constexpr double kIv = 0.67;
constexpr double kMassFlow = 1.0 / 60.0;  // g/s

TLinePointLaws LawsIn(const TZoneAir& air) {
  TLinePointLaws laws;
  laws.ViscosityFactor = 0.273 * std::pow(kIv, 5.056);
  laws.Air = air;
  return laws;
}

// (A, V, F, T) at a point of the line, A from the mass flow.
TLineVector PointAt(double v, double f, double t) {
  const double rho = 1.36 - 0.0005 * t;
  return {kMassFlow / (rho * v), v, f, t};
}

// In a cross flow and in still air, with a point of the melt and one of a hot, fast filament.
TEST(UnsteadySpinline, SteadySlopesAreTheConvergedModelsDerivatives) {
  const TZoneAir cross{60.0, -8.0, 20.0, 50.0};
  const TZoneAir still{16087.5, -32.5, 765.0, 0.0};
  TStateLayout layout;
  const TFilamentBlock filament = DeclareFilament(layout, false);
  for (const TZoneAir& air : {cross, still}) {
    for (const auto& [v, f, t] : {std::array{12.0, 40.0, 280.0}, std::array{900.0, 60.0, 120.0}}) {
      const LocalSpinlineSystem system(filament, kIv, kMassFlow, air, false);
      TState y = layout.Zero(), dydx = layout.Zero();
      y[filament.Velocity()] = v;
      y[filament.Tension()] = f;
      y[filament.Temperature()] = t;
      system(y, dydx, 20.0);
      const TLineVector ux = SteadySlope(LawsIn(air), 20.0, PointAt(v, f, t));
      EXPECT_NEAR(ux[kVelocity], dydx[filament.Velocity()], 1e-12 * std::fabs(ux[kVelocity]));
      EXPECT_NEAR(ux[kTension], dydx[filament.Tension()], 1e-9 * std::fabs(ux[kTension]));
      EXPECT_NEAR(ux[kTemperature], dydx[filament.Temperature()],
                  1e-9 * std::fabs(ux[kTemperature]));
      // Mass conservation: d(ρ A V)/dx = 0.
      const TLineVector u = PointAt(v, f, t);
      const double rho = 1.36 - 0.0005 * t;
      EXPECT_NEAR(-0.0005 * ux[kTemperature] * u[kArea] * v + rho * ux[kArea] * v +
                      rho * u[kArea] * ux[kVelocity],
                  0.0, 1e-12 * rho * u[kArea] * std::fabs(ux[kVelocity]));
    }
  }
}

TEST(UnsteadySpinline, LinearisationHoldsTheMassesAndTheViscousLaw) {
  const TLinePointLaws laws = LawsIn({60.0, -8.0, 20.0, 50.0});
  const TLineVector u = PointAt(50.0, 45.0, 200.0);
  const TLineLinearisation lin = Linearise(laws, 20.0, u, SteadySlope(laws, 20.0, u));
  const double rho = 1.36 - 0.0005 * 200.0;
  const double cp = 0.3 + 0.0006 * 200.0;
  const double a = u[kArea];
  EXPECT_NEAR(lin.Ct[kMass][kArea], rho, 1e-12);
  EXPECT_NEAR(lin.Ct[kMass][kTemperature], -0.0005 * a, 1e-15);
  EXPECT_NEAR(lin.Ct[kMomentum][kVelocity], rho * a, 1e-12 * rho * a);
  EXPECT_NEAR(lin.Ct[kEnergy][kTemperature], rho * a * cp, 1e-12 * rho * a);
  EXPECT_EQ(lin.Ct[kViscous][kVelocity], 0.0);
  // F = λ A V_x: its derivative in F is 1, in V_x -λ A, in T -A V_x dλ/dT = λ A V_x 6802/(T+273)².
  const double eta = 0.273 * std::pow(kIv, 5.056) * std::exp(6802.0 / 473.0);
  EXPECT_NEAR(lin.C0[kViscous][kTension], 1.0, 1e-9);
  EXPECT_NEAR(lin.C1[kViscous][kVelocity], -eta * a, 1e-9 * eta * a);
  EXPECT_NEAR(lin.C0[kViscous][kTemperature], 45.0 * 6802.0 / (473.0 * 473.0), 1e-6);
  // The tension's gradient enters the momentum balance alone.
  EXPECT_NEAR(lin.C1[kMomentum][kTension], -1.0, 1e-12);
}

TEST(UnsteadySpinline, InertiaFactorScalesTheMomentumsMass) {
  TLinePointLaws laws = LawsIn({60.0, -8.0, 20.0, 50.0});
  laws.K.InertiaFactor = 0.0;
  const TLineVector u = PointAt(50.0, 45.0, 200.0);
  const TLineLinearisation lin = Linearise(laws, 20.0, u, SteadySlope(laws, 20.0, u));
  EXPECT_EQ(lin.Ct[kMomentum][kVelocity], 0.0);
  EXPECT_EQ(lin.C1[kMomentum][kVelocity], 0.0);
}

}  // namespace
}  // namespace vellmor
