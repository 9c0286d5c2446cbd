#pragma once

// What the spinline does to the fibre: the laws of its structure, in double precision, for
// the converged model. T in °C, V in cm/s, F in dyn, W in g/s, ρ in g/cm³:
//
//   tensile stress      σ  = F / A = F ρ V / W                                  (dyn/cm²)
//   birefringence       saturating: Δn = Δn° (1 − exp(−C_T σ / (T Δn°))), σ in Pa, T in K,
//                            C_T in K/Pa: C_T σ / T at low stress, never above Δn°;
//                        linear:     Δn = C σ, C = stress-optical coefficient × 1e-10 cm²/dyn
//                            per GPa⁻¹;
//                        either while molten, frozen at its value where the filament solidifies
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

// How the melt's birefringence follows the stress; the values are the indices of the card's
// names (linear, saturating).
enum class BirefringenceLaw : unsigned char {
  kLinear,      // Δn = C σ, unbounded: the law of cards before version 3
  kSaturating,  // Δn = Δn° (1 − exp(−C_T σ / (T Δn°))), PET's measured law
};

// The constants of the structure: the section "structure" of a model card. The built-in
// values are literature values for PET: Ziabicki's rate constants, the saturating
// stress-optical law measured on PET (C_T = 1.7e-6 K/Pa, 4.96 GPa⁻¹ at 70 °C), for the linear
// law a coefficient at the low end of the measured 5–9 GPa⁻¹, a heat of fusion of 140 J/g.
struct TStructureConstants {
  BirefringenceLaw Law = BirefringenceLaw::kSaturating;
  double StressOpticalKPerPa = 1.7e-6;    // C_T of the saturating law (K/Pa)
  double StressOpticalPerGPa = 5.0;       // stress-optical coefficient of the linear law (1/GPa)
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

// Δn of the melt under stress (dyn/cm²) at temperature_K (the filament's, T + 273). Linear:
// C σ, C in cm²/dyn from the coefficient in 1/GPa (1 GPa = 1e10 dyn/cm²). Saturating: with σ
// in Pa (1 dyn/cm² = 0.1 Pa), Δn° (1 − exp(−C_T σ / (T Δn°))), below Δn° at any stress.
inline double Birefringence(const TStructureConstants& k, double stress, double temperature_K) {
  if (k.Law == BirefringenceLaw::kLinear) return k.StressOpticalPerGPa * 1e-10 * stress;
  const double saturation = k.IntrinsicBirefringence;
  return -saturation *
         std::expm1(-k.StressOpticalKPerPa * (0.1 * stress) / (temperature_K * saturation));
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
