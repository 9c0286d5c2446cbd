// Which eigenvalues of two grids are the line's: those the grids resolve, leading by growth
// rate, each converged where the coarse grid has it too.

#include <gtest/gtest.h>

#include "vellmor/stability/line_stability.h"

namespace vellmor {
namespace {

using C = std::complex<double>;

TEST(MatchedModes, LeadByGrowthRateAmongTheResolvedOnesEachPairOnce) {
  const std::vector<C> coarse{{-1.0, 10.0}, {-1.0, -10.0}, {-3.0, 0.0}, {-900.0, 0.0}};
  // The fine grid's own large eigenvalue (its growth rate the largest) lies beyond 100 1/s.
  const std::vector<C> fine{
      {-1.001, 10.0}, {-1.001, -10.0}, {-3.5, 0.0}, {50.0, 200.0}, {-2.0, 30.0}};
  const std::vector<TStabilityMode> modes = MatchedModes(coarse, fine, 1.0, 100.0, 5);
  ASSERT_EQ(modes.size(), 3u);
  EXPECT_EQ(modes[0].Lambda, C(-1.001, 10.0));
  EXPECT_EQ(modes[0].Coarse, C(-1.0, 10.0));
  EXPECT_TRUE(modes[0].Converged);  // 0.001 within a hundredth of 11
  EXPECT_EQ(modes[1].Lambda, C(-2.0, 30.0));
  EXPECT_FALSE(modes[1].Converged);  // the coarse grid has nothing near
  EXPECT_EQ(modes[2].Lambda, C(-3.5, 0.0));
  EXPECT_FALSE(modes[2].Converged);  // 0.5 beyond a hundredth of 4.5
}

TEST(MatchedModes, KeepsAtMostTheModesAsked) {
  const std::vector<C> spectrum{{-1.0, 1.0}, {-2.0, 2.0}, {-3.0, 3.0}};
  EXPECT_EQ(MatchedModes(spectrum, spectrum, 1.0, 100.0, 2).size(), 2u);
}

}  // namespace
}  // namespace vellmor
