#include "core/converged/freeze_point.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace vellmor {
namespace {

struct FreezeCase {
  const char* name;
  std::vector<double> x;
  std::vector<double> t;
  std::optional<double> freeze_point;
};

class SampledFreezePointTest : public testing::TestWithParam<FreezeCase> {};

TEST_P(SampledFreezePointTest, FollowsTheFirstFallBelowSeventyDegrees) {
  const FreezeCase& c = GetParam();
  EXPECT_EQ(SampledFreezePoint(c.x, c.t), c.freeze_point);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, SampledFreezePointTest,
    testing::Values(
        // 75 → 65 °C between 1 and 2 cm: 70 °C halfway.
        FreezeCase{"Interpolated", {0, 1, 2, 3}, {80, 75, 65, 60}, 1.5},
        // 72 → 62 °C between 10 and 12 cm: 70 °C a fifth of the way, at 10.4 cm.
        FreezeCase{"UnevenPoints", {0, 10, 12}, {290, 72, 62}, 10.4},
        FreezeCase{"FirstOfTwoCrossings", {0, 1, 2, 3}, {80, 60, 80, 60}, 0.5},
        FreezeCase{"ExactlySeventyThenBelow", {0, 1, 2}, {80, 70, 60}, 1.0},
        FreezeCase{"ColdAtTheSpinneret", {0, 1}, {69.9, 80}, 0.0},
        FreezeCase{"SeventyIsNotBelow", {0, 1, 2}, {80, 71, 70}, std::nullopt},
        FreezeCase{"NoPoints", {}, {}, std::nullopt}),
    [](const testing::TestParamInfo<FreezeCase>& info) { return info.param.name; });

}  // namespace
}  // namespace vellmor
