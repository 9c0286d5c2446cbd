#include "vellmor/bundle/bundle_spread.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vellmor {
namespace {

TRowSpread Spread(const std::vector<double>& values) {
  TRowSpread spread;
  spread.First = values.front();
  spread.Last = values.back();
  double sum = 0.0;
  for (const double value : values) sum += value;
  spread.Mean = sum / static_cast<double>(values.size());
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  spread.Range = *high - *low;
  double squares = 0.0;
  for (const double value : values) squares += (value - spread.Mean) * (value - spread.Mean);
  const double deviation = std::sqrt(squares / static_cast<double>(values.size()));
  spread.Variation = spread.Mean != 0.0 ? deviation / std::fabs(spread.Mean) : 0.0;
  return spread;
}

}  // namespace

TBundleSpread SpreadOf(const TBundleSolution& bundle) {
  std::vector<double> freeze;
  std::vector<double> birefringence;
  std::vector<double> spinneret;
  std::vector<double> take_up;
  bool all_frozen = true;
  for (const TBundleRow& row : bundle.Rows) {
    const TConvergedSolution& solution = row.Solution;
    all_frozen = all_frozen && solution.FreezePoint.has_value();
    if (solution.FreezePoint) freeze.push_back(*solution.FreezePoint);
    if (solution.Structure) birefringence.push_back(solution.Structure->Birefringence);
    spinneret.push_back(solution.SpinneretTension);
    take_up.push_back(solution.TakeUpTension);
  }
  TBundleSpread spread;
  if (all_frozen) spread.FreezePoint = Spread(freeze);
  if (birefringence.size() == bundle.Rows.size()) spread.Birefringence = Spread(birefringence);
  spread.SpinneretTension = Spread(spinneret);
  spread.TakeUpTension = Spread(take_up);
  return spread;
}

}  // namespace vellmor
