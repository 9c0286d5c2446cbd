// The intervals of a fitted card at work, as an engineer asks for them: a card written by the
// fit solved with its 95 % intervals in the printout, the JSON (numbers and profile bands),
// the CSV and a sweep's summary; Monte Carlo's seed repeating its intervals; the refusals.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli_process.h"
#include "support/test_support.h"

namespace vellmor::cli_test {
namespace {

using Json = nlohmann::json;

// Measurements of the default line near what it gives (diameters in µm, temperatures in °C,
// the take-up tension in dyn), each with its σ.
constexpr const char* kMeasured =
    "x_cm,quantity,value,sigma\n"
    "10,diameter_um,69.5,0.5\n"
    "20,diameter_um,27.0,0.5\n"
    "20,temperature_C,209,1.5\n"
    "40,temperature_C,123,1.5\n"
    "100,tension_dyn,588,2\n";

class CliUncertaintyTest : public CliTest {
 protected:
  void SetUp() override {
    std::ofstream(work_ / "line.csv", std::ios::binary) << kMeasured;
    const TCliRun fit =
        Run({"fit", "--measured", "line.csv", "--fit", "heat_transfer.factor", "--fit",
             "viscosity.activation_K", "--no-profile", "--write-model", "fitted.yaml"});
    ASSERT_EQ(fit.ExitStatus, 0) << fit.Err;
  }
};

TEST_F(CliUncertaintyTest, AFittedCardGivesIntervalsInThePrintoutJsonAndCsv) {
  const TCliRun solve = Run({"solve", "--model", "fitted.yaml", "--structure", "--points", "11",
                             "--json", "s.json", "--csv", "s.csv"});
  ASSERT_EQ(solve.ExitStatus, 0) << solve.Err;
  EXPECT_NE(solve.Out.find("95 % intervals (delta method) from the uncertainty of "
                           "heat_transfer.factor, viscosity.activation_K:"),
            std::string::npos)
      << solve.Out;
  EXPECT_NE(solve.Out.find("  Freeze point (cm)"), std::string::npos);
  // A number the constants do not move has no interval to show.
  EXPECT_EQ(solve.Out.find("  Fineness"), std::string::npos) << solve.Out;

  const Json json = Json::parse(test::ReadBytes(work_ / "s.json"));
  const Json& u = json["uncertainty"];
  EXPECT_EQ(u["method"], "delta");
  EXPECT_EQ(u["keys"], Json::array({"heat_transfer.factor", "viscosity.activation_K"}));
  const double freeze = json["process_numbers"]["freeze_point_cm"];
  const Json& f = u["process_numbers"]["freeze_point_cm"];
  EXPECT_LT(f["lo"].get<double>(), freeze);
  EXPECT_GT(f["hi"].get<double>(), freeze);
  // Symmetric about the value, 1.96 standard deviations each side.
  EXPECT_NEAR(f["hi"].get<double>() - freeze, 1.959963985 * f["standard_deviation"].get<double>(),
              1e-9);
  EXPECT_FALSE(u["process_numbers"].contains("passes"));
  EXPECT_TRUE(u["structure"]["birefringence"]["lo"].is_number());
  const Json& profile = json["profile"];
  ASSERT_EQ(profile["t_C_lo"].size(), 11u);
  EXPECT_FALSE(profile.contains("x_cm_lo"));
  for (std::size_t i = 0; i < 11; ++i) {
    EXPECT_LE(profile["t_C_lo"][i].get<double>(), profile["t_C"][i].get<double>());
    EXPECT_GE(profile["t_C_hi"][i].get<double>(), profile["t_C"][i].get<double>());
  }
  EXPECT_TRUE(profile.contains("birefringence_hi"));

  std::istringstream csv(test::ReadBytes(work_ / "s.csv"));
  std::string header;
  std::getline(csv, header);
  EXPECT_NE(header.find(",t_C_lo,t_C_hi,"), std::string::npos) << header;
  EXPECT_TRUE(header.starts_with("x_cm,v_m_min,")) << header;
}

TEST_F(CliUncertaintyTest, MonteCarloRepeatsItsIntervalsForItsSeed) {
  const auto intervals = [&](const char* seed) {
    const TCliRun run = Run({"solve", "--model", "fitted.yaml", "--points", "0", "--uncertainty",
                             "monte-carlo", "--samples", "50", "--seed", seed, "--json", "-"});
    EXPECT_EQ(run.ExitStatus, 0) << run.Err;
    return Json::parse(run.Out)["uncertainty"];
  };
  const Json a = intervals("11"), b = intervals("11"), c = intervals("12");
  EXPECT_EQ(a["method"], "monte-carlo");
  EXPECT_EQ(a["samples"], 50);
  EXPECT_EQ(a["failed_samples"], 0);
  EXPECT_EQ(a["process_numbers"], b["process_numbers"]);
  EXPECT_NE(a["process_numbers"], c["process_numbers"]);
}

TEST_F(CliUncertaintyTest, ASweepOfTheFittedCardHasTheBoundsColumns) {
  const TCliRun sweep = Run(
      {"sweep", "--solve", "--model", "fitted.yaml", "--vary", "take-up-speed=4000,5000", "-q"});
  ASSERT_EQ(sweep.ExitStatus, 0) << sweep.Err;
  std::istringstream lines(sweep.Out);
  std::string header, first;
  std::getline(lines, header);
  std::getline(lines, first);
  EXPECT_NE(header.find(",freeze_point_cm_lo,freeze_point_cm_hi,"), std::string::npos) << header;
  EXPECT_EQ(header.find("passes_lo"), std::string::npos);
  // Every line has as many cells as the header.
  EXPECT_EQ(std::count(header.begin(), header.end(), ','),
            std::count(first.begin(), first.end(), ','));
  const TCliRun none = Run({"sweep", "--solve", "--model", "fitted.yaml", "--vary",
                            "take-up-speed=4000", "--uncertainty", "none", "-q"});
  EXPECT_EQ(none.Out.find("_lo"), std::string::npos);
}

TEST_F(CliUncertaintyTest, IntervalsWithoutTheirSectionOrOptionsOutOfPlaceAreRefused) {
  const TCliRun builtin = Run({"solve", "--uncertainty", "delta"});
  EXPECT_NE(builtin.ExitStatus, 0);
  EXPECT_NE(builtin.Err.find("--uncertainty: the card PET, built-in correlations has no "
                             "uncertainty section (a card the fit writes with --write-model has "
                             "one)"),
            std::string::npos)
      << builtin.Err;
  const TCliRun samples = Run({"solve", "--model", "fitted.yaml", "--samples", "100"});
  EXPECT_EQ(samples.ExitStatus, 64);
  EXPECT_NE(samples.Err.find("--samples: only with --uncertainty monte-carlo"), std::string::npos)
      << samples.Err;
  const TCliRun method = Run({"solve", "--model", "fitted.yaml", "--uncertainty", "bootstrap"});
  EXPECT_EQ(method.ExitStatus, 64);
  EXPECT_NE(method.Err.find("expected delta, monte-carlo or none"), std::string::npos);
  const TCliRun classical =
      Run({"sweep", "--vary", "take-up-speed=4000", "--uncertainty", "delta", "-q"});
  EXPECT_EQ(classical.ExitStatus, 64);
  EXPECT_NE(classical.Err.find("(add --solve)"), std::string::npos) << classical.Err;
}

}  // namespace
}  // namespace vellmor::cli_test
