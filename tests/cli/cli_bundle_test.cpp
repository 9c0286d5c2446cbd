// vellmor-cli bundle as a user runs it: the per-row table, the JSON and CSV documents, the
// rows given by option or by the card, and the exit statuses of solve.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "cli_process.h"
#include "support/test_support.h"

namespace vellmor::cli_test {
namespace {

using Json = nlohmann::json;

// The default case from an independent fixed-step integration (as for solve): row 1.
constexpr double kTension = 40.4367662686;      // dyn
constexpr double kFreezePoint = 62.3341500148;  // cm

TEST_F(CliTest, BundleJsonHasEveryRowTheAirTheSpreadAndTheBalance) {
  const TCliRun run = Run({"bundle", "--bundle-rows", "3", "--points", "11", "--json", "-"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  // The JSON takes standard output; the table moves to standard error.
  EXPECT_NE(run.Err.find("Spread (first / last row"), std::string::npos) << run.Err;
  const Json json = Json::parse(run.Out);
  EXPECT_EQ(json["status"], "succeeded");
  ASSERT_EQ(json["rows"].size(), 3u);
  EXPECT_NEAR(json["rows"][0]["spinneret_tension_dyn"].get<double>(), kTension, 1e-7);
  EXPECT_NEAR(json["rows"][0]["freeze_point_cm"].get<double>(), kFreezePoint, 1e-6);
  EXPECT_EQ(json["rows"][2]["profile"]["x_cm"].size(), 11u);
  EXPECT_GT(json["rows"][2]["freeze_point_cm"].get<double>(),
            json["rows"][0]["freeze_point_cm"].get<double>());
  // Zone 2 alone blows across the line: its air met by each row and leaving the last.
  ASSERT_EQ(json["air"].size(), 1u);
  EXPECT_EQ(json["air"][0]["zone"], 2);
  EXPECT_EQ(json["air"][0]["temperature_C"].size(), 4u);
  EXPECT_EQ(json["air"][0]["x_cm"][0], 10.0);
  EXPECT_EQ(json["spread"]["freeze_point_cm"]["first"], json["rows"][0]["freeze_point_cm"]);
  EXPECT_EQ(json["spread"]["freeze_point_cm"]["last"], json["rows"][2]["freeze_point_cm"]);
  EXPECT_TRUE(json["spread"]["birefringence"].is_null());
  EXPECT_LT(std::fabs(json["energy_balance"]["relative_difference"].get<double>()), 1e-6);
  EXPECT_EQ(json["model"]["bundle"]["rows"], 3.0);
  EXPECT_TRUE(std::filesystem::is_empty(work_));
}

// --bundle-rows is the card's bundle.rows; with the structure, the table gains its columns
// and the CSV holds every row's profile.
TEST_F(CliTest, BundleRowsFromTheCardWithTheStructure) {
  const TCliRun run = Run({"bundle", "--model-set", "bundle.rows=2", "--structure", "--points", "3",
                           "--csv", "rows.csv"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_NE(run.Out.find("birefr-"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("Birefringence:"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("relative difference"), std::string::npos) << run.Out;
  const std::vector<std::string> lines = test::LfLines(test::ReadBytes(work_ / "rows.csv"));
  ASSERT_EQ(lines.size(), 1u + 2u * 3u);
  EXPECT_EQ(lines[0].rfind("row,x_cm,", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("birefringence"), std::string::npos);
  EXPECT_EQ(lines[1].rfind("1,0,", 0), 0u) << lines[1];
  EXPECT_EQ(lines[6].rfind("2,100,", 0), 0u) << lines[6];
}

TEST_F(CliTest, BundleExitStatusesAreThoseOfSolve) {
  // The command line itself.
  EXPECT_EQ(Run({"bundle", "--bundle-rows", "0"}).ExitStatus, 64);
  EXPECT_EQ(Run({"bundle", "--sensitivities"}).ExitStatus, 64);
  // A card that is refused: no whole number of rows.
  const TCliRun half = Run({"bundle", "--model-set", "bundle.rows=2.5"});
  EXPECT_EQ(half.ExitStatus, 1);
  EXPECT_NE(half.Err.find("whole number"), std::string::npos) << half.Err;
  // An input that is refused.
  EXPECT_EQ(Run({"bundle", "--take-up-speed", "-1"}).ExitStatus, 1);
  // An export that cannot be written.
  EXPECT_EQ(Run({"bundle", "--points", "0", "--json", "missing/b.json"}).ExitStatus, 73);
}

}  // namespace
}  // namespace vellmor::cli_test
