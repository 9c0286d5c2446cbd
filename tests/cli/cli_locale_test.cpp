// The runner under a locale whose decimal separator is a comma: the defaults, the options and
// the result file all use the comma, and the numbers are those of the point locale.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "cli_process.h"
#include "support/comma_locale.h"
#include "support/test_support.h"

namespace vellmor::cli_test {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

class CommaLocaleTest : public CliTest {
 protected:
  void SetUp() override {
    std::string why;
    const auto locale_path = test::CompileCommaLocale(scratch_ / "locales", why);
    if (!locale_path) GTEST_SKIP() << why;
    comma_.Environment = {"LOCPATH=" + locale_path->string(),
                          std::string("LC_ALL=") + test::kCommaLocale};
  }

  TCliSetting comma_;
};

std::string WithPoints(std::string text) {
  std::replace(text.begin(), text.end(), ',', '.');
  return text;
}

TEST_F(CommaLocaleTest, DefaultCaseWritesCommasAndTheSameNumbers) {
  ASSERT_EQ(Run({"-o", "point.txt"}).ExitStatus, 0);
  const TCliRun run = Run({"-o", "comma.txt"}, comma_);
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::string comma_file = ReadBytes(work_ / "comma.txt");
  EXPECT_NE(comma_file.find("    Hole Diameter                        (cm) =  0,0250\r\n"),
            std::string::npos);
  EXPECT_EQ(comma_file.find('.', comma_file.find("[RESULTS]")), comma_file.find(".s."));
  EXPECT_EQ(WithPoints(comma_file), ReadBytes(work_ / "point.txt"));
  EXPECT_NE(run.Out.find("(take-up 5000,0 m/min"), std::string::npos) << run.Out;
}

// The summary's line in the user's separator; the converged profile, for scripts, with points.
TEST_F(CommaLocaleTest, AccuracyLineHasCommasAndTheCsvPoints) {
  const TCliRun run = Run({"--converged-csv", "converged.csv"}, comma_);
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_NE(run.Out.find("Converged solution: spinneret tension 40,437 dyn; this increment's "
                         "result is 9,8 % low; an increment of 0,08 cm would be within 1 %"),
            std::string::npos)
      << run.Out;
  const std::string csv = ReadBytes(work_ / "converged.csv");
  EXPECT_NE(csv.find("\n0,5.382701847621535,40.43676"), std::string::npos) << csv;
}

TEST_F(CommaLocaleTest, OptionsTakeTheCommaAndRefuseThePoint) {
  const TCliRun comma = Run({"--take-up-speed=4000,0"}, comma_);
  EXPECT_EQ(comma.ExitStatus, 0) << comma.Err;
  EXPECT_EQ(ResultLines()[4], "    Take-up Speed                     (m/min) =  4000,0");
  // No guessing: under a comma locale a point is not a decimal separator.
  const TCliRun point = Run({"--take-up-speed=4000.0"}, comma_);
  EXPECT_EQ(point.ExitStatus, 1);
  EXPECT_EQ(point.Err, "vellmor-cli: Input value is not correct!\n");
}

TEST_F(CommaLocaleTest, HelpShowsTheDefaultsWithCommas) {
  const TCliRun help = Run({"--help"}, comma_);
  ASSERT_EQ(help.ExitStatus, 0);
  EXPECT_NE(help.Out.find("0,025"), std::string::npos) << help.Out;
  EXPECT_EQ(help.Out.find("0.025"), std::string::npos) << help.Out;
}

}  // namespace
}  // namespace vellmor::cli_test
