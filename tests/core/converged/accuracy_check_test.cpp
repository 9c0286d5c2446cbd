#include "core/converged/accuracy_check.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/run/run_sequence.h"
#include "core/solver/calculate_spinline.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

// The default case from an independent script (fixed-step RK4 with every coefficient at each
// stage, Richardson over 0.02 and 0.01 cm; see converged_solution_test).
constexpr double kConvergedTension = 40.4367662686;
constexpr double kConvergedFreezePoint = 62.3341500148;

std::unique_ptr<TRunState> Classical(const TSpinCondition& condition) {
  auto state = std::make_unique<TRunState>();
  state->Condition = condition;
  CalculateSpinline(*state);
  return state;
}

TEST(CheckAccuracy, SamplesTheConvergedSolutionAtTheClassicalPoints) {
  TSpinCondition condition = DefaultCondition();
  condition.Increment = 2.5;
  const auto classical = Classical(condition);
  const TAccuracyCheck check = CheckAccuracy(*classical);
  ASSERT_TRUE(check.Solution && check.Report) << check.Failure;
  EXPECT_EQ(check.Failure, "");
  ASSERT_EQ(check.Solution->Profile.size(), 41u);  // 0 to 100 cm by 2.5 cm
  for (int p = 1; p <= 41; ++p)
    EXPECT_EQ(check.Solution->Profile[p - 1].X, classical->Profile.X[p]);
  EXPECT_NEAR(check.Report->SpinneretTension.Converged, kConvergedTension, 1e-8 * 40.0);
  EXPECT_EQ(check.Report->SpinneretTension.Classical, classical->Profile.F[1]);
}

// Zone 1's air hyperbola with its pole at 5.3 cm, between the points of the march and the
// stages of its steps: the march steps over it, the adaptive integration cannot pass it.
TEST(CheckAccuracy, FailureOfTheConvergedSolutionIsAValue) {
  TSpinCondition condition = DefaultCondition();
  condition.Zones[1].A1 = 100.0;
  condition.Zones[1].A2 = -5.3;
  const auto classical = Classical(condition);
  ASSERT_TRUE(classical->Search.Converged);
  const TAccuracyCheck check = CheckAccuracy(*classical);
  EXPECT_FALSE(check.Solution.has_value());
  EXPECT_FALSE(check.Report.has_value());
  EXPECT_EQ(check.Failure,
            "Converged solution failed: step size underflow at x = 5.300000 cm, pass 1 of the "
            "converged solution");
}

// A file read back gives its printed values: the spinneret tension to 0.001 dyn.
TEST(CheckAccuracy, ResultFileIsComparedAtItsPrintedValues) {
  test::ScratchDirectory dir;
  TInputTexts texts;
  texts.Edit20 = (dir / "result.txt").string();
  test::RecordingSink sink;
  auto state = std::make_unique<TRunState>();
  ASSERT_EQ(RunSpinline(texts, *state, sink).Status, RunStatus::kSucceeded);
  const TResultFileReading reading = ReadResultFile(dir / "result.txt");
  ASSERT_TRUE(reading.Contents.has_value());

  const TAccuracyCheck check = CheckAccuracy(*reading.Contents);
  ASSERT_TRUE(check.Solution && check.Report) << check.Failure;
  ASSERT_EQ(check.Solution->Profile.size(), 101u);
  EXPECT_EQ(check.Solution->Profile[37].X, 37.0);
  const TAccuracyReport& report = *check.Report;
  EXPECT_EQ(report.SpinneretTension.Classical, 36.477);
  EXPECT_NEAR(report.SpinneretTension.ErrorPercent, 100.0 * (36.477 / kConvergedTension - 1.0),
              1e-6);
  ASSERT_TRUE(report.ConvergedFreezePoint.has_value());
  EXPECT_NEAR(*report.ConvergedFreezePoint, kConvergedFreezePoint, 1e-6);
  // The run's own freeze point is 63.84 cm; temperatures printed to 0.1 °C move it a little.
  EXPECT_NEAR(*report.ClassicalFreezePoint, 63.84, 0.05);
  // The first-order estimate alone: no march at 0.08 cm.
  EXPECT_EQ(report.SuggestedIncrement, 0.08);
  EXPECT_FALSE(report.SuggestedIncrementErrorPercent.has_value());
}

TEST(CheckAccuracy, ResultFileWhoseHeaderWouldBeRefusedIsAFailure) {
  TResultFileContents contents;
  contents.Condition = DefaultCondition();
  contents.Condition.HoleDiameter = 0.0;
  contents.Rows = {{0.0, 5.4, 36.5, 290.0, 0.044, 270.0, 0.0013, 0.0, 0.02}};
  const TAccuracyCheck check = CheckAccuracy(contents);
  EXPECT_FALSE(check.Solution.has_value());
  EXPECT_EQ(check.Failure,
            "Converged solution failed: the conditions of the file are refused: Value of Hole "
            "Diameter is not correct");
}

TEST(ConvergedFailureLine, SaysOnceWhatFailed) {
  EXPECT_EQ(ConvergedFailureLine("Converged solution: no spinneret tension brought the filament "
                                 "to the take-up speed from both sides in 1000 passes"),
            "Converged solution failed: no spinneret tension brought the filament to the take-up "
            "speed from both sides in 1000 passes");
  EXPECT_EQ(ConvergedFailureLine("Converged solution stopped: too many steps at x = 1.000000 cm"),
            "Converged solution failed: too many steps at x = 1.000000 cm");
  EXPECT_EQ(ConvergedFailureLine("Calculation stopped: floating-point overflow at x = 5.100000 cm"),
            "Converged solution failed: floating-point overflow at x = 5.100000 cm");
  EXPECT_EQ(ConvergedFailureLine("something else"), "Converged solution failed: something else");
}

}  // namespace
}  // namespace vellmor
