#include "vellmor/fit/spinline_model.h"

#include <algorithm>
#include <utility>

#include "vellmor/base/run_error.h"
#include "vellmor/converged/converged_derivatives.h"
#include "vellmor/physics/numerics.h"

namespace vellmor::fit {
namespace {

// The derivatives of a sample's numbers as a sample: each quantity is one of its numbers
// times its unit's factor, so that the quantity of this sample is the quantity's derivative.
TConvergedSample SampleOfDerivatives(const TSampleDerivative& d) {
  TConvergedSample sample;
  sample.V = d.V;
  sample.F = d.F;
  sample.T = d.T;
  sample.D = d.D;
  sample.Birefringence = d.Birefringence;
  sample.Crystallinity = d.Crystallinity;
  return sample;
}

}  // namespace

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

TConvergedOptions SpinlineModel::OptionsAt(std::size_t k, const std::vector<double>& values) const {
  const TCase& c = per_case_[k];
  ModelCard card = cases_[k].Card;
  for (std::size_t j = 0; j < keys_.size(); ++j) card.SetValue(*keys_[j], values[j]);
  TConvergedOptions options;
  options.Model = card.Constants();
  options.SampleX = c.SampleX;
  options.Start = c.Start;
  options.Structure = c.Structure;
  return options;
}

const TConvergedSolution* SpinlineModel::SolutionAt(std::size_t k,
                                                    const std::vector<double>& values) {
  TCase& c = per_case_[k];
  if (c.Last && c.LastValues == values) return &*c.Last;
  c.Last.reset();
  try {
    ++solves_;
    c.Last = SolveConverged(cases_[k].Condition, OptionsAt(k, values));
  } catch (const CalculationError& error) {
    failure_ = "case " + cases_[k].Name + ": " + error.what();
    return nullptr;
  }
  c.LastValues = values;
  return &*c.Last;
}

std::size_t SpinlineModel::SampleOf(std::size_t i) const {
  const std::vector<double>& x = per_case_[rows_[i].Case].SampleX;
  return static_cast<std::size_t>(std::lower_bound(x.begin(), x.end(), rows_[i].X) - x.begin());
}

bool SpinlineModel::Predict(const std::vector<double>& values, std::vector<double>& out,
                            bool central) {
  out.assign(rows_.size(), 0.0);
  for (std::size_t k = 0; k < cases_.size(); ++k) {
    TCase& c = per_case_[k];
    if (c.Rows.empty()) continue;
    const TConvergedSolution* solution = SolutionAt(k, values);
    if (solution == nullptr) return false;
    for (const std::size_t i : c.Rows) {
      out[i] = QuantityInfo(rows_[i].What).ModelValue(solution->Profile[SampleOf(i)]);
    }
    if (central) {
      c.Start = TConvergedOptions::TStart{solution->SpinneretTension, solution->ResidualSlope};
      c.Tension = solution->SpinneretTension;
      c.FreezePoint = solution->FreezePoint;
    }
  }
  return true;
}

bool SpinlineModel::Derivatives(const std::vector<double>& values,
                                const std::vector<std::size_t>& free,
                                std::vector<std::vector<double>>& slopes,
                                std::vector<bool>& exact) {
  slopes.assign(free.size(), std::vector<double>(rows_.size(), 0.0));
  exact.assign(free.size(), true);
  std::vector<TConvergedParameter> parameters;
  for (const std::size_t j : free) parameters.push_back({nullptr, keys_[j]});
  for (std::size_t k = 0; k < cases_.size(); ++k) {
    const TCase& c = per_case_[k];
    if (c.Rows.empty()) continue;
    const TConvergedSolution* solution = SolutionAt(k, values);
    if (solution == nullptr) return false;
    TConvergedDerivatives derivatives;
    try {
      derivatives = DerivativesOf(cases_[k].Condition, OptionsAt(k, values), *solution, parameters);
    } catch (const CalculationError& error) {
      failure_ = "case " + cases_[k].Name + ": " + error.what();
      return false;
    }
    for (std::size_t col = 0; col < free.size(); ++col) {
      const TSolutionDerivative& d = derivatives.Of[col];
      exact[col] = exact[col] && d.Covered;
      for (const std::size_t i : c.Rows) {
        slopes[col][i] =
            QuantityInfo(rows_[i].What).ModelValue(SampleOfDerivatives(d.Profile[SampleOf(i)]));
      }
    }
  }
  return true;
}

}  // namespace vellmor::fit
