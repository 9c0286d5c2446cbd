#include <gsl/gsl_matrix.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "support/test_support.h"
#include "vellmor/fit/fit_scale.h"
#include "vellmor/fit/gsl_owners.h"
#include "vellmor/fit/measurement_rows.h"
#include "vellmor/fit/spinline_model.h"
#include "vellmor/fit/weighted_residuals.h"

namespace vellmor::fit {
namespace {

TFitCase CaseAt(const char* name, double take_up_speed) {
  TFitCase fit_case;
  fit_case.Name = name;
  fit_case.Condition = test::DefaultCondition();
  fit_case.Condition.TakeUpSpeed = take_up_speed;
  return fit_case;
}

// The fit's Jacobian of every quantity in its unit (a velocity in m/min, a diameter in µm), at
// two take-up speeds, with constants on both scales (a logarithm, and a temperature as itself
// in units of its start), against central differences of the residuals themselves at steps of
// 1e-3 and 2e-3 in θ, extrapolated.
TEST(FitJacobian, EveryQuantityAndScaleAgreesWithDifferencesOfTheResiduals) {
  const std::vector<TFitCase> cases{CaseAt("slow", 4000.0), CaseAt("fast", 5000.0)};
  std::vector<TRow> rows;
  for (std::size_t k = 0; k < cases.size(); ++k) {
    rows.push_back({k, 30.0, Quantity::kDiameterUm, 25.0, 0.2, 2});
    rows.push_back({k, 20.0, Quantity::kTemperatureC, 150.0, 0.5, 3});
    rows.push_back({k, 50.0, Quantity::kVelocityMMin, 4000.0, 20.0, 4});
    rows.push_back({k, 100.0, Quantity::kTensionDyn, 100.0, 1.0, 5});
    rows.push_back({k, 100.0, Quantity::kBirefringence, 0.1, 0.002, 6});
    rows.push_back({k, 100.0, Quantity::kCrystallinity, 0.05, 0.0005, 7});
  }
  // A bound below 0 keeps the solidification temperature on its own scale.
  const std::vector<std::pair<const char*, double>> fitted{
      {"heat_transfer.factor", 1e-6},
      {"viscosity.solidification_C", -100.0},
      {"structure.stress_optical_K_per_Pa", 1e-9},
      {"structure.rate_max_per_s", 1e-6}};
  std::vector<const TModelKey*> keys;
  std::vector<TScale> scales;
  std::vector<double> theta;
  for (const auto& [path, lo] : fitted) {
    keys.push_back(FindModelKey(path));
    const double start = ModelCard().Value(*keys.back());
    scales.push_back(ScaleOf(start, lo, 1e6));
    theta.push_back(scales.back().Theta(start));
  }
  ASSERT_TRUE(scales[0].Log);
  ASSERT_FALSE(scales[1].Log);
  SpinlineModel model(cases, rows, keys);
  WeightedResiduals problem(model, rows, scales);
  const std::vector<std::size_t> free{0, 1, 2, 3};
  const GslMatrix jacobian = NewMatrix(rows.size(), free.size());
  ASSERT_TRUE(problem.Jacobian(theta, free, *jacobian));

  for (std::size_t c = 0; c < free.size(); ++c) {
    SCOPED_TRACE(std::string(keys[c]->Path));
    const auto residuals_at = [&](double step) {
      std::vector<double> t = theta, r;
      t[c] += step;
      EXPECT_TRUE(problem.Residuals(t, r, false));
      return r;
    };
    const double h = 1e-3;
    const auto up = residuals_at(h), down = residuals_at(-h);
    const auto up2 = residuals_at(2 * h), down2 = residuals_at(-2 * h);
    std::vector<double> reference(rows.size());
    double largest = 0.0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const double narrow = (up[i] - down[i]) / (2 * h);
      const double wide = (up2[i] - down2[i]) / (4 * h);
      reference[i] = (4 * narrow - wide) / 3;
      largest = std::max(largest, std::fabs(reference[i]));
    }
    ASSERT_GT(largest, 0.1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_NEAR(gsl_matrix_get(jacobian.get(), i, c), reference[i],
                  std::max(1e-5 * std::fabs(reference[i]), 1e-6 * largest))
          << "row " << i << ": " << QuantityName(rows[i].What) << " at " << rows[i].X;
    }
  }
}

}  // namespace
}  // namespace vellmor::fit
