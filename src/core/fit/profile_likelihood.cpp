#include "vellmor/fit/profile_likelihood.h"

#include <algorithm>
#include <cmath>

#include "vellmor/fit/fit_statistics.h"
#include "vellmor/fit/least_squares.h"

namespace vellmor::fit {

std::vector<std::optional<std::array<double, 2>>> ProfileIntervals(WeightedResiduals& problem,
                                                                   const TProfileMinimum& minimum,
                                                                   const gsl_matrix& covariance,
                                                                   int max_iterations,
                                                                   FitObserver* observer) {
  const std::vector<TScale>& scales = problem.Scales();
  const std::vector<double>& theta = minimum.Theta;
  const std::size_t p = theta.size();
  std::vector<std::optional<std::array<double, 2>>> intervals(p);
  for (std::size_t j = 0; j < p; ++j) {
    std::vector<std::size_t> others;
    for (std::size_t k = 0; k < p; ++k) {
      if (k != j) others.push_back(k);
    }
    std::vector<double> last = theta;
    // A profile point needs χ² to a small part of its 3.84 rise, not the estimate's precision.
    const auto root = [&](double t, bool& ok) {
      std::vector<double> start = last;
      start[j] = t;
      const TMinimum m = Minimise(problem, start, others, max_iterations, 1e-7);
      ok = m.Solved && m.Converged;
      if (ok) last = m.Theta;
      return std::sqrt(std::max(m.ChiSquare - minimum.ChiSquare, 0.0) / minimum.CovarianceScale);
    };
    const double se = std::sqrt(gsl_matrix_get(&covariance, j, j));
    std::array<double, 2> bounds{};
    bool bounded = true;
    for (int side = 0; side < 2 && bounded; ++side) {
      const double direction = side == 0 ? -1.0 : 1.0;
      last = theta;
      double t0 = theta[j], r0 = 0.0;
      double t1 = theta[j] + direction * kNormal95 * se;
      bool found = false;
      for (int k = 0; k < 16 && !found; ++k) {
        if (scales[j].Bounds) {
          const auto [a, b] = *scales[j].Bounds;
          if (t1 <= a || t1 >= b) break;  // the interval reaches the bound
        }
        bool ok = false;
        const double r1 = root(t1, ok);
        if (!ok) break;
        if (std::fabs(r1 - kNormal95) < 1e-3) {
          found = true;
          break;
        }
        // Where the rise has not grown, step twice as far instead of along the secant.
        const double t2 = r1 > r0 + 1e-6 ? t1 + (kNormal95 - r1) * (t1 - t0) / (r1 - r0)
                                         : theta[j] + 2.0 * (t1 - theta[j]);
        t0 = t1, r0 = r1, t1 = t2;
      }
      bounded = found;
      if (found) bounds[static_cast<std::size_t>(side)] = scales[j].Value(t1);
      if (observer != nullptr) {
        // A side given up leaves the other unsearched: both count as done.
        const std::size_t done = 2 * j + (bounded ? static_cast<std::size_t>(side) + 1 : 2);
        observer->OnIntervalBound(done, 2 * p);
      }
    }
    if (bounded) intervals[j] = bounds;
  }
  return intervals;
}

}  // namespace vellmor::fit
