#pragma once

// The energy balance of a bundle over the zones of cross flow, two ways that share no
// arithmetic but the solution: the air's enthalpy gain, from its temperature before and after
// each row,
//
//   G_i = ∫ ρ_a c_p,a U_a,i w (T_a,i+1 − T_a,i) dx     (Simpson's rule over the nodes)
//
// and the heat each filament gave up, from its own temperature at the zone's ends,
//
//   Q_i = W (h(T(a)) − h(T(b))) + W ΔH_f (X(b) − X(a)),   h(T) = c0 T + c1 T² / 2,
//
// (Cp = c0 + c1 T; the latent heat of the crystals formed when the structure is coupled). They
// agree to the solver's tolerance and the tables' spacing.

#include <vector>

#include "vellmor/bundle/bundle_solution.h"

namespace vellmor {

struct TRowEnergy {
  double AirGain = 0.0;       // G_i (cal/s)
  double FilamentLoss = 0.0;  // Q_i (cal/s)
};

struct TEnergyBalance {
  std::vector<TRowEnergy> Rows;
  double AirGain = 0.0;       // over every row (cal/s, per strip of width w)
  double FilamentLoss = 0.0;  // the same
  // (G − Q) / Q; 0 without cross flow.
  double RelativeDifference = 0.0;
};

TEnergyBalance EnergyBalanceOf(const TBundleSolution& bundle, const TModelConstants& model);

}  // namespace vellmor
