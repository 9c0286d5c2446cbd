#pragma once

// The minimum of χ² over some of the fitting variables, the others held where θ has them (the
// profile likelihood's), by the Levenberg–Marquardt trust region of GSL
// (gsl_multifit_nlinear), each bounded variable moved through its unbounded u. Internal to the
// fit.

#include <cstddef>
#include <vector>

#include "vellmor/fit/weighted_residuals.h"

namespace vellmor::fit {

struct TMinimum {
  std::vector<double> Theta;
  double ChiSquare = 0.0;
  int Iterations = 0;
  bool Converged = false;
  bool Solved = true;           // false: the start itself cannot be solved
  bool JacobianFailed = false;  // a Jacobian on the way could not be formed
};

// From theta over the variables of free; xtol: the relative step that ends the iteration.
TMinimum Minimise(WeightedResiduals& problem, std::vector<double> theta,
                  const std::vector<std::size_t>& free, int max_iterations, double xtol = 1e-10);

}  // namespace vellmor::fit
