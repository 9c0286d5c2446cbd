#pragma once

// What the model says at each row of a fit: every case solved with the converged model at
// given values of the fitted constants, sampled where its rows are, with the fibre's structure
// where a row measures it. Each central solution (not a neighbour of a Jacobian) is where the
// case's next solutions start from. Internal to the fit.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/fit/measurement_rows.h"
#include "vellmor/fit/spinline_fit.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor::fit {

class SpinlineModel {
 public:
  SpinlineModel(const std::vector<TFitCase>& cases, const std::vector<TRow>& rows,
                std::vector<const TModelKey*> keys);

  // The model's value at each row (in the row's unit) for the constants' values; false, with
  // Failure() saying why, where a case cannot be solved there.
  bool Predict(const std::vector<double>& values, std::vector<double>& out, bool central);

  const std::string& Failure() const { return failure_; }
  long Solves() const { return solves_; }
  // dyn, of case k's last central solution.
  double Tension(std::size_t k) const { return per_case_[k].Tension; }
  // cm, where case k's last central solution froze; none where it reached take-up molten.
  std::optional<double> FreezePoint(std::size_t k) const { return per_case_[k].FreezePoint; }

 private:
  struct TCase {
    std::vector<std::size_t> Rows;
    std::vector<double> SampleX;
    bool Structure = false;  // a row measures the fibre's structure
    std::optional<TConvergedOptions::TStart> Start;
    double Tension = 0.0;
    std::optional<double> FreezePoint;
  };
  const std::vector<TFitCase>& cases_;
  const std::vector<TRow>& rows_;
  std::vector<const TModelKey*> keys_;
  std::vector<TCase> per_case_;
  std::string failure_;
  long solves_ = 0;
};

}  // namespace vellmor::fit
