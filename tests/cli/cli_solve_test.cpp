// vellmor-cli solve and vellmor-cli model as a user runs them: the converged model with a card,
// its exports and elasticities, and the refusals of a card, of its settings and of the
// options solve does not take.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_process.h"
#include "support/test_support.h"

namespace vellmor::cli_test {
using test::ReadBytes;
namespace {

using Json = nlohmann::json;

// The default case from an independent fixed-step integration (see the converged model's
// tests).
constexpr double kTension = 40.4367662686;      // dyn
constexpr double kFreezePoint = 62.3341500148;  // cm

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST_F(CliTest, SolveJsonHasTheRunsLayoutAndTheCardAsUsed) {
  const TCliRun run = Run({"solve", "--json", "-"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  // The JSON takes standard output; the summary moves to standard error.
  EXPECT_NE(run.Err.find("Converged solution after "), std::string::npos) << run.Err;
  const Json json = Json::parse(run.Out);
  for (const char* key :
       {"inputs", "status", "message", "summary", "process_numbers", "profile", "model"}) {
    EXPECT_TRUE(json.contains(key)) << key;
  }
  EXPECT_EQ(json["status"], "succeeded");
  EXPECT_EQ(json["inputs"]["take_up_speed"]["text"], "5000.0");
  EXPECT_FALSE(json["inputs"].contains("save_file"));
  EXPECT_NEAR(json["summary"]["spinneret_tension_dyn"].get<double>(), kTension, 1e-7);
  EXPECT_NEAR(json["process_numbers"]["freeze_point_cm"].get<double>(), kFreezePoint, 1e-6);
  EXPECT_EQ(json["profile"]["x_cm"].size(), 1001u);
  EXPECT_EQ(json["model"]["heat_transfer"]["factor"], 1.37e-4);
  EXPECT_EQ(json["model"]["gravity_cm_s2"], 980.0);
  EXPECT_FALSE(json.contains("sensitivities") && !json["sensitivities"].is_null());
  // No classical result file.
  EXPECT_TRUE(std::filesystem::is_empty(work_));
}

// The printed card read back is the built-in card: the same solution to the last byte.
TEST_F(CliTest, PrintedCardSolvesAsTheBuiltInOne) {
  const TCliRun card = Run({"model"});
  ASSERT_EQ(card.ExitStatus, 0) << card.Err;
  WriteText(work_ / "card.yaml", card.Out);
  ASSERT_EQ(Run({"solve", "--model", "card.yaml", "--json", "a.json"}).ExitStatus, 0);
  ASSERT_EQ(Run({"solve", "--json", "b.json"}).ExitStatus, 0);
  // The same document but for the command line it records.
  Json a = Json::parse(ReadBytes(work_ / "a.json"));
  Json b = Json::parse(ReadBytes(work_ / "b.json"));
  EXPECT_EQ(a["program"]["command_line"].back(), "a.json");
  a.erase("program");
  b.erase("program");
  EXPECT_EQ(a.dump(), b.dump());

  // A setting after the file wins over it, and the printed card shows it, in its name too.
  const TCliRun changed = Run({"model", "--model", "card.yaml", "--model-set", "gravity_cm_s2=0"});
  EXPECT_NE(changed.Out.find("gravity_cm_s2: 0 "), std::string::npos) << changed.Out;
  EXPECT_NE(changed.Out.find("\nname: PET, gravity_cm_s2=0\n"), std::string::npos) << changed.Out;
}

// A card saved before a constant was added: the built-in value stands in, and the runner says
// so on standard error. The card, of version 1, keeps the linear birefringence it was solved
// with, which the plain solution does not see.
TEST_F(CliTest, ACardLeavingOutAConstantSolvesWithTheBuiltInValue) {
  WriteText(work_ / "old.yaml",
            "name: PET, saved long ago\n"
            "density: {intercept_g_cm3: 1.36, slope_g_cm3_per_C: 0.0005}\n"
            "specific_heat: {intercept_cal_g_C: 0.3, slope_cal_g_C_per_C: 0.0006}\n"
            "viscosity: {factor_P: 0.273, iv_exponent: 5.056, activation_K: 6802,\n"
            "            solidification_C: 70, solid_factor: 100}\n"
            "die_swell: {factor: 0.575, temperature_K: -3650, reference_K: 548,\n"
            "            shear_rate_exponent: 0.134, reference_iv: 0.61, iv_exponent: 0.85}\n"
            "heat_transfer: {velocity_area_exponent: 0.259, cross_flow_factor: 8,\n"
            "                cross_flow_exponent: 0.167}\n"
            "gravity_cm_s2: 980\n");
  const TCliRun old = Run({"solve", "--model", "old.yaml", "--json", "old.json"});
  ASSERT_EQ(old.ExitStatus, 0) << old.Err;
  EXPECT_EQ(old.Err,
            "vellmor-cli: old.yaml: viscosity.valid_iv_min, viscosity.valid_iv_max, "
            "heat_transfer.factor, the section air_drag, the section structure not given: the "
            "built-in values are used\n"
            "vellmor-cli: old.yaml: structure.birefringence_law not given: linear, the law of "
            "cards before version 3, is used\n");
  const TCliRun built_in = Run({"solve", "--json", "built-in.json"});
  ASSERT_EQ(built_in.ExitStatus, 0) << built_in.Err;
  Json a = Json::parse(ReadBytes(work_ / "old.json"));
  Json b = Json::parse(ReadBytes(work_ / "built-in.json"));
  EXPECT_EQ(a["model"]["name"], "PET, saved long ago");
  // The document says what the card left out, as standard error does.
  ASSERT_EQ(a["warnings"].size(), 2u);
  EXPECT_EQ("vellmor-cli: " + a["warnings"][0].get<std::string>() +
                "\nvellmor-cli: " + a["warnings"][1].get<std::string>() + "\n",
            old.Err);
  EXPECT_TRUE(b["warnings"].empty());
  EXPECT_EQ(a["model"]["version"], 3);
  EXPECT_EQ(a["model"]["structure"]["birefringence_law"], "linear");
  EXPECT_EQ(b["model"]["structure"]["birefringence_law"], "saturating");
  for (Json* document : {&a, &b}) {
    document->erase("program");
    document->erase("warnings");
    (*document)["model"].erase("name");
    (*document)["model"]["structure"].erase("birefringence_law");
  }
  EXPECT_EQ(a.dump(), b.dump());
}

TEST_F(CliTest, SolveWithAChangedConstant) {
  const TCliRun run =
      Run({"solve", "--model-set", "heat_transfer.factor=2e-4", "--json", "run.json"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const Json json = Json::parse(ReadBytes(work_ / "run.json"));
  EXPECT_EQ(json["model"]["heat_transfer"]["factor"], 2e-4);
  // More heat taken: the filament freezes sooner, under a higher spinneret tension.
  EXPECT_LT(json["process_numbers"]["freeze_point_cm"].get<double>(), kFreezePoint - 10.0);
  EXPECT_GT(json["summary"]["spinneret_tension_dyn"].get<double>(), kTension + 5.0);
}

TEST_F(CliTest, SolveProfileAtChosenPositions) {
  const TCliRun run = Run({"solve", "--at", "0,62.5,100", "--csv", "-"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = test::LfLines(run.Out);
  ASSERT_EQ(lines.size(), 4u) << run.Out;
  EXPECT_TRUE(lines[1].starts_with("0,"));
  EXPECT_TRUE(lines[2].starts_with("62.5,"));
  EXPECT_TRUE(lines[3].starts_with("100,"));

  const TCliRun off = Run({"solve", "--at", "150"});
  EXPECT_EQ(off.ExitStatus, 1);
  EXPECT_EQ(off.Err,
            "vellmor-cli: Profile position 150 cm is not on the line, which runs from 0 to 100 "
            "cm\n");
}

TEST_F(CliTest, SolveSensitivitiesTableAndJson) {
  const TCliRun run = Run({"solve", "--sensitivities", "--json", "run.json"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_NE(run.Out.find("Elasticities d ln y / d ln p, largest first:"), std::string::npos);
  const Json json = Json::parse(ReadBytes(work_ / "run.json"));
  const Json& e = json["sensitivities"];
  ASSERT_EQ(e.size(), 6u);
  EXPECT_EQ(e["freeze_point_cm"].size(), 40u);
  // The final diameter follows the mass balance: D ∝ V^-1/2 at the take-up.
  EXPECT_NEAR(e["final_diameter_um"]["take_up_speed"].get<double>(), -0.5, 2e-3);
  EXPECT_TRUE(e["freeze_point_cm"].contains("heat_transfer.factor"));
}

// The default line's structure from the independent integration of the converged model's
// tests, with the linear law; a card that couples it implies --structure.
TEST_F(CliTest, SolveStructureInTheSummaryJsonAndCsv) {
  const TCliRun run =
      Run({"solve", "--structure", "--model-set", "structure.birefringence_law=linear", "--json",
           "run.json", "--at", "0;60;100", "--csv", "run.csv"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_NE(run.Out.find("Birefringence:      0.12231 (frozen in at the freeze point)\n"),
            std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find("Crystallinity:      0.04674\n"), std::string::npos);
  EXPECT_NE(run.Out.find("Onset (1 % cryst.): 58.54 cm\n"), std::string::npos);
  const Json json = Json::parse(ReadBytes(work_ / "run.json"));
  EXPECT_NEAR(json["structure"]["birefringence"].get<double>(), 0.122313250397, 1e-8);
  EXPECT_NEAR(json["structure"]["crystallinity"].get<double>(), 0.0467408952003, 1e-8);
  EXPECT_NEAR(json["structure"]["onset_cm"].get<double>(), 58.5432202, 1e-4);
  EXPECT_EQ(json["structure"]["coupled"], false);
  EXPECT_EQ(json["model"]["structure"]["orientation_factor"], 100.0);
  ASSERT_EQ(json["profile"]["birefringence"].size(), 3u);
  EXPECT_EQ(json["profile"]["birefringence"][2], json["structure"]["birefringence"]);
  EXPECT_EQ(json["profile"]["crystallinity"][0], 0.0);
  const std::vector<std::string> csv = test::LfLines(ReadBytes(work_ / "run.csv"));
  ASSERT_EQ(csv.size(), 4u);
  EXPECT_TRUE(csv[0].ends_with(",stress_dyn_cm2,birefringence,orientation,crystallinity"))
      << csv[0];

  const TCliRun coupled = Run({"solve", "--model-set", "structure.coupled=true", "--model-set",
                               "structure.birefringence_law=linear", "--json", "-"});
  ASSERT_EQ(coupled.ExitStatus, 0) << coupled.Err;
  const Json c = Json::parse(coupled.Out);
  EXPECT_EQ(c["structure"]["coupled"], true);
  EXPECT_EQ(c["model"]["structure"]["coupled"], true);
  EXPECT_GT(c["structure"]["crystallinity"].get<double>(), 0.49);

  // The built-in saturating law orients the melt less: below the intrinsic 0.275 at any speed.
  const Json fast =
      Json::parse(Run({"solve", "--structure", "--take-up-speed", "8000", "--json", "-"}).Out);
  EXPECT_EQ(fast["model"]["structure"]["birefringence_law"], "saturating");
  EXPECT_LT(fast["structure"]["birefringence"].get<double>(), 0.275);

  // Without the structure, nothing of it.
  const Json plain = Json::parse(Run({"solve", "--json", "-"}).Out);
  EXPECT_TRUE(plain["structure"].is_null());
  EXPECT_FALSE(plain["profile"].contains("birefringence"));
}

// solve takes the IV the card declares valid, the classical run only the window's; a line
// that reaches the take-up point molten is solved with a warning.
TEST_F(CliTest, SolveTakesTheCardsIVAndWarnsOfALineThatNeverFreezes) {
  const TCliRun iv = Run({"solve", "--iv", "1.2"});
  EXPECT_EQ(iv.ExitStatus, 0);
  EXPECT_EQ(iv.Err, "");
  const TCliRun classical = Run({"--iv", "1.2", "-o", "result.txt"});
  EXPECT_EQ(classical.ExitStatus, 1);
  EXPECT_EQ(classical.Err, "vellmor-cli: IV is not in the proper range of value\n");
  EXPECT_FALSE(std::filesystem::exists(work_ / "result.txt"));
  const TCliRun beyond = Run({"solve", "--iv", "1.4"});
  EXPECT_EQ(beyond.ExitStatus, 1);
  EXPECT_EQ(beyond.Err, "vellmor-cli: IV 1.4 is outside the card's valid range 0.5 to 1.3\n");

  const TCliRun molten = Run({"solve", "--polymer-output", "3", "--json", "molten.json"});
  EXPECT_EQ(molten.ExitStatus, 0);
  EXPECT_NE(molten.Out.find("Freeze point:       none"), std::string::npos) << molten.Out;
  EXPECT_TRUE(
      molten.Err.starts_with("vellmor-cli: The filament reaches the take-up point still molten ("))
      << molten.Err;
  const Json json = Json::parse(ReadBytes(work_ / "molten.json"));
  ASSERT_EQ(json["warnings"].size(), 1u);
  EXPECT_EQ("vellmor-cli: " + json["warnings"][0].get<std::string>() + "\n", molten.Err);
}

TEST_F(CliTest, SolveRefusesWhatItDoesNotTake) {
  struct TCase {
    Arguments arguments;
    int status;
    std::string message;  // the start of standard error
  };
  WriteText(work_ / "broken.yaml",
            "name: x\ndensity: {intercept_g_cm3: 1.36, slope_g_cm3_per_C: 0.0005}\n"
            "specific_heat: {intercept_cal_g_C: 0.3, slope_cal_g_C_per_C: zero}\n");
  const std::vector<TCase> cases{
      {{"solve", "-o", "x.txt"}, 64, "--save-file: solve writes no result file"},
      {{"solve", "--points", "1000001"}, 64, "--points 1000001: expected 0 to 1000000"},
      {{"model", "--model="}, 64, "--model: the name is empty"},
      {{"solve", "--model-set", "heat_transfer.factr=1"},
       1,
       "--model-set heat_transfer.factr=1: unknown key; did you mean heat_transfer.factor?"},
      {{"solve", "--model", "broken.yaml"},
       1,
       "broken.yaml:3: specific_heat.slope_cal_g_C_per_C: not a number: zero"},
      {{"solve", "--model", "missing.yaml"}, 1, "--model missing.yaml: the file can not be read"},
      // A device that never ends is not read to the end.
      {{"solve", "--model", "/dev/zero"},
       1,
       "--model /dev/zero: a NUL byte at byte 1: not a text"},
      {{"solve", "--hole-diameter", "abc"}, 1, "Input value is not correct!"},
      {{"model", "--model-set", "viscosity.factor_P=-1"}, 1, "--model-set viscosity.factor_P=-1: "},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.arguments[1] + " " + c.arguments.back());
    const TCliRun run = Run(c.arguments);
    EXPECT_EQ(run.ExitStatus, c.status);
    EXPECT_TRUE(run.Err.starts_with("vellmor-cli: " + c.message)) << run.Err;
    EXPECT_EQ(run.Out, "");
  }
}

}  // namespace
}  // namespace vellmor::cli_test
