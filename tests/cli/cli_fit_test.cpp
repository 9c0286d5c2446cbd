// vellmor-cli fit as a user runs it: measurements of two take-up speeds made by the reference
// spinline of the tests with known constants, a cases file naming the speeds, the fitted card
// written and solved with, and the refusals.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli_process.h"
#include "support/reference_spinline.h"
#include "support/test_support.h"

namespace vellmor::cli_test {
using test::ReadBytes;
namespace {

using Json = nlohmann::json;

constexpr double kTrueHeatFactor = 1.6e-4;
constexpr double kTrueActivation = 6900.0;

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string Shortest(double value) {
  std::ostringstream out;
  out.precision(17);
  out << value;
  return out.str();
}

// Diameters every 10 cm, temperatures every 20 cm and the take-up tension of the case, as
// CSV rows with its name.
std::string Rows(const std::string& name, double take_up_speed) {
  TSpinCondition condition = test::DefaultCondition();
  condition.TakeUpSpeed = take_up_speed;
  std::vector<double> positions;
  for (int x = 10; x <= 100; x += 10) positions.push_back(x);
  const auto reference = test::Reference(
      condition, {.heat_factor = kTrueHeatFactor, .activation = kTrueActivation}, positions);
  std::string rows;
  for (std::size_t i = 0; i < positions.size(); ++i) {
    const auto& s = reference.samples[i];
    const std::string x = Shortest(positions[i]);
    if (positions[i] < 100)
      rows += name + "," + x + ",diameter_um," + Shortest(s[3] * 1e4) + ",0.2\n";
    if (static_cast<int>(positions[i]) % 20 == 0) {
      rows += name + "," + x + ",temperature_C," + Shortest(s[2]) + ",0.5\n";
    }
  }
  return rows + name + ",100,tension_dyn," + Shortest(reference.take_up_tension) + ",1\n";
}

class CliFitTest : public CliTest {
 protected:
  void SetUp() override {
    WriteText(work_ / "measured.csv",
              "case,x_cm,quantity,value,sigma\n" + Rows("slow", 4000.0) + Rows("fast", 5000.0));
    WriteText(work_ / "cases.csv", "case,take-up-speed\nslow,4000\nfast,5000\n");
  }
};

// The done-when of the fit: noise-free data, the constants found to 1e-5.
TEST_F(CliFitTest, RecoversTheConstantsAndWritesAFittedCard) {
  const TCliRun run = Run({"fit", "--measured", "measured.csv", "--cases", "cases.csv", "--fit",
                           "heat_transfer.factor", "--fit", "viscosity.activation_K", "--json",
                           "fit.json", "--write-model", "fitted.yaml"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_EQ(run.Out.rfind("Fit of 2 constants to 30 measurements in 2 cases: ", 0), 0u) << run.Out;
  const Json json = Json::parse(ReadBytes(work_ / "fit.json"));
  EXPECT_EQ(json["status"], "fitted");
  const Json& parameters = json["parameters"];
  ASSERT_EQ(parameters.size(), 2u);
  EXPECT_EQ(parameters[0]["key"], "heat_transfer.factor");
  EXPECT_NEAR(parameters[0]["estimate"].get<double>() / kTrueHeatFactor, 1.0, 1e-5);
  EXPECT_NEAR(parameters[1]["estimate"].get<double>() / kTrueActivation, 1.0, 1e-5);
  for (const char* key : {"standard_error", "wald_95", "profile_95"}) {
    EXPECT_FALSE(parameters[0][key].is_null()) << key;
  }
  EXPECT_EQ(json["degrees_of_freedom"], 28);
  ASSERT_EQ(json["cases"].size(), 2u);
  EXPECT_EQ(json["cases"][0]["case"], "slow");
  EXPECT_EQ(json["cases"][0]["residuals"].size(), 15u);
  EXPECT_GT(json["model_solves"].get<int>(), 0);

  // The fitted card is a card: solve takes it, and it holds the estimate to the bit.
  const TCliRun solved = Run({"solve", "--model", "fitted.yaml", "--json", "-"});
  ASSERT_EQ(solved.ExitStatus, 0) << solved.Err;
  EXPECT_EQ(Json::parse(solved.Out)["model"]["heat_transfer"]["factor"].get<double>(),
            parameters[0]["estimate"].get<double>());
  // Named after the measurements and the day it was fitted on, YYYY-MM-DD.
  const std::string name = Json::parse(solved.Out)["model"]["name"];
  const std::string named = "PET, fitted to measured.csv on ";
  ASSERT_EQ(name.size(), named.size() + 10) << name;
  EXPECT_TRUE(name.starts_with(named)) << name;
  const std::string date = name.substr(named.size());
  for (std::size_t i = 0; i < date.size(); ++i) {
    EXPECT_TRUE(i == 4 || i == 7 ? date[i] == '-' : date[i] >= '0' && date[i] <= '9') << name;
  }
}

// Without sigma the σ of each quantity is estimated from the residuals, and the output says so.
TEST_F(CliFitTest, MissingSigmaIsEstimatedAndSaid) {
  WriteText(work_ / "plain.csv",
            "x_cm,quantity,value\n10,diameter_um,80.3\n30,diameter_um,20.5\n50,diameter_um,14.6\n"
            "70,diameter_um,13.9\n");
  const TCliRun run =
      Run({"fit", "--measured", "plain.csv", "--fit", "heat_transfer.factor", "--no-profile"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_NE(run.Out.find("estimated from the residuals: the data give none"), std::string::npos)
      << run.Out;
}

TEST_F(CliFitTest, RefusalsAndFailures) {
  WriteText(work_ / "odd.csv", "x_cm,quantity,value\n10,width_um,3\n");
  // Diameters in cm under diameter_um: no filament of the line is that thin.
  WriteText(work_ / "cm.csv", "x_cm,quantity,value\n100,diameter_um,0.0156\n");
  struct TCase {
    Arguments arguments;
    int status;
    std::string message;
  };
  const std::vector<TCase> cases{
      {{"fit", "--measured", "odd.csv", "--fit", "heat_transfer.factor"},
       1,
       "odd.csv, line 2: unknown quantity 'width_um'"},
      {{"fit", "--measured", "cm.csv", "--fit", "heat_transfer.factor"},
       65,
       "cm.csv, line 2: diameter_um 0.0156 is below the 13.7 µm the mass balance gives"},
      {{"fit", "--measured", "measured.csv", "--fit", "heat_transfer.factor"},
       1,
       "measured.csv, line 2: case 'slow' named, but no --cases file gives "
       "the cases"},
      {{"fit", "--measured", "measured.csv", "--cases", "cases.csv", "--fit", "heat.factor"},
       1,
       "--fit heat.factor: 'heat.factor' is not a card key"},
      {{"fit", "--measured", "measured.csv", "--cases", "cases.csv", "--fit", "structure.coupled"},
       1,
       "--fit structure.coupled: structure.coupled is true or false, not a number to fit"},
      {{"fit", "--measured", "measured.csv", "--cases", "cases.csv", "--fit",
        "viscosity.valid_iv_max"},
       1,
       "--fit viscosity.valid_iv_max: viscosity.valid_iv_max bounds the valid IV and enters no "
       "law: nothing to fit"},
      {{"fit", "--measured", "measured.csv", "--cases", "cases.csv", "--fit",
        "heat_transfer.factor", "--suggest", "2"},
       64,
       "--suggest and --candidates: give both or neither"},
      {{"fit", "--measured", "measured.csv"}, 64, "--fit: required"},
      {{"fit", "--measured", "measured.csv", "--cases", "cases.csv", "--fit",
        "heat_transfer.factor", "--fit", "viscosity.activation_K", "--max-iterations", "1",
        "--no-profile"},
       2,
       "the fit did not converge within 1 iterations"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const TCliRun run = Run(c.arguments);
    EXPECT_EQ(run.ExitStatus, c.status);
    EXPECT_TRUE(run.Err.starts_with("vellmor-cli: " + c.message)) << run.Err;
  }
}

}  // namespace
}  // namespace vellmor::cli_test
