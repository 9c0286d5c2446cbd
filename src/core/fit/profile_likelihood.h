#pragma once

// Profile-likelihood 95 % intervals: each constant held at trial values t, the others fitted
// again, its bounds where χ² has risen by 3.84 (times χ²/dof where σ was estimated) above the
// minimum. The signed root of the rise, √((χ²(t) − χ²min)/s²), is nearly straight in t, so
// secant steps from the estimate find where it reaches 1.96 in two or three fits. Internal to
// the fit.

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include <gsl/gsl_matrix.h>

#include "vellmor/fit/spinline_fit.h"
#include "vellmor/fit/weighted_residuals.h"

namespace vellmor::fit {

struct TProfileMinimum {
  std::vector<double> Theta;  // of the fitting variables
  double ChiSquare = 0.0;
  double CovarianceScale = 1.0;  // s²: χ²/dof where σ was estimated, else 1
};

// Each constant's interval in its unit, nullopt where a side was not bounded (the search
// reached a bound, a fit failed, or 16 steps did not find it); covariance: of θ at the
// minimum, for the first step of 1.96 standard errors. Tells observer after each side.
std::vector<std::optional<std::array<double, 2>>> ProfileIntervals(WeightedResiduals& problem,
                                                                   const TProfileMinimum& minimum,
                                                                   const gsl_matrix& covariance,
                                                                   int max_iterations,
                                                                   FitObserver* observer);

}  // namespace vellmor::fit
