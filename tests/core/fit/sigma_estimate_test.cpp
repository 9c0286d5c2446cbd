#include "vellmor/fit/sigma_estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vellmor::fit {
namespace {

// Five measurements, one constant: two diameters and two birefringences without σ, a tension
// with its own. By hand, each quantity's share of the n − p = 4 degrees of freedom is
// 2 · 4 / 5 = 1.6, so σ_D = √((0.3² + 0.1²) / 1.6) = 0.25 µm and
// σ_Δn = √((0.002² + 0.001²) / 1.6) = √3.125e-6.
TEST(SigmaEstimate, EachQuantityWithoutSigmaTakesItsShareOfTheDegreesOfFreedom) {
  std::vector<TRow> rows = {{0, 20.0, Quantity::kDiameterUm, 22.0, 0.0, 2},
                            {0, 40.0, Quantity::kDiameterUm, 14.0, 0.0, 3},
                            {0, 60.0, Quantity::kBirefringence, 0.10, 0.0, 4},
                            {0, 90.0, Quantity::kBirefringence, 0.12, 0.0, 5},
                            {0, 100.0, Quantity::kTensionDyn, 600.0, 2.0, 6}};
  SigmaEstimate sigma(rows);
  ASSERT_TRUE(sigma.Any());
  // The first guess: 1 % of the mean value, 0.18 µm and 0.0011.
  sigma.Apply(rows);
  EXPECT_NEAR(rows[0].Sigma, 0.18, 1e-15);
  EXPECT_NEAR(rows[3].Sigma, 0.0011, 1e-17);
  EXPECT_EQ(rows[4].Sigma, 2.0);

  const std::vector<double> predicted = {22.3, 13.9, 0.102, 0.119, 601.0};
  const double change = sigma.Update(rows, predicted, 1);
  sigma.Apply(rows);
  const double sigma_d = 0.25, sigma_n = std::sqrt(3.125e-6);
  EXPECT_NEAR(rows[1].Sigma, sigma_d, 1e-14);
  EXPECT_NEAR(rows[2].Sigma, sigma_n, 1e-17);
  EXPECT_EQ(rows[4].Sigma, 2.0);
  // The larger relative change of the two: the diameters' 0.18 → 0.25.
  EXPECT_NEAR(change, std::max(0.25 / 0.18 - 1, std::fabs(sigma_n / 0.0011 - 1)), 1e-12);

  const auto estimated = sigma.Estimated();
  for (const Quantity q : kQuantities) {
    SCOPED_TRACE(std::string(QuantityName(q)));
    const bool expected = q == Quantity::kDiameterUm || q == Quantity::kBirefringence;
    EXPECT_EQ(estimated[static_cast<std::size_t>(q)].has_value(), expected);
  }
  EXPECT_NEAR(*estimated[static_cast<std::size_t>(Quantity::kBirefringence)], sigma_n, 1e-17);
}

TEST(SigmaEstimate, NothingToEstimateWhereEveryMeasurementHasItsSigma) {
  const std::vector<TRow> rows = {{0, 20.0, Quantity::kCrystallinity, 0.01, 1e-3, 2}};
  const SigmaEstimate sigma(rows);
  EXPECT_FALSE(sigma.Any());
  for (const auto& estimate : sigma.Estimated()) EXPECT_FALSE(estimate.has_value());
}

}  // namespace
}  // namespace vellmor::fit
