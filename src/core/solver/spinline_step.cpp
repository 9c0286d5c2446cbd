// One step of the march, point p to point p + 1, with one Runge–Kutta–Gill step; the material
// and air coefficients are those of the start point, held fixed over the step, and the
// properties are evaluated anew only at the new point. The diameter follows from mass
// conservation, D = √(4 W / (π ρ V)).
//
// Where the time goes: each stage needs V^1.195 for the drag, the start point the two powers of
// the heat transfer and (W/ρ)^0.195, the new point the viscosity's exponential; each is a
// correctly rounded logarithm and exponential, whose latency is twice its throughput, and the
// stages' x87 arithmetic is one long chain of dependent roundings. Taken stage by stage they
// wait on one another. But dV/dx = ρ V F / (λ W) needs no power, and velocity and tension need
// no heat transfer, so (Vi the velocity at stage i):
//
//   (W/ρ)^0.195, V1^1.195, V2^1.195              before anything else
//   the heat transfer's two powers               beside tension and velocity up to V3 and V4
//   V3^1.195, V4^1.195                           beside the four stages of the temperature
//   the viscosity's exponential at the new T     beside the last tension and velocity
//
// Every operation is the same as one stage at a time, on the same operands; only their order
// differs, which changes no result and no exception flag.

#include "vellmor/solver/spinline_step.h"

#include <array>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>

#include "vellmor/base/floating_point_check.h"
#include "vellmor/inputs/spinline_points.h"
#include "vellmor/physics/cooling_air.h"
#include "vellmor/physics/extended_math.h"
#include "vellmor/physics/extended_math_kernels.h"
#include "vellmor/physics/numerics.h"
#include "vellmor/physics/runge_kutta_gill.h"
#include "vellmor/physics/spin_derivatives.h"
#include "vellmor/physics/spinline_laws.h"

namespace vellmor {
namespace {

double CrossSection(double diameter) {
  return static_cast<double>(laws::CrossSection<long double>(kClassicalConstants, diameter));
}

double DiameterOf(double mass_flow, double rho, double v) {
  return static_cast<double>(
      std::sqrt(laws::DiameterSquared<long double>(kClassicalConstants, mass_flow, rho, v)));
}

// The air of the zone that holds the step from point p: the march decides by point number.
TZoneAir AirOfStep(int p, const TSpinCondition& condition, const TSpinlineProfile& profile) {
  return ZoneAir(condition, ZoneOfPoint(p, profile.ZoneEndPoint[1], profile.ZoneEndPoint[2]));
}

// Whether |x| is 2^n with -20 <= n <= 20.
bool IsModestPowerOfTwo(double x) {
  const uint64_t bits = std::bit_cast<uint64_t>(x);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  return (bits << 12) == 0 && biased >= 1023 - 20 && biased <= 1023 + 20;
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
      AirCondition(AirOfStep(p, condition, profile), area, profile.X[p], profile.V[p]);
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

namespace {

// The four stages of a step element by element, each piece as soon as its operands are in.
// v, f, t are the state as the stages leave it, with Gill's auxiliary values; vs[i], fs[i],
// ts[i] are the state at stage i (1 ... 4) and dv[i] the velocity derivative there.
class TStages {
 public:
  TStages(double increment, double v0, double f0, double t0)
      : v(v0), f(f0), t(t0), h_(increment), step_is_power_of_two_(IsModestPowerOfTwo(increment)) {
    vs[1] = v0;
    fs[1] = f0;
    ts[1] = t0;
  }

  // The velocity of stage i + 1; stage 1's needs neither a power nor the heat transfer.
  void Velocity(int i, const SpinlineSystem& system) {
    dv[i] = system.Velocity(vs[i], fs[i]);
    Update(i, dv[i], v, qv_);
    vs[i + 1] = v;
  }
  void FirstVelocity(const TStepCoefficients& c, double w) {
    dv[1] = VelocityDerivative(c, w, vs[1], fs[1]);
    Update(1, dv[1], v, qv_);
    vs[2] = v;
  }
  // The tension of stage i + 1, with V^1.195 at stage i.
  void Tension(int i, const SpinlineSystem& system, long double velocity_power) {
    Update(i, system.Tension(vs[i], dv[i], velocity_power), f, qf_);
    fs[i + 1] = f;
  }
  // The temperature of stage i + 1 needs only stage i's velocity and the heat transfer.
  void Temperature(int i, const SpinlineSystem& system) {
    Update(i, system.Temperature(vs[i], ts[i]), t, qt_);
    ts[i + 1] = t;
  }

  // Gill's update of one element at the given stage, from its increment k = h d rounded to
  // double. Where the step h is a power of two (the default 1 cm, 0.5 cm, ...) and d lies well
  // inside the double range, h d is a double already and the x87 product is k itself: the
  // rounding, a store and a load on the stages' critical chains, is left out. Elsewhere k is
  // rounded as Gill's step rounds it.
  void Update(int stage, double derivative, double& y, double& q) const {
    const long double hl = h_;
    const double magnitude = std::fabs(derivative);
    long double k;
    if (step_is_power_of_two_ && magnitude >= 0x1p-1000 && magnitude <= 0x1p1000) {
      k = hl * derivative;
    } else {
      k = static_cast<double>(hl * derivative);
    }
    switch (stage) {
      case 1:
        gill::FirstStageOfIncrement(k, y, q);
        break;
      case 2:
        gill::SecondStageOfIncrement(k, y, q);
        break;
      case 3:
        gill::ThirdStageOfIncrement(k, y, q);
        break;
      default:
        gill::FourthStageOfIncrement(k, y, q);
        break;
    }
  }

  double v, f, t;
  std::array<double, 6> vs{}, fs{}, ts{}, dv{};  // [1] ... [4] the stages, [5] the end

 private:
  double h_;  // the step (cm)
  // |h| = 2^n, -20 <= n <= 20: then 2^-1000 <= |d| <= 2^1000 keeps h d a normal double.
  bool step_is_power_of_two_;
  double qv_ = 0.0, qf_ = 0.0, qt_ = 0.0;
};

}  // namespace

// StepTogether with the kernels of ln and exp inline, with or without the fused multiply-add.
template <bool kWithFma>
[[gnu::always_inline]] inline bool StepWithBatches(int p, const TSpinCondition& condition,
                                                   const PetMaterial& pet,
                                                   TSpinlineProfile& profile) {
  using extended_math::Lanes;
  const std::array<long double, 0> no_exponentials{};
  const std::array<TPowerLaw, 0> no_powers{};
  const double area = CrossSection(profile.D[p]);
  const TAirLaws air_laws =
      AirLaws(AirOfStep(p, condition, profile), area, profile.X[p], profile.V[p]);
  TStepCoefficients coefficients{profile.Rho[p], profile.Eta[p], profile.Cp[p], air_laws.TA, 0.0};
  const double mass_flow = profile.MassFlow;
  TStages stages(condition.Increment, profile.V[p], profile.F[p], profile.T[p]);
  stages.FirstVelocity(coefficients, mass_flow);

  // The drag's powers first: the tension waits on them. Velocity and tension do not need the
  // heat transfer, so their equations go on without it.
  std::array<long double, 3> drag;
  Lanes<3, 0, kWithFma>(
      {{{SpinlineSystem::DragBase(coefficients, mass_flow), SpinlineSystem::kDragBaseExponent},
        {stages.vs[1], SpinlineSystem::kDragVelocityExponent},
        {stages.vs[2], SpinlineSystem::kDragVelocityExponent}}},
      no_exponentials, drag, [](int) {});
  const SpinlineSystem flow(coefficients, mass_flow, drag[0]);

  // The heat transfer's powers, while tension and velocity go on to stage 3's velocity.
  std::array<long double, 2> heat;
  Lanes<2, 0, kWithFma>({{air_laws.FilamentFlow, air_laws.CrossFlow}}, no_exponentials, heat,
                        [&](int k) {
                          if (k == 1) stages.Tension(1, flow, drag[1]);
                          if (k == 2) stages.Velocity(2, flow);
                          if (k == 3) stages.Tension(2, flow, drag[2]);
                          if (k == 4) stages.Velocity(3, flow);
                        });
  const TAirCondition air = AirFromPowers(air_laws, heat[0], heat[1]);
  coefficients.H = air.H;
  const SpinlineSystem system(coefficients, mass_flow, drag[0]);

  // The last two powers of the drag, while the temperature goes through all four stages.
  std::array<long double, 2> last_drag;
  Lanes<2, 0, kWithFma>({{{stages.vs[3], SpinlineSystem::kDragVelocityExponent},
                          {stages.vs[4], SpinlineSystem::kDragVelocityExponent}}},
                        no_exponentials, last_drag, [&](int k) {
                          if (k <= 4) stages.Temperature(k, system);
                        });

  // The viscosity's exponential at the new temperature, while tension and velocity finish.
  std::array<long double, 1> viscosity_exponential;
  Lanes<0, 1, kWithFma>(no_powers, {PetMaterial::ViscosityExponent(stages.t)},
                        viscosity_exponential, [&](int k) {
                          if (k == 4) stages.Tension(3, system, last_drag[0]);
                          if (k == 5) {
                            stages.Velocity(4, system);
                            stages.Tension(4, system, last_drag[1]);
                          }
                        });

  TNewPoint next;
  next.X = NextPosition(profile, p, condition.Increment);
  next.V = stages.v;
  next.F = stages.f;
  next.T = stages.t;
  next.Properties = pet.At(next.T, viscosity_exponential[0]);
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

namespace {

[[gnu::target("fma")]] bool StepWithBatchesAndFma(int p, const TSpinCondition& condition,
                                                  const PetMaterial& pet,
                                                  TSpinlineProfile& profile) {
  return StepWithBatches<true>(p, condition, pet, profile);
}

bool StepWithBatchesWithoutFma(int p, const TSpinCondition& condition, const PetMaterial& pet,
                               TSpinlineProfile& profile) {
  return StepWithBatches<false>(p, condition, pet, profile);
}

}  // namespace

bool StepTogether(int p, const TSpinCondition& condition, const PetMaterial& pet,
                  TSpinlineProfile& profile) {
  return extended_math::ProcessorHasFma() ? StepWithBatchesAndFma(p, condition, pet, profile)
                                          : StepWithBatchesWithoutFma(p, condition, pet, profile);
}

}  // namespace vellmor
