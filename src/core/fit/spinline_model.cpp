#include "vellmor/fit/spinline_model.h"

#include <algorithm>
#include <utility>

#include "vellmor/base/run_error.h"
#include "vellmor/physics/numerics.h"

namespace vellmor::fit {

SpinlineModel::SpinlineModel(const std::vector<TFitCase>& cases, const std::vector<TRow>& rows,
                             std::vector<const TModelKey*> keys)
    : cases_(cases), rows_(rows), keys_(std::move(keys)), per_case_(cases.size()) {
  for (std::size_t i = 0; i < rows.size(); ++i) per_case_[rows[i].Case].Rows.push_back(i);
  for (TCase& c : per_case_) {
    for (const std::size_t i : c.Rows) {
      c.SampleX.push_back(rows[i].X);
      c.Structure = c.Structure || IsStructureQuantity(rows[i].What);
    }
    std::sort(c.SampleX.begin(), c.SampleX.end());
    c.SampleX.erase(std::unique(c.SampleX.begin(), c.SampleX.end()), c.SampleX.end());
  }
}

bool SpinlineModel::Predict(const std::vector<double>& values, std::vector<double>& out,
                            bool central) {
  out.assign(rows_.size(), 0.0);
  for (std::size_t k = 0; k < cases_.size(); ++k) {
    TCase& c = per_case_[k];
    if (c.Rows.empty()) continue;
    ModelCard card = cases_[k].Card;
    for (std::size_t j = 0; j < keys_.size(); ++j) card.SetValue(*keys_[j], values[j]);
    TConvergedOptions options;
    options.Model = card.Constants();
    options.SampleX = c.SampleX;
    options.Start = c.Start;
    options.Structure = c.Structure;
    TConvergedSolution solution;
    try {
      ++solves_;
      solution = SolveConverged(cases_[k].Condition, options);
    } catch (const CalculationError& error) {
      failure_ = "case " + cases_[k].Name + ": " + error.what();
      return false;
    }
    for (const std::size_t i : c.Rows) {
      const auto at = std::lower_bound(c.SampleX.begin(), c.SampleX.end(), rows_[i].X);
      const auto& sample = solution.Profile[static_cast<std::size_t>(at - c.SampleX.begin())];
      out[i] = QuantityInfo(rows_[i].What).ModelValue(sample);
    }
    if (central) {
      c.Start = TConvergedOptions::TStart{solution.SpinneretTension, solution.ResidualSlope};
      c.Tension = solution.SpinneretTension;
      c.FreezePoint = solution.FreezePoint;
    }
  }
  return true;
}

}  // namespace vellmor::fit
