#include "vellmor/report/format_fixed.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>

#include "vellmor/report/format_right.h"

namespace vellmor {
namespace {

struct FixedCase {
  double value;
  int precision;
  int decimals;
  std::string text;
};

std::ostream& operator<<(std::ostream& out, const FixedCase& c) {
  return out << c.value << " p" << c.precision << " d" << c.decimals << " -> " << c.text;
}

class FormatFixedTable : public testing::TestWithParam<FixedCase> {};

TEST_P(FormatFixedTable, GivesTheTextOfTheReportLayout) {
  const FixedCase& c = GetParam();
  EXPECT_EQ(FormatFixed(c.value, c.precision, c.decimals), c.text);
}

// The examples of the report's number format, with the reason for each in its own words.
INSTANTIATE_TEST_SUITE_P(
    ReportExamples, FormatFixedTable,
    testing::Values(FixedCase{0.025, 6, 4, "0.0250"}, FixedCase{5000.0, 6, 1, "5000.0"},
                    FixedCase{16087.5, 10, 2, "16087.50"}, FixedCase{-32.5, 9, 4, "-32.5000"},
                    FixedCase{0.67, 5, 3, "0.670"},
                    // Half away from zero in the kept place.
                    FixedCase{0.125, 5, 2, "0.13"},
                    // The double nearest 0.35 lies below it.
                    FixedCase{0.35, 5, 1, "0.3"},
                    // No digit kept, the first dropped one rounds up.
                    FixedCase{0.05, 4, 1, "0.1"}, FixedCase{-0.04, 5, 1, "0.0"},
                    FixedCase{-0.06, 5, 1, "-0.1"}, FixedCase{1234.56, 5, 1, "1234.6"},
                    // Five digits kept, the integer part filled with 0.
                    FixedCase{12345.6, 5, 1, "12346.0"}, FixedCase{123456.7, 5, 1, "1.2346E5"},
                    // The carry runs out of the first digit: 1, E + 1.
                    FixedCase{99999.96, 5, 1, "1E5"}, FixedCase{1234.56789, 7, 4, "1234.5680"},
                    FixedCase{12345678.9, 7, 4, "1.234568E0007"}));

// Corners worked out by hand from the rounding and exponent rules.
INSTANTIATE_TEST_SUITE_P(
    Corners, FormatFixedTable,
    testing::Values(
        // The F column (width 8, 3 decimals): exponent padded to three digits.
        FixedCase{123456789.0, 8, 3, "1.2345679E008"},
        // More than four decimals: the exponent takes only the digits it needs.
        FixedCase{123456789.0, 8, 5, "1.2345679E8"}, FixedCase{123456789.0, 8, 0, "1.2345679E8"},
        // Kept digits that all round away leave a single digit and no separator.
        FixedCase{1000000.0, 5, 1, "1E6"},
        // A carry inside fixed form lengthens the integer part.
        FixedCase{9.96, 5, 1, "10.0"}, FixedCase{0.96, 5, 0, "1"}, FixedCase{0.4, 5, 0, "0"},
        // E equal to the precision is still fixed form.
        FixedCase{99999.4, 5, 1, "99999.0"},
        // Far below the last decimal: no digit survives, no sign.
        FixedCase{-1e-30, 5, 2, "0.00"}, FixedCase{5e-324, 18, 18, "0.000000000000000000"},
        // Leading fraction zeros, then the kept digits, then zeros.
        FixedCase{0.0012, 8, 5, "0.00120"}, FixedCase{0.0000049, 8, 5, "0.00000"},
        FixedCase{0.000005, 8, 5, "0.00001"},
        // 52429 / 2^19 = 0.1000003814697265625 exactly: its 19th digit is a tie, which goes
        // to the even 18th digit (2), not up to 3.
        FixedCase{52429.0 / 524288.0, 18, 18, "0.100000381469726562"},
        // Precision held to 2 … 18, decimals to 0 or more.
        FixedCase{123.0, 1, 1, "1.2E2"}, FixedCase{2.5, 5, -3, "3"},
        FixedCase{123456789012345678.0, 30, 0, "123456789012345680"},
        FixedCase{-std::numeric_limits<double>::max(), 10, 2, "-1.797693135E308"}));

TEST(FormatFixed, NonFiniteValuesAreNamed) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(FormatFixed(inf, 8, 3), "INF");
  EXPECT_EQ(FormatFixed(-inf, 8, 3), "-INF");
  EXPECT_EQ(FormatFixed(nan, 8, 3), "NAN");
  EXPECT_EQ(FormatFixed(-nan, 8, 3), "NAN");
}

TEST(FormatFixed, NegativeZeroHasNoSign) {
  EXPECT_EQ(FormatFixed(-0.0, 5, 1), "0.0");
  EXPECT_EQ(FormatFixed(-0.0, 5, 0), "0");
  EXPECT_EQ(FormatFixed(0.0, 8, 5), "0.00000");
}

TEST(FormatFixed, UsesTheGivenDecimalSeparator) {
  EXPECT_EQ(FormatFixed(-32.5, 9, 4, ','), "-32,5000");
  EXPECT_EQ(FormatFixed(123456.7, 5, 1, ','), "1,2346E5");
  EXPECT_EQ(FormatFixed(0.0, 5, 2, ','), "0,00");
  EXPECT_EQ(FormatFixed(1E6, 5, 1, ','), "1E6");
}

struct RightCase {
  int width;
  int decimals;
  double value;
  std::string text;
};

std::ostream& operator<<(std::ostream& out, const RightCase& c) {
  return out << c.value << " w" << c.width << " d" << c.decimals << " -> '" << c.text << "'";
}

class FormatRightTable : public testing::TestWithParam<RightCase> {};

TEST_P(FormatRightTable, FillsOnlyTextsOfThreeToWidthCharacters) {
  const RightCase& c = GetParam();
  EXPECT_EQ(FormatRight(c.width, c.decimals, c.value), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, FormatRightTable,
    testing::Values(RightCase{5, 1, 0.0, "  0.0"}, RightCase{5, 1, 100.0, "100.0"},
                    // Wider than the column: whole, never cut.
                    RightCase{5, 1, 1000.0, "1000.0"}, RightCase{8, 3, 12345.67, "12345.670"},
                    RightCase{8, 3, -999.999, "-999.999"}, RightCase{7, 4, 0.000049, " 0.0000"},
                    // Width is the precision: eight integer digits go to exponent form.
                    RightCase{8, 3, 123456789.0, "1.2345679E008"},
                    // One or two characters are never filled; three are.
                    RightCase{5, 0, 7.0, "7"}, RightCase{4, 0, 12.0, "12"},
                    RightCase{4, 0, -12.0, " -12"}, RightCase{7, 4, 1e30, " 1E0030"},
                    RightCase{7, 1, std::numeric_limits<double>::infinity(), "    INF"}));

TEST(FormatRight, PassesTheDecimalSeparatorOn) {
  EXPECT_EQ(FormatRight(7, 1, 8.88, ','), "    8,9");
}

}  // namespace
}  // namespace vellmor
