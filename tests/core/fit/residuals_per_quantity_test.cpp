// Every measured quantity on its own footing: the RMS of its residuals, and where the data give
// no σ, the σ its residuals make. The data are the independent references' line at 5000 m/min
// with a heat transfer of 1.6e-4 (reference_spinline.h for the spinline, reference_structure.h
// for the fibre's structure), each quantity at eight positions with a known noise: +a and −a
// in turn, whose RMS is a.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "vellmor/fit/spinline_fit.h"
#include "support/reference_spinline.h"
#include "support/reference_structure.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

constexpr double kTrueHeatFactor = 1.6e-4;
constexpr std::size_t kPerQuantity = 8;

// Where each quantity is measured and its noise a: the structure where it has grown, the rest
// along the draw-down and beyond; a near 1 % of the values.
std::vector<double> PositionsOf(Quantity q) {
  // Crystallinity only reaches the percent range at the freeze point, near 53 cm.
  if (q == Quantity::kCrystallinity) return {55, 60, 65, 70, 75, 80, 85, 90};
  return {20, 30, 40, 50, 60, 70, 80, 90};
}

double NoiseOf(Quantity q) {
  switch (q) {
    case Quantity::kDiameterUm:
      return 0.1;
    case Quantity::kTemperatureC:
      return 0.5;
    case Quantity::kVelocityMMin:
      return 10.0;
    case Quantity::kTensionDyn:
      return 2.0;
    case Quantity::kBirefringence:
      return 5e-4;
    case Quantity::kCrystallinity:
      return 1e-4;
  }
  return 0.0;
}

// Every quantity at its positions, each value the references' plus ±a; σ = a where given.
std::vector<TMeasurement> Measurements(const TSpinCondition& condition, bool sigma_given) {
  std::vector<double> positions;
  for (int x = 20; x <= 90; x += 5) positions.push_back(x);
  const test::TReferenceConstants truth{.heat_factor = kTrueHeatFactor};
  const auto line = test::Reference(condition, truth, positions);
  const auto structure =
      test::StructureReference(condition, truth, test::TReferenceStructureConstants{}, positions);
  const auto value = [&](Quantity q, double x) {
    const std::size_t i = static_cast<std::size_t>(std::lround((x - 20) / 5));
    const auto& s = line.samples[i];  // V (cm/s), F (dyn), T (°C), D (cm)
    switch (q) {
      case Quantity::kDiameterUm:
        return s[3] * 1e4;
      case Quantity::kTemperatureC:
        return s[2];
      case Quantity::kVelocityMMin:
        return s[0] * 60.0 / 100.0;
      case Quantity::kTensionDyn:
        return s[1];
      case Quantity::kBirefringence:
        return structure.samples[i][1];
      case Quantity::kCrystallinity:
        return structure.samples[i][3];
    }
    return 0.0;
  };
  std::vector<TMeasurement> data;
  int line_number = 2;
  for (const Quantity q : kQuantities) {
    double sign = 1.0;
    for (const double x : PositionsOf(q)) {
      const std::optional<double> sigma =
          sigma_given ? std::optional<double>(NoiseOf(q)) : std::nullopt;
      data.push_back({"", x, q, value(q, x) + sign * NoiseOf(q), sigma, line_number++});
      sign = -sign;
    }
  }
  return data;
}

class ResidualsPerQuantity : public ::testing::TestWithParam<bool> {};

TEST_P(ResidualsPerQuantity, EachQuantityHasItsRmsAndWithoutSigmaItsEstimate) {
  const bool sigma_given = GetParam();
  TFitCase fit_case;
  fit_case.Name = "1";
  fit_case.Condition = test::DefaultCondition();
  const std::vector<TMeasurement> data = Measurements(fit_case.Condition, sigma_given);
  TFitOptions options;
  options.ProfileIntervals = false;
  const auto fit =
      FitCard({fit_case}, data, {{FindModelKey("heat_transfer.factor"), {}, {}, {}}}, options);
  ASSERT_TRUE(std::holds_alternative<TFitResult>(fit)) << std::get<TFitFailure>(fit).Message;
  const TFitResult& result = std::get<TFitResult>(fit);
  ASSERT_EQ(result.Cases.size(), 1u);
  EXPECT_NEAR(result.Parameters[0].Estimate / kTrueHeatFactor, 1.0, 0.02);

  const double n = static_cast<double>(data.size());
  const double p = 1.0;
  for (const Quantity q : kQuantities) {
    SCOPED_TRACE(std::string(QuantityName(q)));
    const std::size_t at = static_cast<std::size_t>(q);
    double squares = 0.0;
    std::vector<TResidual> residuals;
    for (const TResidual& r : result.Cases[0].Residuals) {
      if (r.What != q) continue;
      residuals.push_back(r);
      squares += (r.Model - r.Measured) * (r.Model - r.Measured);
    }
    ASSERT_EQ(residuals.size(), kPerQuantity);
    const double rms = std::sqrt(squares / kPerQuantity);
    ASSERT_TRUE(result.Rms[at].has_value());
    EXPECT_NEAR(*result.Rms[at] / rms, 1.0, 1e-12);
    // One constant fitted to 48 values takes little of an alternating noise.
    EXPECT_NEAR(rms / NoiseOf(q), 1.0, 0.05);
    if (sigma_given) {
      EXPECT_FALSE(result.EstimatedSigma[at].has_value());
      for (const TResidual& r : residuals) EXPECT_EQ(r.Sigma, NoiseOf(q));
      continue;
    }
    // σ² = Σ r² over the quantity's share of the degrees of freedom, count · (n − p) / n.
    const double sigma = std::sqrt(squares / (kPerQuantity * (n - p) / n));
    ASSERT_TRUE(result.EstimatedSigma[at].has_value());
    EXPECT_NEAR(*result.EstimatedSigma[at] / sigma, 1.0, 1e-6);
    for (const TResidual& r : residuals) EXPECT_EQ(r.Sigma, *result.EstimatedSigma[at]);
  }
  // With every σ from its residuals, each quantity's χ² is its share: n − p in all.
  if (!sigma_given) {
    EXPECT_NEAR(result.ChiSquare / (n - p), 1.0, 1e-5);
  }
}

INSTANTIATE_TEST_SUITE_P(FitCard, ResidualsPerQuantity, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "SigmaGiven" : "SigmaEstimated";
                         });

}  // namespace
}  // namespace vellmor
