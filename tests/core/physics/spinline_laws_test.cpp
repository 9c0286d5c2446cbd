// The two instantiations of the spinline's laws, the classical march's (extended precision,
// long double literals) and the converged model's (double), held together so that they cannot
// drift apart.

#include "vellmor/physics/spinline_laws.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "vellmor/converged/local_spinline_system.h"
#include "vellmor/physics/cooling_air.h"
#include "vellmor/physics/pet_properties.h"
#include "vellmor/physics/spin_derivatives.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

// Each constant of the converged model is the double of the correlation's decimal constant,
// as written in the correlations (not the classical long double narrowed some other way).
TEST(SpinlineConstants, BuiltInDoublesAreTheDecimalConstants) {
  const TSpinlineConstants<double>& k = kBuiltInConstants;
  const double expected[] = {1.36,  0.0005,    0.3,        0.0006,  0.273, 5.056,   6802.0,
                             70.0,  100.0,     0.575,      -3650.0, 548.0, 0.134,   0.61,
                             0.85,  1.37e-4,   0.259,      8.0,     0.167, 2.84e-4, 0.195,
                             1.195, 3.1415926, 0.78539815, 273.0,   980.0};
  const double actual[] = {k.DensityIntercept,
                           k.DensitySlope,
                           k.SpecificHeatIntercept,
                           k.SpecificHeatSlope,
                           k.ViscosityFactor,
                           k.IvExponent,
                           k.ActivationK,
                           k.SolidificationC,
                           k.SolidFactor,
                           k.SwellFactor,
                           k.SwellTemperatureK,
                           k.SwellReferenceK,
                           k.SwellShearRateExponent,
                           k.SwellReferenceIv,
                           k.SwellIvExponent,
                           k.HeatFactor,
                           k.VelocityAreaExponent,
                           k.CrossFlowFactor,
                           k.CrossFlowExponent,
                           k.DragFactor,
                           k.DragBaseExponent,
                           k.DragVelocityExponent,
                           k.Pi,
                           k.QuarterPi,
                           k.KelvinOffset,
                           k.Gravity};
  static_assert(std::size(expected) == std::size(actual));
  for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(actual[i], expected[i]) << i;
}

// On random states across the whole range of a spinline, the march's equations with every
// coefficient taken at the state agree with the converged model's to the precision of a double
// (a few units in the last place: its powers are glibc's, the march's correctly rounded).
TEST(SpinlineLaws, ClassicalAndConvergedInstantiationsAgree) {
  std::mt19937_64 random(20261209);
  std::uniform_real_distribution<double> temperature(20.0, 300.0);
  std::uniform_real_distribution<double> log_velocity(std::log(1.0), std::log(2e4));
  std::uniform_real_distribution<double> tension(1.0, 2000.0);
  std::uniform_real_distribution<double> position(0.0, 100.0);
  std::uniform_real_distribution<double> iv(0.5, 0.9);
  std::uniform_real_distribution<double> air_velocity(0.0, 100.0);
  const double w = 1.0 / 60.0;  // g/s
  const TZoneAir still{16087.5, -32.5, 765.0, 0.0};
  TStateLayout layout;
  const TFilamentBlock filament = DeclareFilament(layout, false);
  double worst = 0.0;
  for (int trial = 0; trial < 20000; ++trial) {
    const double t = temperature(random);
    const double v = std::exp(log_velocity(random));
    const double f = tension(random);
    const double x = position(random);
    const double viscosity_iv = iv(random);
    TZoneAir zone = trial % 2 == 0 ? still : TZoneAir{60.0, -8.0, 20.0, air_velocity(random)};
    SCOPED_TRACE(::testing::Message() << "T " << t << " V " << v << " F " << f << " x " << x);

    const TPetProperties pet = PetMaterial(viscosity_iv).At(t);
    const double diameter = std::sqrt(4.0 * w / (kBuiltInConstants.Pi * v * pet.Rho));
    const double area = kBuiltInConstants.QuarterPi * diameter * diameter;
    const TAirCondition air = AirCondition(zone, area, x, v);
    TStateVector y{};
    y[kVelocity] = v;
    y[kTension] = f;
    y[kTemperature] = t;
    const TStateVector classical =
        SpinDerivatives(y, x, {pet.Rho, pet.Eta, pet.Cp, air.TA, air.H}, w);

    const LocalSpinlineSystem converged(filament, viscosity_iv, w, zone, t < kGlassTransition);
    TState state = layout.Zero();
    state[filament.Velocity()] = v;
    state[filament.Tension()] = f;
    state[filament.Temperature()] = t;
    const TLocalPoint point = converged.PointAt(state, x);
    TState dydx = layout.Zero();
    converged(state, dydx, x);

    // Each difference against the size of the terms it is made of: dF/dx and dT/dx are
    // differences (drag and inertia against the weight, the air against the filament), which
    // cancel where the filament is at the air's temperature or hangs nearly still.
    const double weight = kBuiltInConstants.Gravity / v * w;
    const double tension_scale =
        std::fabs(classical[kTension]) + 2.0 * std::fabs(classical[kVelocity] * w) + 2.0 * weight;
    // The air's own hyperbola cancels too, where A1 / (x + A2) comes close to -A3.
    const double air_scale = std::fabs(zone.A1 / (x + zone.A2)) + std::fabs(zone.A3);
    const double temperature_scale =
        std::fabs(classical[kTemperature]) * (air_scale + std::fabs(t)) / std::fabs(air.TA - t);
    const double checks[][3] = {
        {pet.Rho, point.Rho, std::fabs(pet.Rho)},
        {pet.Cp, point.Cp, std::fabs(pet.Cp)},
        {pet.Eta, point.Eta, std::fabs(pet.Eta)},
        {air.TA, point.TA, air_scale},
        {air.H, point.H, std::fabs(air.H)},
        {classical[kVelocity], dydx[filament.Velocity()], std::fabs(classical[kVelocity])},
        {classical[kTension], dydx[filament.Tension()], tension_scale},
        {classical[kTemperature], dydx[filament.Temperature()], temperature_scale}};
    for (const auto& [a, b, scale] : checks) {
      const double difference = std::fabs(a - b) / scale;
      worst = std::max(worst, difference);
      ASSERT_LT(difference, 1e-13) << a << " against " << b;
    }
  }
  std::ostringstream shown;
  shown << std::scientific << worst;
  RecordProperty("worst relative difference", shown.str());
}

// The die swell by hand at the default melt, 290 °C, and a wall shear rate of 1000 1/s:
// 0.575 exp(-3650 (1/548 - 1/563)) 1000^0.134 (0.67/0.61)^0.85.
TEST(SpinlineLaws, DieSwellOfBothArithmetics) {
  const TSpinlineConstants<double>& k = kBuiltInConstants;
  const double by_hand = 0.575 * std::exp(-3650.0 * (1.0 / 548.0 - 1.0 / 563.0)) *
                         std::pow(1000.0, 0.134) * std::pow(0.67 / 0.61, 0.85);
  const double converged = laws::DieSwell(k, std::exp(laws::SwellTemperatureExponent(k, 290.0)),
                                          std::pow(1000.0, k.SwellShearRateExponent),
                                          std::pow(laws::SwellIvRatio(k, 0.67), k.SwellIvExponent));
  EXPECT_NEAR(converged, by_hand, 1e-15 * by_hand);
  EXPECT_NEAR(DieSwell(290.0, 1000.0, 0.67), by_hand, 1e-14 * by_hand);
}

}  // namespace
}  // namespace vellmor
