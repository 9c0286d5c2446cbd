// The intervals of the answers hold the truth as often as they say: 400 replicates of a line's
// measurements with Gaussian noise of their σ, each fitted for the heat transfer and the
// melt's activation temperature, each fitted card's freeze point and final birefringence given
// an interval by the delta method and by Monte Carlo. The truth is the independent reference
// integration's at the true constants.

#include <gtest/gtest.h>

#include <array>
#include <iostream>
#include <random>
#include <vector>

#include "support/reference_spinline.h"
#include "support/reference_structure.h"
#include "support/test_support.h"
#include "vellmor/analysis/process_numbers.h"
#include "vellmor/fit/fitted_uncertainty.h"
#include "vellmor/fit/spinline_fit.h"
#include "vellmor/uncertainty/propagation.h"

namespace vellmor {
namespace {

// The index of the freeze point among the process numbers.
std::size_t FreezeIndex() {
  for (std::size_t i = 0; i < kProcessNumberTable.size(); ++i) {
    if (kProcessNumberTable[i].Key == "freeze_point_cm") return i;
  }
  return 0;
}

bool Holds(const std::optional<TInterval>& interval, double truth) {
  return interval && interval->Lo <= truth && truth <= interval->Hi;
}

TEST(Uncertainty, IntervalsOfTheFreezePointAndBirefringenceCoverAsStated) {
  TFitCase line;
  line.Name = "1";
  line.Condition = test::DefaultCondition();
  // Diameters, temperatures and the take-up tension, as a line is measured.
  std::vector<double> positions{10, 20, 30, 40, 50, 60, 80, 100};
  const auto reference = test::Reference(line.Condition, test::TReferenceConstants{}, positions);
  const auto structure = test::StructureReference(line.Condition, test::TReferenceConstants{},
                                                  test::TReferenceStructureConstants{});
  ASSERT_TRUE(structure.freeze_point.has_value());
  const double true_freeze = *structure.freeze_point;
  const double true_birefringence = structure.birefringence;
  std::vector<TMeasurement> exact;
  int row = 2;
  for (std::size_t i = 0; i < positions.size(); ++i) {
    const auto& s = reference.samples[i];  // V, F, T, D
    if (positions[i] <= 60) {
      exact.push_back({"", positions[i], Quantity::kDiameterUm, s[3] * 1e4, 0.5, row++});
    }
    if (positions[i] >= 20) {
      exact.push_back({"", positions[i], Quantity::kTemperatureC, s[2], 2.0, row++});
    }
  }
  exact.push_back({"", 100.0, Quantity::kTensionDyn, reference.take_up_tension, 2.0, row++});
  std::vector<TFitParameter> fitted(2);
  fitted[0].Key = FindModelKey("heat_transfer.factor");
  fitted[1].Key = FindModelKey("viscosity.activation_K");
  TFitOptions fit_options;
  fit_options.ProfileIntervals = false;

#ifdef VELLMOR_SANITIZED
  constexpr int kReplicates = 12;
#else
  constexpr int kReplicates = 400;
#endif
  std::mt19937_64 noise(20261210);
  std::normal_distribution<double> normal;
  // [method][answer]: delta, Monte Carlo; freeze point, birefringence.
  std::array<std::array<int, 2>, 2> covered{};
  for (int replicate = 0; replicate < kReplicates; ++replicate) {
    std::vector<TMeasurement> data = exact;
    for (TMeasurement& m : data) m.Value += *m.Sigma * normal(noise);
    const auto fit = FitCard({line}, data, fitted, fit_options);
    ASSERT_TRUE(std::holds_alternative<TFitResult>(fit)) << std::get<TFitFailure>(fit).Message;
    const TFitResult& result = std::get<TFitResult>(fit);
    const std::optional<TCardUncertainty> uncertainty = FittedUncertainty(result);
    ASSERT_TRUE(uncertainty.has_value());

    TConvergedOptions options;
    options.Model = result.Fitted.Constants();
    options.Structure = true;
    const TConvergedSolution solution = SolveConverged(line.Condition, options);
    const TUncertainCase solved{&line.Condition, &options, &solution};
    for (const UncertaintyMethod method :
         {UncertaintyMethod::kDelta, UncertaintyMethod::kMonteCarlo}) {
      TUncertaintySettings settings;
      settings.Method = method;
      settings.Samples = 200;
      settings.Seed = static_cast<std::uint64_t>(replicate);
      const TPropagatedUncertainty propagated =
          PropagateUncertainty(solved, *uncertainty, settings);
      ASSERT_TRUE(propagated.Warnings.empty()) << propagated.Warnings.front();
      const std::size_t m = method == UncertaintyMethod::kDelta ? 0 : 1;
      covered[m][0] += Holds(propagated.Intervals.Process[FreezeIndex()], true_freeze);
      covered[m][1] += Holds(propagated.Intervals.Structure[0], true_birefringence);
    }
  }
  RecordProperty("covered", testing::PrintToString(covered));
  std::cout << "covered of " << kReplicates << ": " << testing::PrintToString(covered) << '\n';
  if (kReplicates < 200) GTEST_SKIP() << "too few replicates to judge the coverage";
  for (std::size_t m = 0; m < 2; ++m) {
    for (std::size_t a = 0; a < 2; ++a) {
      SCOPED_TRACE(testing::Message() << "method " << m << ", answer " << a);
      EXPECT_GE(covered[m][a], 0.92 * kReplicates);
      EXPECT_LE(covered[m][a], 0.98 * kReplicates);
    }
  }
}

}  // namespace
}  // namespace vellmor
