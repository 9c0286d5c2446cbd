// The runner with --accuracy and --converged-csv: the converged solution's line after the
// summary, its object in the JSON export, its profile as CSV, and a converged solution that
// fails without touching the run's result.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "cli_process.h"
#include "support/test_support.h"

namespace vellmor::cli_test {
using test::ReadBytes;
namespace {

using Json = nlohmann::json;

// The default case from an independent script: the same equations by the classical fourth-order
// Runge–Kutta at fixed steps of 0.02 and 0.01 cm with every coefficient at each stage, then
// Richardson extrapolation.
constexpr double kTension = 40.4367662686;        // dyn, at the spinneret
constexpr double kTakeUpTension = 589.771745516;  // dyn
constexpr double kFreezePoint = 62.3341500148;    // cm

// 36.477 dyn of the 1 cm march is 9.8 % below 40.437 dyn; 0.8 × 1 cm / 9.79 rounds down to
// 0.08 cm, 1251 points over the 100 cm line.
constexpr std::string_view kDefaultAccuracyLine =
    "Converged solution: spinneret tension 40.437 dyn; this increment's result is 9.8 % low; an "
    "increment of 0.08 cm would be within 1 % (1251 points, more than the 1001 a profile "
    "holds)\n";

constexpr const char* kConvergedCsvHeader = "x_cm,v_m_min,f_dyn,t_C,d_um,ta_C,h_cal_cm2_s_C";

// The line comes last; the result file is the same byte for byte as without it.
TEST_F(CliTest, AccuracyLineFollowsTheSummary) {
  ASSERT_EQ(Run({"-o", "plain.txt"}).ExitStatus, 0);
  const TCliRun run = Run({"--accuracy"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  EXPECT_TRUE(
      run.Out.ends_with("Result file:        result.txt\n" + std::string(kDefaultAccuracyLine)))
      << run.Out;
  EXPECT_EQ(ReadBytes(work_ / "result.txt"), ReadBytes(work_ / "plain.txt"));
}

TEST_F(CliTest, AccuracyJsonCarriesTheConvergedSolution) {
  ASSERT_EQ(Run({"--accuracy", "--json", "run.json"}).ExitStatus, 0);
  const Json json = Json::parse(ReadBytes(work_ / "run.json"));
  const Json& converged = json["converged"];
  EXPECT_EQ(converged["status"], "succeeded");
  EXPECT_NEAR(converged["spinneret_tension_dyn"].get<double>(), kTension, 1e-7);
  EXPECT_NEAR(converged["take_up_tension_dyn"].get<double>(), kTakeUpTension, 1e-6);
  EXPECT_NEAR(converged["freeze_point_cm"].get<double>(), kFreezePoint, 1e-6);
  const double classical = json["summary"]["spinneret_tension_dyn"].get<double>();
  EXPECT_NEAR(converged["classical_error_percent"]["spinneret_tension"].get<double>(),
              100.0 * (classical / kTension - 1.0), 1e-6);
  EXPECT_EQ(converged["suggested_increment_cm"], 0.08);
  // Beside the classical profile, point by point.
  EXPECT_EQ(converged["profile"].size(), 7u);
  EXPECT_EQ(converged["profile"]["x_cm"], json["profile"]["x_cm"]);

  ASSERT_EQ(Run({"--json", "plain.json"}).ExitStatus, 0);
  EXPECT_TRUE(Json::parse(ReadBytes(work_ / "plain.json"))["converged"].is_null());
}

TEST_F(CliTest, ConvergedCsvHoldsTheProfileAtTheResultsPositions) {
  const TCliRun run = Run({"--converged-csv", "converged.csv"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_TRUE(run.Out.ends_with(kDefaultAccuracyLine)) << run.Out;  // it implies --accuracy
  const std::vector<std::string> records = test::LfLines(ReadBytes(work_ / "converged.csv"));
  ASSERT_EQ(records.size(), 102u);
  EXPECT_EQ(records[0], kConvergedCsvHeader);
  // x, V (m/min), F: the spinneret tension first, the take-up speed last.
  EXPECT_TRUE(records[1].starts_with("0,5.382701847621535,40.43676")) << records[1];
  ASSERT_TRUE(records[101].starts_with("100,")) << records[101];
  EXPECT_NEAR(std::stod(records[101].substr(4)), 5000.0, 1e-6);

  const TCliRun unwritable = Run({"--converged-csv", "no dir/c.csv"});
  EXPECT_EQ(unwritable.ExitStatus, 73);
  EXPECT_EQ(unwritable.Err,
            "vellmor-cli: Can not write the converged CSV export file no dir/c.csv: No such file "
            "or "
            "directory\n");
}

// Zone 1's air hyperbola with its pole at 5.3 cm, between the march's points and the stages of
// its steps: the march steps over it, the converged solution cannot pass it. The run stands:
// status 0, its result file whole; the failure goes to standard error and into the JSON, and
// the converged profile is its header alone.
TEST_F(CliTest, ConvergedFailureKeepsTheRunsResultAndStatus) {
  const TCliRun run = Run({"--zone1-a1", "100", "--zone1-a2", "-5.3", "--accuracy", "--json",
                           "run.json", "--converged-csv", "converged.csv"});
  EXPECT_EQ(run.ExitStatus, 0);
  const std::string failure =
      "Converged solution failed: the air temperature of zone 1 has the pole of A1/(Z + A2) + "
      "A3 inside the zone, at 5.3 cm";
  // The air at the points of zone 1, x = 0 … 9 cm: 100 / (x - 5.3) + 765, lowest at x = 5
  // (431.67) and highest at x = 6 (907.86).
  const std::string warning =
      "Zone 1 air temperature: the pole of A1/(Z + A2) + A3 lies at 5.3 cm, inside the zone; "
      "air temperatures there run from 431.7 to 907.9 °C";
  EXPECT_EQ(run.Err, "vellmor-cli: " + warning + "\nvellmor-cli: " + failure + "\n");
  EXPECT_TRUE(run.Out.ends_with("Result file:        result.txt\n")) << run.Out;
  EXPECT_EQ(ResultLines().size(), 144u);  // 41 header lines, 101 rows, two empty lines

  const Json json = Json::parse(ReadBytes(work_ / "run.json"));
  EXPECT_EQ(json["status"], "succeeded");
  EXPECT_EQ(json["converged"]["status"], "failed");
  EXPECT_EQ(json["converged"]["message"], failure);
  EXPECT_EQ(json["warnings"], Json::array({warning}));
  EXPECT_TRUE(json["converged"]["spinneret_tension_dyn"].is_null());
  EXPECT_EQ(ReadBytes(work_ / "converged.csv"), std::string(kConvergedCsvHeader) + "\n");
}

}  // namespace
}  // namespace vellmor::cli_test
