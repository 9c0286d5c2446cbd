#include "vellmor/bundle/bundle_solution.h"

#include <algorithm>
#include <string>

#include "vellmor/base/run_error.h"
#include "vellmor/solver/init_spinline.h"

namespace vellmor {
namespace {

// The profile's positions and the nodes, merged in ascending order, and where each of the two
// lands among them.
struct TMergedPositions {
  std::vector<double> X;
  std::vector<std::size_t> Profile;
  std::vector<std::size_t> Nodes;
};

TMergedPositions Merged(const std::vector<double>& profile, const std::vector<double>& nodes) {
  struct TTagged {
    double X;
    bool Node;
    std::size_t Index;
  };
  std::vector<TTagged> all;
  all.reserve(profile.size() + nodes.size());
  for (std::size_t i = 0; i < profile.size(); ++i) all.push_back({profile[i], false, i});
  for (std::size_t i = 0; i < nodes.size(); ++i) all.push_back({nodes[i], true, i});
  std::stable_sort(all.begin(), all.end(),
                   [](const TTagged& a, const TTagged& b) { return a.X < b.X; });
  TMergedPositions merged;
  merged.Profile.resize(profile.size());
  merged.Nodes.resize(nodes.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    merged.X.push_back(all[i].X);
    (all[i].Node ? merged.Nodes : merged.Profile)[all[i].Index] = i;
  }
  return merged;
}

// One row in the air it meets, its samples split into its profile and its nodes.
TBundleRow SolveRow(const TSpinCondition& condition, const TBundleOptions& options,
                    const TMergedPositions& positions, const TLocalAir* air,
                    const TBundleRow* before) {
  TConvergedOptions converged;
  converged.Model = options.Model;
  converged.Structure = options.Structure;
  converged.SampleX = positions.X;
  converged.Air = air;
  if (before != nullptr) {
    converged.Start = TConvergedOptions::TStart{before->Solution.SpinneretTension,
                                                before->Solution.ResidualSlope};
  }
  TBundleRow row;
  row.Solution = SolveConverged(condition, converged);
  std::vector<TConvergedSample> all = std::move(row.Solution.Profile);
  row.Solution.Profile.clear();
  for (const std::size_t i : positions.Profile) row.Solution.Profile.push_back(all[i]);
  for (const std::size_t i : positions.Nodes) row.AtNodes.push_back(all[i]);
  return row;
}

}  // namespace

TBundleSolution SolveBundle(const TSpinCondition& condition, const TBundleOptions& options) {
  TBundleSolution bundle;
  bundle.Nodes = AirNodes(condition);
  bundle.MassFlow = SpinneretExit(condition, options.Model.Exit).MassFlow;
  const TMergedPositions positions = Merged(options.SampleX, AllNodes(bundle.Nodes));
  const int rows = static_cast<int>(options.Model.Bundle.Rows);
  TRowAir met = InletAir(condition, bundle.Nodes);
  for (int r = 1; r <= rows; ++r) {
    const bool own_air = r == 1;
    try {
      if (own_air || bundle.Nodes.empty()) {
        // Without cross flow every row meets the air row 1 met, and is row 1.
        bundle.Rows.push_back(own_air ? SolveRow(condition, options, positions, nullptr, nullptr)
                                      : bundle.Rows.front());
      } else {
        const TLocalAir air = LocalAirOf(condition, bundle.Nodes, met);
        bundle.Rows.push_back(SolveRow(condition, options, positions, &air, &bundle.Rows.back()));
      }
    } catch (CalculationError& error) {
      error.AddPlace(" in row " + std::to_string(r) + " of the bundle");
      throw;
    }
    TBundleRow& row = bundle.Rows.back();
    row.Met = met;
    row.Heat = RowHeat(bundle.Nodes, met, row.AtNodes, bundle.MassFlow, options.Model.Laws);
    met = AirAfterRow(met, row.Heat, options.Model.Bundle);
  }
  bundle.Leaving = std::move(met);
  return bundle;
}

}  // namespace vellmor
