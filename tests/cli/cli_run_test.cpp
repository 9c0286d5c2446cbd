// vellmor-cli started as a user starts it, in a scratch directory of its own.

#include <gtest/gtest.h>
#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "support/test_support.h"

namespace vellmor::cli_test {
using test::CrLfLines;
using test::ReadBytes;
namespace {

namespace fs = std::filesystem;

// Header lines of the result file, from the worked example of the default header.
constexpr const char* kTakeUpSpeed5000 = "    Take-up Speed                     (m/min) =  5000.0";
constexpr const char* kTakeUpSpeed4000 = "    Take-up Speed                     (m/min) =  4000.0";
constexpr const char* kZone1A2Default = "        A2                                    =  -32.5000";

// 41 header lines, one row per point (0 to 100 cm by 1 cm: 101), two empty lines.
constexpr std::size_t kDefaultLineCount = 144;
constexpr std::size_t kHeaderLineCount = 41;

// The velocity column (bytes 8 to 14) of a table row, in m/min.
double RowVelocity(const std::string& row) { return std::stod(row.substr(7, 7)); }

TEST_F(CliTest, DefaultCaseWritesTheResultFileInTheCurrentDirectory) {
  const TCliRun run = Run({});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  const std::vector<std::string> lines = ResultLines();
  ASSERT_EQ(lines.size(), kDefaultLineCount);
  EXPECT_EQ(lines[4], kTakeUpSpeed5000);
  // The accepted pass meets the take-up speed within 0.1 % at the last point.
  EXPECT_NEAR(RowVelocity(lines[kDefaultLineCount - 3]), 5000.0, 5.0);
  EXPECT_NE(run.Out.find("(take-up 5000.0 m/min"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("Result file:        result.txt\n"), std::string::npos) << run.Out;
}

TEST_F(CliTest, ChangedTakeUpSpeedIsTheOneCalculated) {
  const TCliRun run = Run({"--take-up-speed", "4000"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = ResultLines();
  ASSERT_EQ(lines.size(), kDefaultLineCount);
  EXPECT_EQ(lines[4], kTakeUpSpeed4000);
  EXPECT_NEAR(RowVelocity(lines[kDefaultLineCount - 3]), 4000.0, 4.0);
  EXPECT_NE(run.Out.find("(take-up 4000.0 m/min"), std::string::npos) << run.Out;
}

TEST_F(CliTest, SaveFileOptionNamesTheResultFile) {
  const TCliRun run = Run({"-o", "case 2.txt"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_EQ(ResultLines("case 2.txt").size(), kDefaultLineCount);
  EXPECT_FALSE(fs::exists(work_ / "result.txt"));
  EXPECT_NE(run.Out.find("Result file:        case 2.txt\n"), std::string::npos) << run.Out;
}

// The default case's passes, from the worked example of the tension search: eleven passes,
// starting at 25 dyn; the sixth (37.5 dyn) runs away at point 31, the seventh at point 48.
TEST_F(CliTest, VerboseReportsEveryPassAsItEnds) {
  const TCliRun run = Run({"--verbose"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  std::vector<std::string> passes;
  std::istringstream out(run.Out);
  for (std::string line; std::getline(out, line);) {
    if (line.starts_with("pass ")) passes.push_back(line);
  }
  ASSERT_EQ(passes.size(), 11u) << run.Out;
  EXPECT_TRUE(passes[0].starts_with("pass 1: tension 25.000 dyn, final velocity ")) << passes[0];
  EXPECT_TRUE(passes[5].starts_with("pass 6: tension 37.500 dyn, ")) << passes[5];
  EXPECT_TRUE(passes[5].ends_with(", ran away at point 31")) << passes[5];
  EXPECT_TRUE(passes[6].ends_with(", ran away at point 48")) << passes[6];
  EXPECT_EQ(passes[10].find("ran away"), std::string::npos) << passes[10];
  EXPECT_NE(run.Out.find("Converged after 11 passes\n"), std::string::npos) << run.Out;
}

// Values are handed on exactly as typed, whatever their first character.
struct TypedValueCase {
  const char* name;
  Arguments arguments;
  std::size_t header_line;  // 1-based
  const char* expected_line;
};

void PrintTo(const TypedValueCase& c, std::ostream* out) { *out << c.name; }

class CliTypedValueTest : public CliTest, public testing::WithParamInterface<TypedValueCase> {};

TEST_P(CliTypedValueTest, IsAcceptedAndReported) {
  const TCliRun run = Run(GetParam().arguments);
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = ResultLines();
  ASSERT_EQ(lines.size(), kDefaultLineCount);
  EXPECT_EQ(lines[GetParam().header_line - 1], GetParam().expected_line);
}

INSTANTIATE_TEST_SUITE_P(
    Values, CliTypedValueTest,
    testing::Values(
        TypedValueCase{"NegativeAsSeparateArgument", {"--zone1-a2", "-32.5"}, 14, kZone1A2Default},
        TypedValueCase{"NegativeAfterEquals", {"--zone1-a2=-32.5"}, 14, kZone1A2Default},
        TypedValueCase{"BlanksAndExponent", {"--take-up-speed", " 4E3 "}, 5, kTakeUpSpeed4000}),
    [](const auto& info) { return info.param.name; });

// A refused case prints the one message on standard error and leaves an earlier result file
// byte for byte as it was.
struct RefusalCase {
  const char* name;
  Arguments arguments;
  const char* message;
};

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

class CliRefusalTest : public CliTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(CliRefusalTest, PrintsTheMessageAndLeavesTheFileAlone) {
  const std::string earlier = "earlier result\r\n";
  std::ofstream(work_ / "result.txt", std::ios::binary) << earlier;
  const TCliRun run = Run(GetParam().arguments);
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Err, "vellmor-cli: " + std::string(GetParam().message) + "\n");
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(ReadBytes(work_ / "result.txt"), earlier);
}

constexpr const char* kNotANumber = "Input value is not correct!";

INSTANTIATE_TEST_SUITE_P(
    Inputs, CliRefusalTest,
    testing::Values(
        RefusalCase{
            "HoleDiameterZero", {"--hole-diameter", "0"}, "Value of Hole Diameter is not correct"},
        RefusalCase{"HoleDiameterNegative",
                    {"--hole-diameter=-0.025"},
                    "Value of Hole Diameter is not correct"},
        RefusalCase{"EmptyAfterEquals", {"--hole-diameter="}, kNotANumber},
        RefusalCase{"EmptySeparateArgument", {"--hole-diameter", ""}, kNotANumber},
        // The empty value must not swallow the option that follows it.
        RefusalCase{
            "EmptyBeforeAnotherOption", {"--hole-diameter=", "--take-up-speed", "0"}, kNotANumber},
        RefusalCase{"ConversionBeforeAnyCheck",
                    {"--hole-diameter", "0", "--increment", "abc"},
                    kNotANumber},
        RefusalCase{"DashAndLettersIsAValue", {"--increment", "-abc"}, kNotANumber},
        RefusalCase{"ThousandsSeparator", {"--take-up-speed", "5,000"}, kNotANumber},
        RefusalCase{"Zone2AirVelocityNegative",
                    {"--zone2-air-velocity", "-1"},
                    "Value of 2nd Zone Air Velocity is not correct"},
        RefusalCase{"IvAtUpperBound", {"--iv", "0.9"}, "IV is not in the proper range of value"},
        RefusalCase{"EmptySaveFileName", {"--save-file="}, "Save File Name is not correct"},
        RefusalCase{"MissingDirectory",
                    {"-o", "no such dir/result.txt"},
                    "File can not open!\n"
                    "vellmor-cli: no such dir/result.txt: No such file or directory"}),
    [](const auto& info) { return info.param.name; });

// The air-temperature hyperbola of zone 1 with A2 = 0 has its pole at the spinneret: the
// division by zero ends the run after the header was written.
TEST_F(CliTest, ArithmeticFailureExitsWithTwoAndLeavesTheHeaderOnly) {
  const TCliRun run = Run({"--zone1-a2", "0"});
  EXPECT_EQ(run.ExitStatus, 2);
  EXPECT_EQ(run.Err,
            "vellmor-cli: Calculation stopped: floating-point division by zero at x = 0.0 cm in "
            "pass 1 "
            "(spinneret tension 25.000 dyn)\n");
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(ResultLines().size(), kHeaderLineCount);
}

// A mistyped command is a usage error (64), never a refused case or a failed calculation; it
// says so after the program's name and points to --help.
TEST_F(CliTest, UsageErrorsExit64WithoutTouchingTheFile) {
  for (const Arguments& arguments :
       {Arguments{"--take-up-sped=4000"}, Arguments{"--hole-diameter"}, Arguments{"stray"}}) {
    const TCliRun run = Run(arguments);
    EXPECT_EQ(run.ExitStatus, 64) << arguments[0];
    EXPECT_TRUE(run.Err.starts_with("vellmor-cli: ")) << run.Err;
    EXPECT_NE(run.Err.find("--help"), std::string::npos) << run.Err;
  }
  EXPECT_TRUE(fs::is_empty(work_));
}

// --quiet leaves the summary out, never a message: the result file as without it.
TEST_F(CliTest, QuietRunPrintsNoSummaryButItsMessages) {
  const TCliRun quiet = Run({"--quiet", "--accuracy"});
  EXPECT_EQ(quiet.ExitStatus, 0);
  EXPECT_EQ(quiet.Out, "");
  EXPECT_EQ(quiet.Err, "");
  EXPECT_EQ(ResultLines().size(), 144u);
  const TCliRun refused = Run({"-q", "--take-up-speed", "0"});
  EXPECT_EQ(refused.ExitStatus, 1);
  EXPECT_EQ(refused.Err, "vellmor-cli: Value of Take-up Speed is not correct\n");
}

// As GNU tools do, an option given twice takes its last value, in the subcommands too.
TEST_F(CliTest, RepeatedOptionTakesTheLastValue) {
  const TCliRun twice = Run({"--take-up-speed", "3000", "--take-up-speed", "4000", "--json", "-"});
  ASSERT_EQ(twice.ExitStatus, 0) << twice.Err;
  EXPECT_NE(twice.Out.find("\"take_up_speed\": {\n      \"text\": \"4000\""), std::string::npos)
      << twice.Out.substr(0, 400);
  const TCliRun solve = Run({"solve", "--points", "3", "--points", "2", "--csv", "-"});
  ASSERT_EQ(solve.ExitStatus, 0) << solve.Err;
  EXPECT_EQ(std::count(solve.Out.begin(), solve.Out.end(), '\n'), 3);  // header and two points
}

// An option followed by another option has lost its value; the message names it instead of
// refusing "--increment" as a number. A negative number as a separate argument is a value.
TEST_F(CliTest, OptionFollowedByAnOptionLacksItsValue) {
  const TCliRun run = Run({"--hole-diameter", "--increment", "0.5"});
  EXPECT_EQ(run.ExitStatus, 64);
  EXPECT_EQ(run.Err.rfind("vellmor-cli: --hole-diameter needs a value, but is followed by "
                          "--increment\n",
                          0),
            0u)
      << run.Err;
  EXPECT_TRUE(fs::is_empty(work_));
  EXPECT_EQ(Run({"--zone2-a2", "-8", "--increment", "2"}).ExitStatus, 0);
}

// Every input option --help lists ("--name TEXT=default") is accepted and reaches the field
// of its name, as the JSON export echoes the texts a run read; none is listed without its
// default.
TEST_F(CliTest, EveryOptionHelpListsReachesItsField) {
  const TCliRun help = Run({"--help"});
  ASSERT_EQ(help.ExitStatus, 0);
  Arguments arguments{"--json", "run.json"};
  std::vector<std::pair<std::string, std::string>> given;
  std::istringstream lines(help.Out);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t dashes = line.find("--");
    const std::size_t text = line.find(" TEXT=");
    if (dashes == std::string::npos || text == std::string::npos || text < dashes) continue;
    const std::string name = line.substr(dashes + 2, text - dashes - 2);
    const std::string value = std::to_string(given.size() + 1) + ".5";  // a text of its own
    given.emplace_back(name, value);
    arguments.push_back("--" + name + "=" + value);
  }
  ASSERT_EQ(given.size(), 19u) << help.Out;  // the window's nineteen fields

  Run(arguments);
  const auto json = nlohmann::json::parse(ReadBytes(work_ / "run.json"));
  for (const auto& [name, value] : given) {
    // The document names each input by its key: the option with '_' for '-'.
    std::string key = name;
    std::replace(key.begin(), key.end(), '-', '_');
    EXPECT_EQ(json["inputs"][key]["text"], value) << name;
  }
}

}  // namespace
}  // namespace vellmor::cli_test
