#include "vellmor/converged/accuracy_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "vellmor/solver/calculate_spinline.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

// Spinneret tension of the default case from an independent script (fixed-step RK4 with every
// coefficient at each stage, Richardson over 0.02 and 0.01 cm; see converged_solution_test).
constexpr double kDefaultConvergedTension = 40.4367662686;

std::unique_ptr<TRunState> Classical(const TSpinCondition& condition) {
  auto state = std::make_unique<TRunState>();
  state->Condition = condition;
  CalculateSpinline(*state);
  return state;
}

double ClassicalErrorPercent(const TSpinCondition& condition, double converged_tension) {
  return 100.0 * (Classical(condition)->Profile.F[1] / converged_tension - 1.0);
}

// Coefficients held over a step make the march first order in the increment: halving it halves
// its distance from the converged solution.
TEST(ClassicalAccuracy, ErrorHalvesWithTheIncrement) {
  TSpinCondition condition = DefaultCondition();
  std::vector<double> errors;
  for (const double increment : {1.0, 0.5, 0.25, 0.125}) {
    condition.Increment = increment;
    errors.push_back(ClassicalErrorPercent(condition, kDefaultConvergedTension));
  }
  // 36.4771128 dyn at 1 cm, the march's known tension, against 40.4367663 dyn.
  EXPECT_NEAR(errors[0], -9.7922, 1e-4);
  for (std::size_t i = 1; i < errors.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_LT(errors[i], 0.0);
    EXPECT_GT(errors[i] / errors[i - 1], 0.45);
    EXPECT_LT(errors[i] / errors[i - 1], 0.6);
  }
}

TEST(CompareWithClassical, DefaultCaseIsTenPercentLow) {
  const auto classical = Classical(DefaultCondition());
  const TConvergedSolution converged = SolveConverged(classical->Condition);
  const TAccuracyReport report = CompareWithClassical(*classical, converged);

  EXPECT_EQ(report.SpinneretTension.Converged, converged.SpinneretTension);
  EXPECT_EQ(report.SpinneretTension.Classical, classical->Profile.F[1]);
  EXPECT_NEAR(report.SpinneretTension.ErrorPercent, -9.7922, 1e-4);
  EXPECT_EQ(report.TakeUpTension.Classical, classical->Profile.F[101]);
  EXPECT_NEAR(report.TakeUpTension.ErrorPercent,
              100.0 * (classical->Profile.F[101] / converged.TakeUpTension - 1.0), 1e-12);
  EXPECT_EQ(report.FinalTemperature.Converged, converged.FinalTemperature);
  EXPECT_EQ(report.FinalDiameter.Classical, classical->Profile.D[101]);

  // The classical freeze point lies between the two points around 70 °C, about 1.5 cm on.
  ASSERT_TRUE(report.ClassicalFreezePoint && report.ConvergedFreezePoint);
  const double shift = *report.ClassicalFreezePoint - *report.ConvergedFreezePoint;
  EXPECT_GT(std::fabs(shift), 1.0);
  EXPECT_LT(std::fabs(shift), 2.0);
  EXPECT_NEAR(*report.FreezePointErrorPercent, 100.0 * shift / *report.ConvergedFreezePoint, 1e-12);

  // 0.8 × 1 cm × 1 % / 9.79 % = 0.0817 cm, down to 0.08 cm: 100 cm / 0.08 cm + 1 points.
  EXPECT_EQ(report.Increment, 1.0);
  EXPECT_EQ(report.SuggestedIncrement, 0.08);
  EXPECT_EQ(report.SuggestedPoints, 1251);
  EXPECT_FALSE(report.SuggestedIncrementFits);
  EXPECT_FALSE(report.SuggestedIncrementErrorPercent.has_value());  // no march can check it
  EXPECT_EQ(FormatAccuracySummary(report),
            "Converged solution: spinneret tension 40.437 dyn; this increment's result is 9.8 % "
            "low; an increment of 0.08 cm would be within 1 % (1251 points, more than the 1001 a "
            "profile holds)");
}

TEST(CompareWithClassical, FilamentThatNeverFreezesHasNoFreezePoints) {
  TSpinCondition condition = DefaultCondition();
  condition.Zones[2].A3 = 100.0;
  const auto classical = Classical(condition);
  const TAccuracyReport report = CompareWithClassical(*classical, SolveConverged(condition));
  EXPECT_FALSE(report.ConvergedFreezePoint.has_value());
  EXPECT_FALSE(report.ClassicalFreezePoint.has_value());
  EXPECT_FALSE(report.FreezePointErrorPercent.has_value());
}

// The suggested increment, run by the march itself, is within 1 % of the converged tension.
// Lines of 65 cm keep the profile within its 1001 points. From increments of several cm the
// first-order estimate falls short (the error per cm still grows a lot below them), and the
// checks at finer increments bring it down.
struct SuggestionCase {
  const char* name;
  TSpinCondition condition;
};

void PrintTo(const SuggestionCase& c, std::ostream* os) { *os << c.name; }

class SuggestedIncrementTest : public testing::TestWithParam<SuggestionCase> {};

TEST_P(SuggestedIncrementTest, BringsTheMarchWithinOnePercent) {
  TSpinCondition condition = GetParam().condition;
  const auto classical = Classical(condition);
  const TConvergedSolution converged = SolveConverged(condition);
  const TAccuracyReport report = CompareWithClassical(*classical, converged);
  ASSERT_GT(std::fabs(report.SpinneretTension.ErrorPercent), 1.0);
  ASSERT_TRUE(report.SuggestedIncrementFits);

  ASSERT_TRUE(report.SuggestedIncrementErrorPercent.has_value());
  EXPECT_LT(std::fabs(*report.SuggestedIncrementErrorPercent), 1.0);

  condition.Increment = report.SuggestedIncrement;
  const double error = ClassicalErrorPercent(condition, converged.SpinneretTension);
  EXPECT_LT(std::fabs(error), 1.0) << "increment " << report.SuggestedIncrement;
}

SuggestionCase ShortLine(const char* name, double take_up_speed) {
  TSpinCondition condition = DefaultCondition();
  condition.TakeUpSpeed = take_up_speed;
  condition.Zones[3].EndPosition = 65.0;
  return {name, condition};
}

SuggestionCase Modified(const char* name, void (*change)(TSpinCondition&)) {
  TSpinCondition condition = DefaultCondition();
  change(condition);
  return {name, condition};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SuggestedIncrementTest,
    testing::Values(ShortLine("Default65cm", 5000.0), ShortLine("TakeUp8000At65cm", 8000.0),
                    ShortLine("TakeUp1500At65cm", 1500.0),
                    Modified("ThreeGramsPerMinute", [](TSpinCondition& c) { c.Output = 3.0; }),
                    Modified("HotAir", [](TSpinCondition& c) { c.Zones[2].A3 = 100.0; }),
                    Modified("HalfCentimetreAt65cm",
                             [](TSpinCondition& c) {
                               c.Increment = 0.5;
                               c.Zones[3].EndPosition = 65.0;
                             }),
                    Modified("TwoCentimetresAt65cm",
                             [](TSpinCondition& c) {
                               c.Increment = 2.0;
                               c.Zones[3].EndPosition = 65.0;
                             }),
                    Modified("FiveCentimetresAt65cm",
                             [](TSpinCondition& c) {
                               c.Increment = 5.0;
                               c.Zones[3].EndPosition = 65.0;
                             })),
    [](const testing::TestParamInfo<SuggestionCase>& info) { return info.param.name; });

TEST(SuggestIncrement, ScalesTheFirstOrderErrorToOnePercentWithAMargin) {
  EXPECT_EQ(SuggestIncrement(1.0, -9.7922), 0.08);  // 0.0817
  EXPECT_EQ(SuggestIncrement(1.0, 5.0), 0.1);       // 0.16
  EXPECT_EQ(SuggestIncrement(0.5, -2.0), 0.2);      // 0.2 exactly
  EXPECT_EQ(SuggestIncrement(2.0, 0.5), 3.0);       // 3.2: larger than the increment itself
  EXPECT_EQ(SuggestIncrement(1.0, 0.03), 20.0);     // 26.7
  EXPECT_EQ(SuggestIncrement(1.0, 0.0), 1.0);       // nothing to scale
  EXPECT_EQ(SuggestIncrement(1.0, NAN), 1.0);
}

TAccuracyReport Report(double error_percent, double suggested, int points) {
  TAccuracyReport report;
  report.SpinneretTension = {40.4367662686, 40.4367662686 * (1.0 + error_percent / 100.0),
                             error_percent};
  report.Increment = 1.0;
  report.SuggestedIncrement = suggested;
  report.SuggestedPoints = points;
  report.SuggestedIncrementFits = points <= 1001;
  return report;
}

TEST(FormatAccuracySummary, SaysHowFarAndWhatIncrementWouldDo) {
  TAccuracyReport checked = Report(-9.7922, 0.07, 930);
  checked.SuggestedIncrementErrorPercent = -0.7966;
  EXPECT_EQ(FormatAccuracySummary(checked),
            "Converged solution: spinneret tension 40.437 dyn; this increment's result is 9.8 % "
            "low; an increment of 0.07 cm is within 1 % (0.8 % low)");
  checked.SuggestedIncrementErrorPercent = 1.06;
  EXPECT_EQ(FormatAccuracySummary(checked),
            "Converged solution: spinneret tension 40.437 dyn; this increment's result is 9.8 % "
            "low; an increment of 0.07 cm is still 1.1 % high");
  EXPECT_EQ(FormatAccuracySummary(Report(-2.345, 0.3, 335)),
            "Converged solution: spinneret tension 40.437 dyn; this increment's result is 2.3 % "
            "low; an increment of 0.3 cm would be within 1 %");
  EXPECT_EQ(FormatAccuracySummary(Report(12.0, 5.0, 21)),
            "Converged solution: spinneret tension 40.437 dyn; this increment's result is 12.0 % "
            "high; an increment of 5 cm would be within 1 %");
  EXPECT_EQ(FormatAccuracySummary(Report(-0.72, 1.0, 101)),
            "Converged solution: spinneret tension 40.437 dyn; this increment's result is 0.7 % "
            "low, within 1 %");
  EXPECT_EQ(FormatAccuracySummary(Report(-2.345, 0.3, 335), ','),
            "Converged solution: spinneret tension 40,437 dyn; this increment's result is 2,3 % "
            "low; an increment of 0,3 cm would be within 1 %");
}

}  // namespace
}  // namespace vellmor
