#include "vellmor/bundle/bundle_energy.h"

namespace vellmor {
namespace {

// Simpson's rule over nodes evenly spaced, an odd number of them.
double Simpson(const std::vector<double>& x, const std::vector<double>& f) {
  const std::size_t n = x.size();
  if (n < 3) return n == 2 ? 0.5 * (x[1] - x[0]) * (f[0] + f[1]) : 0.0;
  double sum = f.front() + f.back();
  for (std::size_t i = 1; i + 1 < n; ++i) sum += (i % 2 == 1 ? 4.0 : 2.0) * f[i];
  return sum * (x.back() - x.front()) / static_cast<double>(n - 1) / 3.0;
}

}  // namespace

TEnergyBalance EnergyBalanceOf(const TBundleSolution& bundle, const TModelConstants& model) {
  TEnergyBalance balance;
  const TBundleConstants& b = model.Bundle;
  const double capacity = b.AirDensity * b.AirSpecificHeat * b.ColumnPitchCm;
  const double c0 = model.Laws.SpecificHeatIntercept;
  const double c1 = model.Laws.SpecificHeatSlope;
  const auto enthalpy = [&](double t) { return c0 * t + 0.5 * c1 * t * t; };
  const bool latent = model.Structure.Coupled;
  const double w = bundle.MassFlow;
  for (std::size_t r = 0; r < bundle.Rows.size(); ++r) {
    const TBundleRow& row = bundle.Rows[r];
    const TRowAir& after = r + 1 < bundle.Rows.size() ? bundle.Rows[r + 1].Met : bundle.Leaving;
    TRowEnergy energy;
    std::size_t first = 0;  // the zone's first node among the row's samples
    for (std::size_t z = 0; z < bundle.Nodes.size(); ++z) {
      const std::vector<double>& x = bundle.Nodes[z].X;
      std::vector<double> flux(x.size());
      for (std::size_t n = 0; n < x.size(); ++n) {
        flux[n] = capacity * row.Met.Velocity[z][n] *
                  (after.Temperature[z][n] - row.Met.Temperature[z][n]);
      }
      energy.AirGain += Simpson(x, flux);
      const TConvergedSample& a = row.AtNodes[first];
      const TConvergedSample& e = row.AtNodes[first + x.size() - 1];
      energy.FilamentLoss += w * (enthalpy(a.T) - enthalpy(e.T));
      if (latent) {
        energy.FilamentLoss +=
            w * model.Structure.HeatOfFusionCalG * (e.Crystallinity - a.Crystallinity);
      }
      first += x.size();
    }
    balance.AirGain += energy.AirGain;
    balance.FilamentLoss += energy.FilamentLoss;
    balance.Rows.push_back(energy);
  }
  if (balance.FilamentLoss != 0.0) {
    balance.RelativeDifference = (balance.AirGain - balance.FilamentLoss) / balance.FilamentLoss;
  }
  return balance;
}

}  // namespace vellmor
