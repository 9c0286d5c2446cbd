#include "vellmor/sweep/vary_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellmor {
namespace {

using Texts = std::vector<std::string>;

// The values of a range; the test fails when it is refused.
Texts Range(const char* range, char separator = '.') {
  const auto values = ExpandRange(range, separator);
  if (const auto* problem = std::get_if<TSweepProblem>(&values)) {
    ADD_FAILURE() << range << ": " << problem->Message;
    return {};
  }
  return std::get<Texts>(values);
}

// The problem of a refused --vary; empty when it was accepted.
std::string VaryProblem(const char* vary, char separator = '.') {
  const auto varied = ParseVary(vary, separator);
  const auto* problem = std::get_if<TSweepProblem>(&varied);
  return problem != nullptr ? problem->Subject + ": " + problem->Message : std::string();
}

// The expected texts are written out by hand: start + i × step in decimal arithmetic.
TEST(ExpandRange, InclusiveWithTheDecimalsOfStartOrStep) {
  EXPECT_EQ(Range("3000:6000:500"),
            (Texts{"3000", "3500", "4000", "4500", "5000", "5500", "6000"}));
  // In binary, 0.1 + 0.1 + 0.1 > 0.3 and (0.3 − 0.1) / 0.1 < 2: neither may lose the 0.3.
  EXPECT_EQ(Range("0.1:0.3:0.1"), (Texts{"0.1", "0.2", "0.3"}));
  EXPECT_EQ(Range("0:1:0.25"), (Texts{"0.00", "0.25", "0.50", "0.75", "1.00"}));
  EXPECT_EQ(Range("0.05:0.3:0.1"), (Texts{"0.05", "0.15", "0.25"}));
  EXPECT_EQ(Range("0:1:0.3"), (Texts{"0.0", "0.3", "0.6", "0.9"}));  // stop not met exactly
  EXPECT_EQ(Range("50:20:-15"), (Texts{"50", "35", "20"}));
  EXPECT_EQ(Range("-1:1:1"), (Texts{"-1", "0", "1"}));
  EXPECT_EQ(Range("7:7:2"), (Texts{"7"}));
  EXPECT_EQ(Range("1e3:3e3:1E3"), (Texts{"1000", "2000", "3000"}));
  EXPECT_EQ(Range("0.6:0.8:1e-1"), (Texts{"0.6", "0.7", "0.8"}));
  EXPECT_EQ(Range(" 1 : 2 : 1 "), (Texts{"1", "2"}));  // blanks as a field allows them
}

// The generated texts must read back with the run's conversion, which uses the user's
// separator; the bounds may be typed either way.
TEST(ExpandRange, CommaLocaleWritesCommas) {
  EXPECT_EQ(Range("0,1:0,3:0,1", ','), (Texts{"0,1", "0,2", "0,3"}));
  EXPECT_EQ(Range("0.1:0.3:0.1", ','), (Texts{"0,1", "0,2", "0,3"}));
}

TEST(ExpandRange, RefusesWhatIsNoRange) {
  EXPECT_EQ(VaryProblem("take-up-speed=3000:6000:0"),
            "take-up-speed=3000:6000:0: the step is zero");
  EXPECT_EQ(VaryProblem("take-up-speed=3000:6000:-500"),
            "take-up-speed=3000:6000:-500: the step goes away from stop");
  EXPECT_EQ(VaryProblem("take-up-speed=3000:6000"),
            "take-up-speed=3000:6000: a range is start:stop:step");
  EXPECT_EQ(VaryProblem("take-up-speed=3000:x:5"),
            "take-up-speed=3000:x:5: stop 'x' is not a number of at most 18 digits");
  // Under the point, a comma is no separator.
  EXPECT_NE(VaryProblem("increment=0,1:0,3:0,1"), "");
  EXPECT_EQ(VaryProblem("take-up-speed=0:1e9:0.001"),
            "take-up-speed=0:1e9:0.001: the range has more than 10000000 values");
  EXPECT_EQ(VaryProblem("take-up-speed=0:1e30:1"),
            "take-up-speed=0:1e30:1: the range is too wide for 18 digits");
}

TEST(ParseVary, ListTextsAreTakenAsTyped) {
  const auto varied = ParseVary("zone2-air-velocity=20, 50,8E1", '.');
  ASSERT_TRUE(std::holds_alternative<TVariedOption>(varied));
  EXPECT_EQ(std::get<TVariedOption>(varied).Column.Name(), "zone2_air_velocity");
  EXPECT_EQ(std::get<TVariedOption>(varied).Texts, (Texts{"20", " 50", "8E1"}));

  const auto semicolons = ParseVary("increment=0,5;1,0", ',');
  ASSERT_TRUE(std::holds_alternative<TVariedOption>(semicolons));
  EXPECT_EQ(std::get<TVariedOption>(semicolons).Texts, (Texts{"0,5", "1,0"}));
}

TEST(ParseVary, RefusesMalformedOptions) {
  EXPECT_EQ(VaryProblem("take-up=1,2"),
            "take-up=1,2: 'take-up' is neither an input nor a card key");
  EXPECT_EQ(VaryProblem("take-up-speed"), "take-up-speed: expected OPTION=LIST");
  EXPECT_EQ(VaryProblem("take-up-speed="), "take-up-speed=: the list of values is empty");
  EXPECT_EQ(VaryProblem("take-up-speed=1,,2"), "take-up-speed=1,,2: value 2 is empty");
  EXPECT_EQ(VaryProblem("save-file=a,b"),
            "save-file=a,b: the sweep names each case's result file itself");
  EXPECT_NE(VaryProblem("take-up-speed=1\n2"), "");
  // 0,5,1,0 under a decimal comma could be two values or four.
  EXPECT_EQ(VaryProblem("increment=0,5,1,0", ','),
            "increment=0,5,1,0: the decimal separator is the comma here, so separate the "
            "values with ';' (for example 0,5;1,0)");
}

}  // namespace
}  // namespace vellmor
