// Process numbers of a converged solution (V in cm/s):
//
//   freeze point        the located solidification crossing x_f, with V, F, D there
//   stress there        F / (π/4 D²) × 1e-7                          (dyn/cm² to MPa)
//   fineness            10 000 Output / TakeUpSpeed (dtex), 9 000 Output / TakeUpSpeed (den)
//   draw-down ratio     V at the take-up end / V at the spinneret exit
//   residence time      ∫ dx / V, carried along by the integration

#include "vellmor/converged/converged_numbers.h"

#include "vellmor/physics/numerics.h"

namespace vellmor {
namespace {

constexpr double kMPaPerDynPerSquareCm = 1e-7;

}  // namespace

TProcessNumbers ProcessNumbersOf(const TConvergedSolution& solution,
                                 const TSpinCondition& condition,
                                 const TSpinlineConstants<double>& k) {
  TProcessNumbers numbers;
  if (solution.FreezePoint) {
    const TConvergedSample& at = solution.FreezeState;
    TFreezePoint freeze;
    freeze.PositionCm = *solution.FreezePoint;
    freeze.VelocityMMin = MetresPerMinute(at.V);
    freeze.TensionDyn = at.F;
    freeze.StressMPa = at.F / laws::CrossSection(k, at.D) * kMPaPerDynPerSquareCm;
    numbers.Freeze = freeze;
  }
  numbers.TakeUpTensionDyn = solution.TakeUpTension;
  numbers.FinenessDtex = 10000.0 * condition.Output / condition.TakeUpSpeed;
  numbers.FinenessDenier = 9000.0 * condition.Output / condition.TakeUpSpeed;
  numbers.DrawDownRatio = solution.FinalVelocity / solution.ExitVelocity;
  numbers.ResidenceTimeS = solution.ResidenceTime;
  numbers.MaxStrainRate1S = solution.PeakStrainRate.Rate;
  numbers.MaxStrainRateAtCm = solution.PeakStrainRate.X;
  numbers.FinalDiameterUm = solution.FinalDiameter * kMicrometresPerCm;
  numbers.FinalTemperatureC = solution.FinalTemperature;
  numbers.SpinneretTensionDyn = solution.SpinneretTension;
  numbers.Passes = solution.Passes;
  return numbers;
}

}  // namespace vellmor
