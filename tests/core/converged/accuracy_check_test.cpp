#include "vellmor/converged/accuracy_check.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace vellmor {
namespace {

// A file's header that a run would refuse is no condition to solve.
TEST(CheckAccuracy, ResultFileWhoseHeaderWouldBeRefusedIsAFailure) {
  TResultFileContents contents;
  contents.Condition = test::DefaultCondition();
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
