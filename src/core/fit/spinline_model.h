#pragma once

// What the model says at each row of a fit: every case solved with the converged model at
// given values of the fitted constants, sampled where its rows are, with the fibre's structure
// where a row measures it. Each central solution (not a neighbour of a Jacobian) is where the
// case's next solutions start from. The model's derivatives at the rows come from the exact
// derivatives of the converged solutions (converged_derivatives.h), of the last solution where
// it was solved at the same values. Internal to the fit.

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

  // ∂model_i/∂p_j for the constants of free (indices of the keys) at their values: slopes[c][i]
  // for free[c] in the row's unit per the constant's; exact[c] false where a case's derivative
  // is not exact (its column is to be taken otherwise). False, with Failure() saying why, where
  // a case cannot be solved or its derivatives not formed.
  bool Derivatives(const std::vector<double>& values, const std::vector<std::size_t>& free,
                   std::vector<std::vector<double>>& slopes, std::vector<bool>& exact);

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
    // The last solution and the values it was solved at.
    std::optional<TConvergedSolution> Last;
    std::vector<double> LastValues;
  };

  TConvergedOptions OptionsAt(std::size_t k, const std::vector<double>& values) const;
  // Case k solved at values, or the last solution where that was at the same values; null,
  // with the failure, where it cannot be solved.
  const TConvergedSolution* SolutionAt(std::size_t k, const std::vector<double>& values);
  // The index of row i's sample in its case's samples.
  std::size_t SampleOf(std::size_t i) const;
  const std::vector<TFitCase>& cases_;
  const std::vector<TRow>& rows_;
  std::vector<const TModelKey*> keys_;
  std::vector<TCase> per_case_;
  std::string failure_;
  long solves_ = 0;
};

}  // namespace vellmor::fit
