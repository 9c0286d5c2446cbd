// vellmor-cli stability as a user runs it: the classical draw resonance from a card that
// switches the other effects off, the default line's verdict, the response table, and the
// exit statuses of solve for a wrong command line, a refused input and a failed calculation.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "cli_process.h"

namespace vellmor::cli_test {
namespace {

using Json = nlohmann::json;

const Arguments kClassicalCard{
    "--model-set", "heat_transfer.factor=0", "--model-set", "air_drag.factor=0",
    "--model-set", "gravity_cm_s2=0",        "--model-set", "momentum.inertia_factor=0"};

Arguments With(Arguments arguments, const Arguments& more) {
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

TEST_F(CliTest, StabilityOfTheDefaultLineIsStableAndGoesToStandardOutput) {
  const TCliRun run = Run({"stability"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_NE(run.Out.find("Verdict:            stable, margin "), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("Leading eigenvalue: -"), std::string::npos) << run.Out;
  EXPECT_TRUE(std::filesystem::is_empty(work_));
}

TEST_F(CliTest, StabilityJsonOnStandardOutputMovesTheSummaryAside) {
  const TCliRun run = Run({"stability", "--json", "-"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_NE(run.Err.find("Verdict:"), std::string::npos) << run.Err;
  const Json json = Json::parse(run.Out);
  EXPECT_EQ(json["command"], "stability");
  EXPECT_EQ(json["stability"]["verdict"], "stable");
  EXPECT_LT(json["stability"]["growth_rate_per_s"].get<double>(), 0.0);
  EXPECT_EQ(json["stability"]["margin_per_s"].get<double>(),
            -json["stability"]["growth_rate_per_s"].get<double>());
  EXPECT_EQ(json["stability"]["section_ends_cm"].size(), 5u);
  EXPECT_TRUE(json["critical"].is_null());
  EXPECT_TRUE(json["response"].is_null());
  EXPECT_EQ(json["model"]["momentum"]["inertia_factor"], 1.0);
}

TEST_F(CliTest, CriticalTakeUpSpeedOfTheClassicalFilament) {
  const TCliRun run = Run(With(
      {"stability", "--take-up-speed", "60", "--critical", "take-up-speed", "--json", "line.json"},
      kClassicalCard));
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_NE(run.Out.find("Critical take_up_speed: "), std::string::npos) << run.Out;
  const Json json = Json::parse(test::ReadBytes(work_ / "line.json"));
  const Json& critical = json["critical"];
  EXPECT_EQ(critical["key"], "take_up_speed");
  ASSERT_TRUE(critical["found"].get<bool>());
  EXPECT_NEAR(critical["draw_ratio"].get<double>(), 20.218, 0.005);
  EXPECT_NEAR(critical["angular_frequency_l_v0"].get<double>(), 14.01, 0.02);
}

TEST_F(CliTest, CriticalCardKeyThatNeverCrossesSaysHowFarItLooked) {
  // The isothermal filament without inertia does not feel how viscous it is.
  const TCliRun run = Run(With(
      {"stability", "--take-up-speed", "60", "--critical", "viscosity.activation_K", "--json", "-"},
      kClassicalCard));
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const Json json = Json::parse(run.Out);
  EXPECT_FALSE(json["critical"]["found"].get<bool>());
  EXPECT_EQ(json["critical"]["direction"], "up");
  EXPECT_GT(json["critical"]["limit"].get<double>(), 6802.0);
  EXPECT_NE(run.Err.find("Critical viscosity.activation_K: none up to "), std::string::npos);
}

TEST_F(CliTest, ResponseToThePumpHasOneRowPerFrequency) {
  const TCliRun run =
      Run({"stability", "--response", "throughput", "--frequencies", "0.5:2:4", "--json", "-"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const Json json = Json::parse(run.Out);
  EXPECT_EQ(json["response"]["disturbance"], "throughput");
  EXPECT_EQ(json["response"]["frequency_hz"], Json::parse("[0.5, 1.0, 1.5, 2.0]"));
  EXPECT_EQ(json["response"]["amplitude"].size(), 4u);
  EXPECT_EQ(json["response"]["phase_deg"].size(), 4u);
  EXPECT_NE(run.Err.find("Response to throughput ripple"), std::string::npos);
}

struct TStatusCase {
  Arguments Given;
  int Status;
  const char* Message;
};

TEST_F(CliTest, StabilityJsonOnItsOwnCardIsRefusedBeforeAnythingRuns) {
  ASSERT_EQ(Run({"model"}).ExitStatus, 0);
  test::WriteBytes(work_ / "card.yaml", Run({"model"}).Out);
  const TCliRun run = Run({"stability", "--model", "card.yaml", "--json", "card.yaml"});
  EXPECT_EQ(run.ExitStatus, 64) << run.Err;
  EXPECT_EQ(test::ReadBytes(work_ / "card.yaml"), Run({"model"}).Out);
}

TEST_F(CliTest, StabilityExitsAsSolveDoes) {
  const std::vector<TStatusCase> cases{
      {{"stability", "--response", "take-up"}, 64, "--frequencies: give both or neither"},
      {{"stability", "--critical", "no_such_key"}, 64, "--critical no_such_key"},
      {{"stability", "--response", "wind", "--frequencies", "1:2:3"}, 64, "take-up or throughput"},
      {{"stability", "--response", "take-up", "--frequencies", "5:1:3"}, 64, "F1:F2:N"},
      {{"stability", "--intervals", "2"}, 64, "--intervals"},
      {{"stability", "--take-up-speed", "-5"}, 1, ""},
      {{"stability", "--model-set", "no.key=1"}, 1, "no.key"},
      // The weight of a slow, hot line pulls it faster than the roll: no steady line.
      {With({"stability", "--take-up-speed", "60", "--model-set", "gravity_cm_s2=980"},
            Arguments(kClassicalCard.begin(), kClassicalCard.begin() + 4)),
       2, "Converged solution stopped"},
  };
  for (const TStatusCase& c : cases) {
    const TCliRun run = Run(c.Given);
    EXPECT_EQ(run.ExitStatus, c.Status) << c.Given[1] << " " << run.Err;
    EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
  }
}

}  // namespace
}  // namespace vellmor::cli_test
