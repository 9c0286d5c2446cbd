#include "vellmor/analysis/result_file_numbers.h"

#include <gtest/gtest.h>

#include "support/default_result_header.h"

namespace vellmor {
namespace {

// The made-up spinline of three points worked by hand for the process numbers, as a result
// file prints it: V = 10, 100, 1000 cm/s is 6, 60, 600 m/min; F = 5, 6, 8 dyn;
// T = 90, 80, 60 °C; D = 0.04, 0.013, 0.004 cm; output 1 g/min at 5000 m/min.
TEST(ResultFileNumbers, ThreePointFileWorkedByHand) {
  std::vector<std::string> lines = test::kDefaultHeader;
  lines.push_back("   0.0     6.0    5.000   90.0  0.04000   20.0  0.00100  0.0000  0.0057");
  lines.push_back("  10.0    60.0    6.000   80.0  0.01300   20.0  0.00100  0.0000  0.0068");
  lines.push_back("  20.0   600.0    8.000   60.0  0.00400   20.0  0.00100  0.0001  0.0091");
  lines.insert(lines.end(), {"", ""});
  const TResultFileReading reading = ParseResultFile(test::Joined(lines));
  ASSERT_TRUE(reading.Contents.has_value()) << Describe(reading.Error);

  const TProcessNumbers numbers = ProcessNumbersOf(*reading.Contents);
  // T crosses 70 °C halfway between 80 and 60: x = 15 cm, V = 550 cm/s = 330 m/min, F = 7 dyn.
  ASSERT_TRUE(numbers.Freeze.has_value());
  EXPECT_DOUBLE_EQ(numbers.Freeze->PositionCm, 15.0);
  EXPECT_DOUBLE_EQ(numbers.Freeze->VelocityMMin, 330.0);
  EXPECT_DOUBLE_EQ(numbers.Freeze->TensionDyn, 7.0);
  EXPECT_DOUBLE_EQ(numbers.TakeUpTensionDyn, 8.0);
  EXPECT_DOUBLE_EQ(numbers.FinenessDtex, 2.0);  // 10 000 × 1 g/min / 5000 m/min
  EXPECT_DOUBLE_EQ(numbers.DrawDownRatio, 100.0);
  // 10 × (1/10 + 1/100) / 2 + 10 × (1/100 + 1/1000) / 2 = 0.55 + 0.055 s.
  EXPECT_DOUBLE_EQ(numbers.ResidenceTimeS, 0.605);
  EXPECT_DOUBLE_EQ(numbers.FinalDiameterUm, 40.0);
  EXPECT_DOUBLE_EQ(numbers.SpinneretTensionDyn, 5.0);
  EXPECT_EQ(numbers.Passes, 0);
}

}  // namespace
}  // namespace vellmor
