#include "vellmor/inputs/number_conversion.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

#include "vellmor/inputs/user_number_format.h"

namespace vellmor {
namespace {

struct AcceptedCase {
  std::string text;
  char separator;
  double expected;
};

void PrintTo(const AcceptedCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ConvertNumberAccepts : public testing::TestWithParam<AcceptedCase> {};

TEST_P(ConvertNumberAccepts, ReadsTheNumber) {
  const AcceptedCase& c = GetParam();
  const std::optional<double> value = ConvertNumber(c.text, c.separator);
  ASSERT_TRUE(value.has_value()) << '"' << c.text << '"';
  EXPECT_EQ(*value, c.expected) << '"' << c.text << '"';
}

// Forms a user types into the fields, with the value each one stands for.
INSTANTIATE_TEST_SUITE_P(
    Forms, ConvertNumberAccepts,
    testing::Values(AcceptedCase{"5000", '.', 5000.0}, AcceptedCase{"  5000  ", '.', 5000.0},
                    AcceptedCase{"5E3", '.', 5000.0}, AcceptedCase{"5e3", '.', 5000.0},
                    AcceptedCase{"5E+3", '.', 5000.0}, AcceptedCase{"5E03", '.', 5000.0},
                    AcceptedCase{"5000.0", '.', 5000.0}, AcceptedCase{"+5000", '.', 5000.0},
                    AcceptedCase{"-32.5", '.', -32.5}, AcceptedCase{".5", '.', 0.5},
                    AcceptedCase{"5.", '.', 5.0}, AcceptedCase{"0.025", '.', 0.025},
                    AcceptedCase{"2.5E-2", '.', 0.025}, AcceptedCase{"007", '.', 7.0},
                    AcceptedCase{" -1.5e-1 ", '.', -0.15}, AcceptedCase{"0,025", ',', 0.025},
                    AcceptedCase{",5", ',', 0.5}, AcceptedCase{"0.1", '.', 0.1},
                    // Too small for a double: zero, or the smallest denormal 2^-1074.
                    AcceptedCase{"1E-400", '.', 0.0},
                    AcceptedCase{"4.9E-324", '.', std::numeric_limits<double>::denorm_min()},
                    AcceptedCase{"1E-99999999999999999999", '.', 0.0},
                    // The largest double itself still fits.
                    AcceptedCase{"1.7976931348623157E308", '.',
                                 std::numeric_limits<double>::max()}));

struct RejectedCase {
  std::string text;
  char separator;
};

void PrintTo(const RejectedCase& c, std::ostream* os) {
  *os << '"' << c.text.substr(0, 40) << (c.text.size() > 40 ? "...\"" : "\"");
}

class ConvertNumberRejects : public testing::TestWithParam<RejectedCase> {};

TEST_P(ConvertNumberRejects, IsNotANumber) {
  const RejectedCase& c = GetParam();
  EXPECT_EQ(ConvertNumber(c.text, c.separator), std::nullopt) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ConvertNumberRejects,
    testing::Values(RejectedCase{"", '.'}, RejectedCase{"   ", '.'}, RejectedCase{".", '.'},
                    RejectedCase{"5E", '.'}, RejectedCase{"5E+", '.'}, RejectedCase{"E5", '.'},
                    RejectedCase{"+", '.'}, RejectedCase{"- 5", '.'}, RejectedCase{"--5", '.'},
                    RejectedCase{"+-5", '.'}, RejectedCase{"1.2.3", '.'},
                    RejectedCase{"1e5.5", '.'}, RejectedCase{"5E3E3", '.'},
                    RejectedCase{"5 0", '.'}, RejectedCase{"5 E3", '.'}, RejectedCase{"0x10", '.'},
                    RejectedCase{"INF", '.'}, RejectedCase{"inf", '.'}, RejectedCase{"NAN", '.'},
                    RejectedCase{"nan", '.'},
                    RejectedCase{"\xEF\xBC\x95", '.'},  // full-width digit five
                    RejectedCase{"5,000", '.'},         // thousands separator
                    RejectedCase{"5000m", '.'},         // unit after the digits
                    RejectedCase{"abc", '.'}, RejectedCase{"\t5", '.'}, RejectedCase{"5\t", '.'},
                    RejectedCase{std::string("5\0", 2), '.'},  // a NUL must not end the field early
                    RejectedCase{"0.025", ','},  // the point is not the user's separator
                    RejectedCase{"1,2,3", ','},
                    // Beyond the largest double, though 1E400 fits the extended format.
                    RejectedCase{"1E400", '.'}, RejectedCase{"-1E400", '.'},
                    RejectedCase{"1E5000", '.'}, RejectedCase{"1.8E308", '.'},
                    RejectedCase{"1E99999999999999999999", '.'}));

// 1 + 2^-53 + 2^-66 written out exactly. Extended precision keeps 64 bits, so it is first
// rounded to 1 + 2^-53, a tie between the doubles 1 and 1 + 2^-52 that goes to the even 1.
// Rounding the text straight to double would give 1 + 2^-52.
TEST(ConvertNumber, RoundsToExtendedPrecisionThenToDouble) {
  const std::optional<double> value =
      ConvertNumber("1.000000000000000111035854989671722847788259969092905521392822265625", '.');
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(*value, 1.0);
}

TEST(ConvertNumber, HandlesVeryLongDigitStrings) {
  // 20000 zeros scaled back by the exponent: exactly one.
  EXPECT_EQ(ConvertNumber("1" + std::string(20000, '0') + "E-20000", '.'), 1.0);
  EXPECT_EQ(ConvertNumber("0." + std::string(20000, '0') + "1E20001", '.'), 1.0);
  // An exponent padded with 10000 zeros.
  EXPECT_EQ(ConvertNumber("1E" + std::string(10000, '0') + "1", '.'), 10.0);
  // 400 digits are beyond the largest double.
  EXPECT_EQ(ConvertNumber(std::string(400, '9'), '.'), std::nullopt);
  EXPECT_EQ(ConvertNumber(std::string(100000, '1') + "x", '.'), std::nullopt);
}

// A run checks the overflow flag after its arithmetic; reading a field that overflowed must
// not leave the flag raised, nor clear one raised before.
TEST(ConvertNumber, LeavesFloatingPointFlagsAndErrnoAsFound) {
  std::feclearexcept(FE_ALL_EXCEPT);
  errno = 0;
  EXPECT_EQ(ConvertNumber("1E400", '.'), std::nullopt);
  EXPECT_EQ(ConvertNumber("1E5000", '.'), std::nullopt);
  EXPECT_EQ(ConvertNumber("1E-400", '.'), 0.0);
  EXPECT_TRUE(ConvertNumber("4.9E-324", '.').has_value());
  EXPECT_TRUE(ConvertNumber("0.1", '.').has_value());
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
  EXPECT_EQ(errno, 0);

  std::feraiseexcept(FE_DIVBYZERO);
  EXPECT_EQ(ConvertNumber("5000", '.'), 5000.0);
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), FE_DIVBYZERO);
  std::feclearexcept(FE_ALL_EXCEPT);
}

// Sets an environment variable for one test and puts back what was there.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnvironment() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(UserDecimalSeparator, IsThePointOfTheCLocale) {
  const ScopedEnvironment lc_all("LC_ALL", "C");
  EXPECT_EQ(UserDecimalSeparator(), '.');
}

TEST(UserDecimalSeparator, FallsBackToThePointForAnUnknownLocale) {
  const ScopedEnvironment lc_all("LC_ALL", "xx_NOWHERE.UTF-8");
  EXPECT_EQ(UserDecimalSeparator(), '.');
}

TEST(UserDecimalSeparator, LeavesTheProcessLocaleAlone) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  const ScopedEnvironment lc_all("LC_ALL", "C.UTF-8");
  UserDecimalSeparator();
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
}

}  // namespace
}  // namespace vellmor
