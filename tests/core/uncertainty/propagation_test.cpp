// The propagation of a card's uncertainty to a solved case's answers: the draws and the factor
// of the covariance by hand, the delta method against a derivative of the independent
// reference integration, Monte Carlo reproducible and in agreement with it where the answers
// are linear, and draws the model can not solve counted rather than hidden.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "support/reference_spinline.h"
#include "support/test_support.h"
#include "vellmor/analysis/process_numbers.h"
#include "vellmor/uncertainty/normal_draws.h"
#include "vellmor/uncertainty/propagation.h"

namespace vellmor {
namespace {

std::size_t ProcessIndex(std::string_view key) {
  for (std::size_t i = 0; i < kProcessNumberTable.size(); ++i) {
    if (kProcessNumberTable[i].Key == key) return i;
  }
  ADD_FAILURE() << key;
  return 0;
}

TEST(NormalDraws, AreReproducibleStandardNormalAndFactoredByHand) {
  EXPECT_EQ(StandardNormals(7, 3, 5), StandardNormals(7, 3, 5));
  EXPECT_NE(StandardNormals(7, 3, 5), StandardNormals(7, 4, 5));
  EXPECT_NE(StandardNormals(7, 3, 5), StandardNormals(8, 3, 5));
  // An odd count is the first numbers of the even one.
  const std::vector<double> five = StandardNormals(1, 0, 5), six = StandardNormals(1, 0, 6);
  EXPECT_TRUE(std::equal(five.begin(), five.end(), six.begin()));
  // 40 000 numbers: the mean within 4 standard errors (0.02) of 0, the variance within 4 of
  // its standard errors (√(2/n) = 0.007) of 1.
  std::vector<double> z;
  for (std::uint64_t draw = 0; draw < 20000; ++draw) {
    const std::vector<double> pair = StandardNormals(42, draw, 2);
    z.insert(z.end(), pair.begin(), pair.end());
  }
  const double mean = std::accumulate(z.begin(), z.end(), 0.0) / static_cast<double>(z.size());
  double variance = 0.0;
  for (const double v : z) variance += (v - mean) * (v - mean);
  variance /= static_cast<double>(z.size() - 1);
  EXPECT_NEAR(mean, 0.0, 0.02);
  EXPECT_NEAR(variance, 1.0, 0.028);

  // [[4, 2], [2, 3]] = L Lᵀ with L = [[2, 0], [1, √2]].
  const std::optional<TMatrix> l = CholeskyFactor({{4.0, 2.0}, {2.0, 3.0}});
  ASSERT_TRUE(l.has_value());
  EXPECT_DOUBLE_EQ((*l)[0][0], 2.0);
  EXPECT_DOUBLE_EQ((*l)[1][0], 1.0);
  EXPECT_DOUBLE_EQ((*l)[1][1], std::sqrt(2.0));
  EXPECT_EQ((*l)[0][1], 0.0);
  EXPECT_FALSE(CholeskyFactor({{1.0, 2.0}, {2.0, 1.0}}).has_value());
  EXPECT_FALSE(CholeskyFactor({{NAN}}).has_value());
}

// The default line with the heat transfer's factor uncertain by σ, on its own scale.
struct TUncertainLine {
  TSpinCondition condition = test::DefaultCondition();
  TConvergedOptions options;
  TConvergedSolution solution;
  TCardUncertainty uncertainty;

  TUncertainLine(double sigma, bool log_scale) {
    solution = SolveConverged(condition, options);
    uncertainty.Keys = {"heat_transfer.factor"};
    uncertainty.LogScale = {log_scale};
    uncertainty.Estimates = {1.37e-4};
    uncertainty.Covariance = {{sigma * sigma}};
    uncertainty.DegreesOfFreedom = 10;
  }
  TPropagatedUncertainty Propagate(UncertaintyMethod method, std::uint64_t seed = 1,
                                   int threads = 0, int samples = 400) const {
    TUncertaintySettings settings;
    settings.Method = method;
    settings.Seed = seed;
    settings.Threads = threads;
    settings.Samples = samples;
    return PropagateUncertainty({&condition, &options, &solution}, uncertainty, settings);
  }
};

// The delta method's half width is 1.96 σ |dy/dh|; the derivative of the freeze point and of
// the take-up tension here from the reference integration at h (1 ± 1 %).
TEST(DeltaMethod, GivesTheLinearisedIntervalOfTheReferencesDerivative) {
  const double sigma = 2e-6;
  const TUncertainLine line(sigma, false);
  const TPropagatedUncertainty delta = line.Propagate(UncertaintyMethod::kDelta);
  ASSERT_TRUE(delta.Warnings.empty()) << delta.Warnings.front();
  const auto at = [&](double h) {
    return test::Reference(line.condition, test::TReferenceConstants{.heat_factor = h});
  };
  const auto plus = at(1.37e-4 * 1.01), minus = at(1.37e-4 * 0.99);
  const double step = 2 * 0.01 * 1.37e-4;
  const double freeze_slope = (plus.freeze_point - minus.freeze_point) / step;
  const double tension_slope = (plus.take_up_tension - minus.take_up_tension) / step;
  const auto half_width = [&](std::string_view key) {
    const auto& interval = delta.Intervals.Process[ProcessIndex(key)];
    EXPECT_TRUE(interval.has_value()) << key;
    return interval ? (interval->Hi - interval->Lo) / 2 : 0.0;
  };
  EXPECT_NEAR(half_width("freeze_point_cm") / (1.959964 * sigma * std::fabs(freeze_slope)), 1.0,
              2e-3);
  EXPECT_NEAR(half_width("take_up_tension_dyn") / (1.959964 * sigma * std::fabs(tension_slope)),
              1.0, 2e-3);
  // The fineness does not depend on the heat transfer at all.
  EXPECT_NEAR(half_width("fineness_dtex"), 0.0, 1e-9);
  // Every profile column but the position, at every sample, has its band around the value.
  ASSERT_EQ(delta.Intervals.Profile.size(), 7u);
  for (std::size_t c = 1; c < 7; ++c) {
    ASSERT_EQ(delta.Intervals.Profile[c].size(), line.solution.Profile.size());
  }
}

// Every answer's standard deviation against the test's own central differences of solutions
// with the structure at the constants ± a step, on both scales: the exact derivatives carried
// to each number, profile sample and structure number. Those without an exact derivative (the
// peak strain rate and where, the onset, the heat-transfer coefficient) are the only ones
// left without an interval.
TEST(DeltaMethod, EveryAnswerAgreesWithDifferencesOfNeighbouringSolutions) {
  const TSpinCondition condition = test::DefaultCondition();
  TConvergedOptions options;
  options.Structure = true;
  options.SampleX = {0.0, 15.0, 35.0, 55.0, 80.0, 100.0};
  const TConvergedSolution solution = SolveConverged(condition, options);
  TCardUncertainty uncertainty;
  uncertainty.Keys = {"heat_transfer.factor", "viscosity.activation_K"};
  uncertainty.LogScale = {true, false};
  uncertainty.Estimates = {1.37e-4, 6802.0};
  uncertainty.Covariance = {{4e-12, -1e-5}, {-1e-5, 400.0}};
  const TPropagatedUncertainty delta =
      PropagateUncertainty({&condition, &options, &solution}, uncertainty, {});
  ASSERT_TRUE(delta.Warnings.empty()) << delta.Warnings.front();

  // dy/dp by differences at p (1 ± 1e-4), then var = Σ dy/dp_i dy/dp_j C_ij.
  const std::array<const TModelKey*, 2> keys{FindModelKey("heat_transfer.factor"),
                                             FindModelKey("viscosity.activation_K")};
  std::array<std::vector<std::optional<double>>, 2> slope;
  const std::vector<std::optional<double>> base =
      AnswersOf(solution, condition, options.Model.Laws).Flat();
  for (std::size_t i = 0; i < 2; ++i) {
    const double p = ModelValue(options.Model, *keys[i]), h = 1e-4 * p;
    const auto at = [&](double value) {
      TConvergedOptions moved = options;
      SetModelValue(moved.Model, *keys[i], value);
      return AnswersOf(SolveConverged(condition, moved), condition, moved.Model.Laws).Flat();
    };
    const auto plus = at(p + h), minus = at(p - h);
    for (std::size_t a = 0; a < base.size(); ++a) {
      slope[i].push_back(plus[a] && minus[a] ? std::optional((*plus[a] - *minus[a]) / (2 * h))
                                             : std::nullopt);
    }
  }
  const std::vector<std::optional<double>> sd = delta.StandardDeviations.Flat();
  ASSERT_EQ(sd.size(), base.size());
  int without = 0;
  for (std::size_t a = 0; a < base.size(); ++a) {
    if (!sd[a]) {
      ++without;
      continue;
    }
    ASSERT_TRUE(slope[0][a] && slope[1][a]) << a;
    double variance = 0.0;
    for (std::size_t i = 0; i < 2; ++i) {
      for (std::size_t j = 0; j < 2; ++j) {
        variance += *slope[i][a] * *slope[j][a] * uncertainty.Covariance[i][j];
      }
    }
    const double expected = std::sqrt(std::max(variance, 0.0));
    EXPECT_NEAR(*sd[a], expected, 1e-4 * expected + 1e-9 * std::fabs(base[a].value_or(0.0)))
        << "answer " << a;
  }
  // The peak strain rate and its place, the onset, the heat-transfer coefficient's six
  // samples and the passes.
  EXPECT_EQ(without, 2 + 1 + 6 + 1);
}

TEST(MonteCarlo, IsReproducibleOnAnyThreadsAndAgreesWithTheDeltaMethodWhereLinear) {
  const TUncertainLine line(1e-6, true);
  const std::size_t freeze = ProcessIndex("freeze_point_cm");
  const TPropagatedUncertainty one = line.Propagate(UncertaintyMethod::kMonteCarlo, 5, 1, 100);
  const TPropagatedUncertainty two = line.Propagate(UncertaintyMethod::kMonteCarlo, 5, 2, 100);
  const TPropagatedUncertainty other = line.Propagate(UncertaintyMethod::kMonteCarlo, 6, 2, 100);
  ASSERT_TRUE(one.Intervals.Process[freeze] && two.Intervals.Process[freeze]);
  EXPECT_EQ(one.Intervals.Process[freeze]->Lo, two.Intervals.Process[freeze]->Lo);
  EXPECT_EQ(one.Intervals.Process[freeze]->Hi, two.Intervals.Process[freeze]->Hi);
  EXPECT_NE(one.Intervals.Process[freeze]->Lo, other.Intervals.Process[freeze]->Lo);

  // σ of 0.7 % of the factor: the freeze point is linear in it over that, so the draws'
  // standard deviation is the delta method's to their sampling error (√(1/2n) = 3.5 % at
  // 400 draws; 4 of those allowed).
  const TPropagatedUncertainty mc = line.Propagate(UncertaintyMethod::kMonteCarlo, 9, 0, 400);
  const TPropagatedUncertainty delta = line.Propagate(UncertaintyMethod::kDelta);
  ASSERT_TRUE(mc.StandardDeviations.Process[freeze] && delta.StandardDeviations.Process[freeze]);
  EXPECT_NEAR(*mc.StandardDeviations.Process[freeze] / *delta.StandardDeviations.Process[freeze],
              1.0, 0.14);
  EXPECT_EQ(mc.FailedSamples, 0);
}

// σ as large as the factor itself on its own scale: about a third of the draws are not above
// 0, outside the key's range. They are counted and named; the others give the intervals.
TEST(MonteCarlo, CountsAndNamesTheDrawsItCanNotSolve) {
  const TUncertainLine line(1.37e-4, false);
  const TPropagatedUncertainty mc = line.Propagate(UncertaintyMethod::kMonteCarlo, 3, 0, 100);
  EXPECT_GT(mc.FailedSamples, 5);
  EXPECT_LT(mc.FailedSamples, 40);
  ASSERT_FALSE(mc.Warnings.empty());
  EXPECT_NE(mc.Warnings.front().find("draws of the constants could not be solved"),
            std::string::npos)
      << mc.Warnings.front();
  EXPECT_NE(mc.Warnings.front().find("heat_transfer.factor"), std::string::npos);
  EXPECT_TRUE(mc.Intervals.Process[ProcessIndex("take_up_tension_dyn")].has_value());
}

TEST(Uncertainty, ACardValueOtherThanTheEstimateIsSaidAndAnUnknownKeyGivesNoIntervals) {
  TUncertainLine line(1e-6, true);
  line.uncertainty.Estimates = {1.5e-4};
  const TPropagatedUncertainty moved = line.Propagate(UncertaintyMethod::kDelta);
  ASSERT_EQ(moved.Warnings.size(), 1u);
  EXPECT_EQ(moved.Warnings[0],
            "uncertainty: heat_transfer.factor is 0.000137 on the card but was fitted as "
            "0.00015; the intervals are taken about the card's value");
  line.uncertainty.Keys = {"heat_transfer.colour"};
  const TPropagatedUncertainty unknown = line.Propagate(UncertaintyMethod::kDelta);
  ASSERT_FALSE(unknown.Warnings.empty());
  EXPECT_FALSE(unknown.Intervals.Process[ProcessIndex("freeze_point_cm")].has_value());
}

}  // namespace
}  // namespace vellmor
