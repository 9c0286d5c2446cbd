// One step of the march, point p to point p + 1, with one Runge–Kutta–Gill step; the material
// and air coefficients are those of the start point, held fixed over the step, and the
// properties are evaluated anew only at the new point. The diameter follows from mass
// conservation, D = √(4 W / (π ρ V)).
//
// Where the time goes: each stage needs V^1.195 for the drag, the start point the two powers of
// the heat transfer and (W/ρ)^0.195, the new point the viscosity's exponential; each is a
// correctly rounded logarithm and exponential, whose latency is twice its throughput. Taken
// stage by stage they wait on one another. But dV/dx = ρ V F / (λ W) needs no power, so the
// velocities of stages 1 and 2 are known before any power is, and those of stages 3 and 4 and
// the whole temperature path (which needs the heat transfer) once the first batch is in:
//
//   batch 1: the air's two powers, (W/ρ)^0.195, V1^1.195, V2^1.195
//   batch 2: V3^1.195, V4^1.195 and the viscosity's exponential at the new temperature
//
// (Vi the velocity at stage i). Every operation is the same as one stage at a time, on the same
// operands; only their order differs, which changes no result and no exception flag.

#include "core/solver/spinline_step.h"

#include <array>
#include <cfenv>
#include <cmath>

#include "core/physics/cooling_air.h"
#include "core/physics/extended_math.h"
#include "core/physics/numerics.h"
#include "core/physics/runge_kutta_gill.h"
#include "core/physics/spin_derivatives.h"
#include "core/solver/floating_point_check.h"

namespace vellmor {
namespace {

double CrossSection(double diameter) {
  return static_cast<double>(kQuarterPi * diameter * diameter);
}

double DiameterOf(double mass_flow, double rho, double v) {
  return static_cast<double>(std::sqrt(4.0L * mass_flow / (kPi * rho * v)));
}

// What a step stores at its new point p + 1.
struct TNewPoint {
  double X = 0.0;
  double V = 0.0;
  double F = 0.0;
  double T = 0.0;
  TPetProperties Properties;
  double D = 0.0;
};

void Store(int p, const TNewPoint& next, TSpinlineProfile& profile) {
  profile.X[p + 1] = next.X;
  profile.V[p + 1] = next.V;
  profile.F[p + 1] = next.F;
  profile.T[p + 1] = next.T;
  profile.Rho[p + 1] = next.Properties.Rho;
  profile.Cp[p + 1] = next.Properties.Cp;
  profile.Eta[p + 1] = next.Properties.Eta;
  profile.D[p + 1] = next.D;
  profile.VOut[p] = MetresPerMinute(profile.V[p]);
  profile.VOut[p + 1] = MetresPerMinute(next.V);
}

double NextPosition(const TSpinlineProfile& profile, int p, double increment) {
  return static_cast<double>(profile.X[p] + static_cast<long double>(increment));
}

}  // namespace

TAirCondition StorePointAir(int p, const TSpinCondition& condition, TSpinlineProfile& profile) {
  const double area = CrossSection(profile.D[p]);
  const TAirCondition air =
      AirCondition(p, area, profile.X[p], profile.V[p], condition, profile.ZoneEndPoint);
  ThrowOnFloatingPointFault();
  profile.Area = area;
  profile.TA[p] = air.TA;
  profile.H[p] = air.H;
  return air;
}

void StepOneStageAtATime(int p, const TSpinCondition& condition, const PetMaterial& pet,
                         TSpinlineProfile& profile) {
  const TAirCondition air = StorePointAir(p, condition, profile);
  const TStepCoefficients coefficients{profile.Rho[p], profile.Eta[p], profile.Cp[p], air.TA,
                                       air.H};
  const double mass_flow = profile.MassFlow;
  TStateVector y{};
  y[kVelocity] = profile.V[p];
  y[kTension] = profile.F[p];
  y[kTemperature] = profile.T[p];
  RungeKuttaGill(kSpinlineEquations, y, profile.X[p], condition.Increment,
                 SpinlineSystem(coefficients, mass_flow));

  TNewPoint next;
  next.X = NextPosition(profile, p, condition.Increment);
  next.V = y[kVelocity];
  next.F = y[kTension];
  next.T = y[kTemperature];
  next.Properties = pet.At(next.T);
  next.D = DiameterOf(mass_flow, next.Properties.Rho, next.V);
  ThrowOnFloatingPointFault();
  Store(p, next, profile);
}

bool StepTogether(int p, const TSpinCondition& condition, const PetMaterial& pet,
                  TSpinlineProfile& profile) {
  const double area = CrossSection(profile.D[p]);
  const TAirLaws air_laws =
      AirLaws(p, area, profile.X[p], profile.V[p], condition, profile.ZoneEndPoint);
  TStepCoefficients coefficients{profile.Rho[p], profile.Eta[p], profile.Cp[p], air_laws.TA, 0.0};
  const double mass_flow = profile.MassFlow;
  const long double hl = condition.Increment;

  // The state (v, f, t) as the stages leave it, with Gill's auxiliary values.
  double v = profile.V[p], f = profile.F[p], t = profile.T[p];
  double qv = 0.0, qf = 0.0, qt = 0.0;

  // Stage 1's velocity derivative needs no power (nor the heat transfer, still unknown).
  const double v1 = v, f1 = f, t1 = t;
  const double dv1 = VelocityDerivative(coefficients, mass_flow, v1, f1);
  gill::FirstStage(hl, dv1, v, qv);
  const double v2 = v;

  const std::array<long double, 5> first = PowersTogether(
      {{air_laws.FilamentFlow,
        air_laws.CrossFlow,
        {SpinlineSystem::DragBase(coefficients, mass_flow), SpinlineSystem::kDragBaseExponent},
        {v1, SpinlineSystem::kDragVelocityExponent},
        {v2, SpinlineSystem::kDragVelocityExponent}}});
  const TAirCondition air = AirFromPowers(air_laws, first[0], first[1]);
  coefficients.H = air.H;
  const SpinlineSystem system(coefficients, mass_flow, first[2]);

  // Stage 1 at the start point.
  gill::FirstStage(hl, system.Tension(v1, dv1, first[3]), f, qf);
  gill::FirstStage(hl, system.Temperature(v1, t1), t, qt);
  // Stage 2.
  const double f2 = f, t2 = t;
  const double dv2 = system.Velocity(v2, f2);
  gill::SecondStage(hl, dv2, v, qv);
  gill::SecondStage(hl, system.Tension(v2, dv2, first[4]), f, qf);
  gill::SecondStage(hl, system.Temperature(v2, t2), t, qt);
  // Stage 3 but for the tension, which waits for V3^1.195.
  const double v3 = v, f3 = f, t3 = t;
  const double dv3 = system.Velocity(v3, f3);
  gill::ThirdStage(hl, dv3, v, qv);
  gill::ThirdStage(hl, system.Temperature(v3, t3), t, qt);
  // Stage 4's temperature needs only its velocity: the new point's temperature is known.
  const double v4 = v, t4 = t;
  gill::FourthStage(hl, system.Temperature(v4, t4), t, qt);

  const std::array<long double, 3> second = PowersTogether(
      {{{v3, SpinlineSystem::kDragVelocityExponent}, {v4, SpinlineSystem::kDragVelocityExponent}}},
      PetMaterial::ViscosityExponent(t));
  gill::ThirdStage(hl, system.Tension(v3, dv3, second[0]), f, qf);
  const double f4 = f;
  const double dv4 = system.Velocity(v4, f4);
  gill::FourthStage(hl, dv4, v, qv);
  gill::FourthStage(hl, system.Tension(v4, dv4, second[1]), f, qf);

  TNewPoint next;
  next.X = NextPosition(profile, p, condition.Increment);
  next.V = v;
  next.F = f;
  next.T = t;
  next.Properties = pet.At(t, second[2]);
  next.D = DiameterOf(mass_flow, next.Properties.Rho, next.V);
  if (FloatingPointFaultRaised()) {
    // Flags were clear at the start of the step; the step one stage at a time raises them
    // again, and reports the first check they fail.
    std::feclearexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    return false;
  }
  profile.Area = area;
  profile.TA[p] = air.TA;
  profile.H[p] = air.H;
  Store(p, next, profile);
  return true;
}

}  // namespace vellmor
