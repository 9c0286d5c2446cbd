#include "vellmor/base/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vellmor {
namespace {

// The grammar of an input field, with the separator given: what it takes and what it refuses.
TEST(SplitNumberText, TakesTheFieldGrammarAndNothingElse) {
  const std::optional<TNumberParts> full = SplitNumberText("  -12,5e+3 ", ',');
  ASSERT_TRUE(full.has_value());
  EXPECT_TRUE(full->Negative);
  EXPECT_EQ(full->Whole, "12");
  EXPECT_EQ(full->Fraction, "5");
  EXPECT_FALSE(full->NegativeExponent);
  EXPECT_EQ(full->Exponent, "3");

  for (const char* taken : {"5", "+5", ".5", "5.", "0.0", "1e-5", "1E5", " 7 "}) {
    EXPECT_TRUE(SplitNumberText(taken, '.').has_value()) << taken;
  }
  for (const char* refused : {"", " ", ".", "-", "+.", "e5", "1e", "1e+", "1.2.3", "1 2", "1,5",
                              "\t1", "1e5.0", "0x10", "inf", "nan", "1_000"}) {
    EXPECT_FALSE(SplitNumberText(refused, '.').has_value()) << refused;
  }
}

// One rule for every writer: the shortest round trip with a point, and nothing for a value
// that is not finite.
TEST(ShortestText, RoundTripsWithAPointAndHasNoTextForNonFinite) {
  EXPECT_EQ(ShortestText(0.1), "0.1");
  EXPECT_EQ(ShortestText(1.0 / 3.0), "0.3333333333333333");
  EXPECT_EQ(ShortestText(1e-7), "1e-07");
  EXPECT_EQ(ShortestText(-0.0), "-0");
  EXPECT_EQ(ShortestText(2.0), "2");
  EXPECT_EQ(ShortestText(std::numeric_limits<double>::infinity()), std::nullopt);
  EXPECT_EQ(ShortestText(-std::numeric_limits<double>::infinity()), std::nullopt);
  EXPECT_EQ(ShortestText(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
}

// Rounded to nearest on the double's exact value: 2.5 and 0.125 are exact ties, which go to
// the even digit; 0.15 is a little below 0.15.
TEST(FixedPointText, RoundsTheExactValueToNearest) {
  EXPECT_EQ(FixedPointText(2.5, 0), "2");
  EXPECT_EQ(FixedPointText(0.125, 2), "0.12");
  EXPECT_EQ(FixedPointText(0.15, 1), "0.1");
  EXPECT_EQ(FixedPointText(36.4771128, 3), "36.477");
  EXPECT_EQ(FixedPointText(-100.0, 1), "-100.0");
  EXPECT_EQ(FixedPointText(1e300, 1).size(), 303u);
}

TEST(ScaledIntegerText, WritesTheDecimalExactly) {
  EXPECT_EQ(ScaledIntegerText(-50, 2, ','), "-0,50");
  EXPECT_EQ(ScaledIntegerText(3, 1, '.'), "0.3");
  EXPECT_EQ(ScaledIntegerText(5000, 0, '.'), "5000");
  EXPECT_EQ(ScaledIntegerText(std::numeric_limits<std::int64_t>::min(), 3, '.'),
            "-9223372036854775.808");
}

}  // namespace
}  // namespace vellmor
