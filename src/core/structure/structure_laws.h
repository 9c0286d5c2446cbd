#pragma once

// What the spinline does to the fibre: the laws of its structure, in double precision, for
// the converged model. T in °C, V in cm/s, F in dyn, W in g/s, ρ in g/cm³:
//
//   tensile stress      σ  = F / A = F ρ V / W                                  (dyn/cm²)
//   birefringence       Δn = C σ while molten, C = stress-optical coefficient × 1e-10 cm²/dyn
//                            per GPa⁻¹; frozen at its value where the filament solidifies
//   orientation         f  = min(Δn / Δn°, 1)          (amorphous, Δn° the intrinsic one)
//   crystallization     K  = Kmax exp(−4 ln 2 (T − Tpeak)² / w²) exp(c f²)
//                            in the window Ts < T < Tupper, 0 outside       (1/s, Ziabicki)
//   Nakamura            dψ/dx = K / V,  θ = 1 − exp(−ψⁿ),  X = X∞ θ
//
// and, when the structure acts back on the line (coupled), a viscosity that rises with the
// crystals' share towards the solid's, λ (1 + (s − 1) X), and the latent heat of
// crystallization in the heat balance, dT/dx += X∞ ΔHf (dθ/dx) / Cp with
// dθ/dx = n ψⁿ⁻¹ exp(−ψⁿ) dψ/dx. (With X rather than θ in the viscosity, a melt that cannot
// crystallize, X∞ = 0, is the one-way line exactly.)

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vellmor {

// The constants of the structure: the section "structure" of a model card. The built-in
// values are literature values for PET: Ziabicki's rate constants, a stress-optical
// coefficient at the low end of the measured 5–9 GPa⁻¹, a heat of fusion of 140 J/g.
struct TStructureConstants {
  double StressOpticalPerGPa = 5.0;       // stress-optical coefficient (1/GPa)
  double IntrinsicBirefringence = 0.275;  // of a fully oriented amorphous phase
  double RateMaxPerS = 0.016;             // the rate at its peak without orientation (1/s)
  double RatePeakC = 190.0;               // where it peaks (°C)
  double RateHalfWidthC = 64.0;           // its width at half height (°C)
  double OrientationFactor = 100.0;       // the enhancement by orientation, exp(c f²)
  double UpperC = 265.0;                  // no crystallization above (°C)
  double AvramiIndex = 1.0;               // n
  double UltimateCrystallinity = 0.5;     // X∞, the mass fraction reached at θ = 1
  double HeatOfFusionCalG = 33.5;         // ΔHf of the crystals (cal/g)
  // Whether crystallization acts back on the line (viscosity and latent heat) or is only
  // computed along the line that the rest of the model gives.
  bool Coupled = false;

  friend bool operator==(const TStructureConstants&, const TStructureConstants&) = default;
};

inline constexpr TStructureConstants kBuiltInStructure{};

// The crystallinity at which the onset of crystallization is taken.
inline constexpr double kOnsetCrystallinity = 0.01;

namespace structure_laws {

// σ = F ρ V / W (dyn/cm²): the tension over the cross-section W / (ρ V).
inline double TensileStress(double tension, double rho, double v, double mass_flow) {
  return tension * rho * v / mass_flow;
}

// Δn = C σ, C in cm²/dyn from the coefficient in 1/GPa (1 GPa = 1e10 dyn/cm²).
inline double Birefringence(const TStructureConstants& k, double stress) {
  return k.StressOpticalPerGPa * 1e-10 * stress;
}

// f = min(Δn / Δn°, 1).
inline double Orientation(const TStructureConstants& k, double birefringence) {
  return std::min(birefringence / k.IntrinsicBirefringence, 1.0);
}

// K(T, f) inside the window (the caller knows on which side of its edges the filament is).
inline double CrystallizationRate(const TStructureConstants& k, double t, double orientation) {
  const double excess = (t - k.RatePeakC) / k.RateHalfWidthC;
  return k.RateMaxPerS * std::exp(-4.0 * std::numbers::ln2 * excess * excess) *
         std::exp(k.OrientationFactor * orientation * orientation);
}

// θ = 1 − exp(−ψⁿ).
inline double RelativeCrystallinity(const TStructureConstants& k, double psi) {
  return -std::expm1(-std::pow(psi, k.AvramiIndex));
}

// dθ/dx = n ψⁿ⁻¹ exp(−ψⁿ) dψ/dx; for n = 1 at ψ = 0 that is dψ/dx.
inline double RelativeCrystallinityRate(const TStructureConstants& k, double psi, double psi_rate) {
  const double n = k.AvramiIndex;
  return n * std::pow(psi, n - 1.0) * std::exp(-std::pow(psi, n)) * psi_rate;
}

// X = X∞ θ.
inline double Crystallinity(const TStructureConstants& k, double psi) {
  return k.UltimateCrystallinity * RelativeCrystallinity(k, psi);
}

// The ψ at which X reaches the onset's crystallinity; +∞ when X∞ never gets there.
inline double OnsetPsi(const TStructureConstants& k) {
  if (!(k.UltimateCrystallinity > kOnsetCrystallinity)) return HUGE_VAL;
  const double theta = kOnsetCrystallinity / k.UltimateCrystallinity;
  return std::pow(-std::log1p(-theta), 1.0 / k.AvramiIndex);
}

}  // namespace structure_laws
}  // namespace vellmor
