#pragma once

// The weighted least-squares problem of a fit over the constants' fitting variables θ: the
// normalised residuals r_i = (model_i − measured_i) / σ_i, whose sum of squares is χ², and their
// Jacobian ∂r/∂θ from the exact derivatives of the converged solutions (spinline_model.h). A
// column whose derivative is not exact (a constant of a coupled structure whose laws the
// derivatives' copy does not follow), or every column where the derivatives cannot be formed,
// by central differences of neighbouring converged solutions instead, each started from the
// current one. Internal to the fit.

#include <gsl/gsl_matrix.h>

#include <cstddef>
#include <vector>

#include "vellmor/fit/fit_scale.h"
#include "vellmor/fit/measurement_rows.h"
#include "vellmor/fit/spinline_model.h"

namespace vellmor::fit {

class WeightedResiduals {
 public:
  // rows: their σ as the fit holds them now (an estimated σ changes in place).
  WeightedResiduals(SpinlineModel& model, const std::vector<TRow>& rows,
                    const std::vector<TScale>& scales)
      : model_(model), rows_(rows), scales_(scales) {}

  // The constants' values at θ.
  std::vector<double> Values(const std::vector<double>& theta) const;

  // The normalised residuals at θ; false where a case cannot be solved there.
  bool Residuals(const std::vector<double>& theta, std::vector<double>& r, bool central);

  // ∂r/∂θ_j for the columns of free, into a matrix of rows × free (where it is taken by
  // differences, a one-sided one where a neighbour cannot be solved); false where neither can.
  bool Jacobian(const std::vector<double>& theta, const std::vector<std::size_t>& free,
                gsl_matrix& jacobian);

  const std::vector<TScale>& Scales() const { return scales_; }
  std::size_t Size() const { return rows_.size(); }

 private:
  // Column c of jacobian, ∂r/∂θ_j, by central differences of step kSensitivityStep.
  bool DifferenceColumn(const std::vector<double>& theta, std::size_t j, std::size_t c,
                        gsl_matrix& jacobian);

  SpinlineModel& model_;
  const std::vector<TRow>& rows_;
  const std::vector<TScale>& scales_;
};

double SumOfSquares(const std::vector<double>& r);

}  // namespace vellmor::fit
