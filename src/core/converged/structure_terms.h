#pragma once

// The laws of the fibre's structure as the spinline equations call them, in either arithmetic:
// in double precision they are those of structure_laws.h themselves; over dual numbers, for
// the derivatives of the converged solution, the same formulas written here once more,
//
//   σ = F ρ V / W,  f = min(Δn / Δn°, 1),
//   Δn = Δn° (1 − exp(−C_T 0.1 σ / (T_K Δn°)))  (saturating),  Δn = C·1e-10 σ  (linear),
//   K = Kmax exp(−4 ln 2 ((T − Tpeak)/w)²) exp(c f²),
//   θ = 1 − exp(−ψⁿ),  dθ/dx = n ψⁿ⁻¹ exp(−ψⁿ) dψ/dx,  X = X∞ θ,
//
// since structure_laws.h is plain double. LawsAgree holds the copy to the laws' values at a
// point: where a law changes without its copy here, the derivatives that go through the
// structure are not to be trusted, and the caller takes differences instead.

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

#include "vellmor/converged/dual.h"
#include "vellmor/structure/structure_laws.h"

namespace vellmor {

// The numbers of TStructureConstants in another arithmetic.
template <class Real>
struct TStructureParametersOf {
  BirefringenceLaw Law = BirefringenceLaw::kSaturating;
  Real StressOpticalKPerPa;
  Real StressOpticalPerGPa;
  Real IntrinsicBirefringence;
  Real RateMaxPerS;
  Real RatePeakC;
  Real RateHalfWidthC;
  Real OrientationFactor;
  Real UpperC;
  Real AvramiIndex;
  Real UltimateCrystallinity;
  Real HeatOfFusionCalG;
  bool Coupled = false;
};

// Where each number of TStructureConstants has its place in TStructureParametersOf.
template <class Real>
struct TStructureMember {
  double TStructureConstants::*Plain;
  Real TStructureParametersOf<Real>::*Other;
};
template <class Real>
inline constexpr std::array<TStructureMember<Real>, 11> kStructureMembers{{
    {&TStructureConstants::StressOpticalKPerPa, &TStructureParametersOf<Real>::StressOpticalKPerPa},
    {&TStructureConstants::StressOpticalPerGPa, &TStructureParametersOf<Real>::StressOpticalPerGPa},
    {&TStructureConstants::IntrinsicBirefringence,
     &TStructureParametersOf<Real>::IntrinsicBirefringence},
    {&TStructureConstants::RateMaxPerS, &TStructureParametersOf<Real>::RateMaxPerS},
    {&TStructureConstants::RatePeakC, &TStructureParametersOf<Real>::RatePeakC},
    {&TStructureConstants::RateHalfWidthC, &TStructureParametersOf<Real>::RateHalfWidthC},
    {&TStructureConstants::OrientationFactor, &TStructureParametersOf<Real>::OrientationFactor},
    {&TStructureConstants::UpperC, &TStructureParametersOf<Real>::UpperC},
    {&TStructureConstants::AvramiIndex, &TStructureParametersOf<Real>::AvramiIndex},
    {&TStructureConstants::UltimateCrystallinity,
     &TStructureParametersOf<Real>::UltimateCrystallinity},
    {&TStructureConstants::HeatOfFusionCalG, &TStructureParametersOf<Real>::HeatOfFusionCalG},
}};

// The constants in the other arithmetic, every derivative 0.
template <class Real>
TStructureParametersOf<Real> StructureParametersOf(const TStructureConstants& k) {
  TStructureParametersOf<Real> other{};
  for (const auto& member : kStructureMembers<Real>) other.*member.Other = Real(k.*member.Plain);
  other.Law = k.Law;
  other.Coupled = k.Coupled;
  return other;
}

template <class Real>
using TStructureParameter = Real TStructureParametersOf<Real>::*;

// The place in TStructureParametersOf of a number of TStructureConstants; null for one it
// does not know (a constant newer than the copy of the laws here).
template <class Real>
TStructureParameter<Real> StructureMemberOf(double TStructureConstants::*plain) {
  for (const auto& member : kStructureMembers<Real>) {
    if (member.Plain == plain) return member.Other;
  }
  return nullptr;
}

namespace structure_terms {

// In double precision: the laws themselves.
inline double TensileStress(double f, double rho, double v, double w) {
  return structure_laws::TensileStress(f, rho, v, w);
}
inline double Birefringence(const TStructureConstants& k, double stress, double temperature_K) {
  return structure_laws::Birefringence(k, stress, temperature_K);
}
inline double Orientation(const TStructureConstants& k, double birefringence) {
  return structure_laws::Orientation(k, birefringence);
}
inline double CrystallizationRate(const TStructureConstants& k, double t, double orientation) {
  return structure_laws::CrystallizationRate(k, t, orientation);
}
inline double RelativeCrystallinityRate(const TStructureConstants& k, double psi, double psi_rate) {
  return structure_laws::RelativeCrystallinityRate(k, psi, psi_rate);
}
inline double Crystallinity(const TStructureConstants& k, double psi) {
  return structure_laws::Crystallinity(k, psi);
}

// Over dual numbers: the copy.
template <int N>
Dual<N> TensileStress(const Dual<N>& f, const Dual<N>& rho, const Dual<N>& v, const Dual<N>& w) {
  return f * rho * v / w;
}
template <int N>
Dual<N> Birefringence(const TStructureParametersOf<Dual<N>>& k, const Dual<N>& stress,
                      const Dual<N>& temperature_K) {
  if (k.Law == BirefringenceLaw::kLinear) return k.StressOpticalPerGPa * 1e-10 * stress;
  const Dual<N>& saturation = k.IntrinsicBirefringence;
  return -saturation *
         expm1(-k.StressOpticalKPerPa * (0.1 * stress) / (temperature_K * saturation));
}
template <int N>
Dual<N> Orientation(const TStructureParametersOf<Dual<N>>& k, const Dual<N>& birefringence) {
  return Smaller(birefringence / k.IntrinsicBirefringence, Dual<N>(1.0));
}
template <int N>
Dual<N> CrystallizationRate(const TStructureParametersOf<Dual<N>>& k, const Dual<N>& t,
                            const Dual<N>& orientation) {
  const Dual<N> excess = (t - k.RatePeakC) / k.RateHalfWidthC;
  return k.RateMaxPerS * exp(-4.0 * std::numbers::ln2 * excess * excess) *
         exp(k.OrientationFactor * orientation * orientation);
}
template <int N>
Dual<N> RelativeCrystallinity(const TStructureParametersOf<Dual<N>>& k, const Dual<N>& psi) {
  return -expm1(-pow(psi, k.AvramiIndex));
}
template <int N>
Dual<N> RelativeCrystallinityRate(const TStructureParametersOf<Dual<N>>& k, const Dual<N>& psi,
                                  const Dual<N>& psi_rate) {
  const Dual<N>& n = k.AvramiIndex;
  return n * pow(psi, n - 1.0) * exp(-pow(psi, n)) * psi_rate;
}
template <int N>
Dual<N> Crystallinity(const TStructureParametersOf<Dual<N>>& k, const Dual<N>& psi) {
  return k.UltimateCrystallinity * RelativeCrystallinity(k, psi);
}

// Whether the copy gives the laws' values at stress σ, temperature t (°C; t_K in K) and ψ,
// to a few roundings.
inline bool LawsAgree(const TStructureConstants& k, double stress, double t, double t_K,
                      double psi) {
  const TStructureParametersOf<Dual<1>> copy = StructureParametersOf<Dual<1>>(k);
  const auto near = [](double a, double b) {
    return std::fabs(a - b) <= 1e-13 * std::max(std::fabs(a), std::fabs(b));
  };
  const double birefringence = structure_laws::Birefringence(k, stress, t_K);
  const double orientation = structure_laws::Orientation(k, birefringence);
  return near(Birefringence(copy, Dual<1>(stress), Dual<1>(t_K)).v, birefringence) &&
         near(Orientation(copy, Dual<1>(birefringence)).v, orientation) &&
         near(CrystallizationRate(copy, Dual<1>(t), Dual<1>(orientation)).v,
              structure_laws::CrystallizationRate(k, t, orientation)) &&
         near(Crystallinity(copy, Dual<1>(psi)).v, structure_laws::Crystallinity(k, psi)) &&
         near(RelativeCrystallinityRate(copy, Dual<1>(psi), Dual<1>(1.0)).v,
              structure_laws::RelativeCrystallinityRate(k, psi, 1.0));
}

}  // namespace structure_terms
}  // namespace vellmor
