// What a figure is drawn from: the inputs that tell cases apart and their labels, a sweep's
// summary read back and grouped into series with their intervals, a fit's constants.

#include <gtest/gtest.h>

#include "vellmor/documents/document_kind.h"
#include "vellmor/documents/fit_document.h"
#include "vellmor/documents/sweep_summary.h"
#include "vellmor/documents/varied_inputs.h"

namespace vellmor {
namespace {

TEST(VariedInputs, LabelsNameWhatDiffersWithItsUnit) {
  const std::vector<TCaseInputs> cases{
      {{"take_up_speed", 3000.0}, {"zone2_air_velocity", 50.0}, {"iv", 0.67}},
      {{"take_up_speed", 4000.0}, {"zone2_air_velocity", 50.0}, {"iv", 0.67}},
      {{"take_up_speed", 4000.0}, {"zone2_air_velocity", 20.0}, {"iv", 0.67}},
  };
  const TVariedInputs varied = VariedInputs(cases);
  EXPECT_EQ(varied.Keys, (std::vector<std::string>{"take_up_speed", "zone2_air_velocity"}));
  EXPECT_EQ(varied.Labels[0], "take-up speed 3000 m/min, zone 2 air 50 cm/s");
  EXPECT_EQ(varied.Labels[2], "take-up speed 4000 m/min, zone 2 air 20 cm/s");
  EXPECT_EQ(varied.Values, (std::vector<std::optional<double>>{3000.0, 4000.0, 4000.0}));
}

TEST(VariedInputs, CasesWithoutInputsAreNotCompared) {
  // A measured file beside two result files of the same conditions: nothing varies.
  const std::vector<TCaseInputs> cases{
      {{"take_up_speed", 5000.0}}, {}, {{"take_up_speed", 5000.0}}};
  const TVariedInputs varied = VariedInputs(cases);
  EXPECT_TRUE(varied.Keys.empty());
  EXPECT_EQ(varied.Labels, (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(varied.Values[0], std::nullopt);
}

TEST(VariedInputs, ConditionGivesEveryNumericInput) {
  TSpinCondition condition;
  condition.TakeUpSpeed = 4500.0;
  condition.Zones[2].AirVelocity = 35.0;
  const TCaseInputs inputs = CaseInputsOf(condition);
  EXPECT_EQ(inputs.size(), 18u);  // the nineteen fields but the save file's name
  const auto find = [&inputs](std::string_view key) {
    for (const auto& [k, v] : inputs) {
      if (k == key) return v;
    }
    return -1.0;
  };
  EXPECT_EQ(find("take_up_speed"), 4500.0);
  EXPECT_EQ(find("zone2_air_velocity"), 35.0);
}

TEST(VariedInputs, NamesAndTitles) {
  EXPECT_EQ(InputLabel("zone2_a1", 60.0), "zone 2 A1 60 °C·cm");
  EXPECT_EQ(InputLabel("iv", 0.62), "IV 0.62");
  EXPECT_EQ(InputLabel("hole_diameter", 0.025), "hole diameter 0.025 cm");
  EXPECT_EQ(InputTitle("take_up_speed"), "Take-up speed (m/min)");
  EXPECT_EQ(InputTitle("zone1_end"), "Zone 1 end (cm)");
  // A card constant is its own name, without a unit the key does not say.
  EXPECT_EQ(InputTitle("heat_transfer.factor"), "heat_transfer.factor");
}

// Two air velocities by three speeds, made by hand: the freeze point with its interval, one
// case failed and one that never froze (an empty cell).
constexpr std::string_view kSummary =
    "case,take_up_speed,zone2_air_velocity,status,message,passes,freeze_point_cm,warnings,"
    "freeze_point_cm_lo,freeze_point_cm_hi\n"
    "1,3000,30,succeeded,,11,64.5,,63.5,65.5\n"
    "2,3000,60,succeeded,,10,63.5,,62.5,64.5\n"
    "3,5000,30,succeeded,,11,62.0,,61.0,63.0\n"
    "4,5000,60,failed,\"Calculation error, zone 2\",0,,,,\n"
    "5,4000,30,succeeded,,11,63.0,,62.0,64.0\n"
    "6,4000,60,succeeded,,11,,\"never froze\",,\n";

TEST(SweepSummary, IsToldApartAndRead) {
  EXPECT_EQ(DocumentKindOf(kSummary), DocumentKind::kSweepSummary);
  EXPECT_TRUE(MayBeDocument(kSummary.substr(0, 200)));
  // A cases file has a case column but no status: not a summary.
  EXPECT_NE(DocumentKindOf("case,take_up_speed\nslow,4000\n"), DocumentKind::kSweepSummary);
  auto read = ReadSweepSummary(kSummary, "quench.csv");
  ASSERT_TRUE(std::holds_alternative<TSweepSummary>(read)) << std::get<std::string>(read);
  const TSweepSummary& summary = std::get<TSweepSummary>(read);
  EXPECT_EQ(summary.Failed, 1u);
  ASSERT_NE(summary.Column("freeze_point_cm"), nullptr);
  EXPECT_EQ(summary.Column("freeze_point_cm")->size(), 5u);
  EXPECT_EQ((*summary.Column("freeze_point_cm"))[4], std::nullopt);
}

TEST(SweepSummary, SeriesPerGroupInIncreasingXWithIntervals) {
  const TSweepSummary summary = std::get<TSweepSummary>(ReadSweepSummary(kSummary, "q.csv"));
  auto made = SweepFigureData(summary, "take_up_speed", {"freeze_point_cm"}, "zone2_air_velocity");
  ASSERT_TRUE(std::holds_alternative<TSweepFigureData>(made)) << std::get<std::string>(made);
  const TSweepFigureData& data = std::get<TSweepFigureData>(made);
  ASSERT_EQ(data.Panels.size(), 1u);
  const TSweepPanel& panel = data.Panels.front();
  EXPECT_TRUE(panel.Intervals);
  ASSERT_EQ(panel.Series.size(), 2u);
  EXPECT_EQ(panel.Series[0].By, 30.0);
  // 3000, 4000, 5000 m/min, whatever the order of the cases.
  ASSERT_EQ(panel.Series[0].Points.size(), 3u);
  EXPECT_EQ(panel.Series[0].Points[1].X, 4000.0);
  EXPECT_EQ(panel.Series[0].Points[1].Y, 63.0);
  EXPECT_EQ(panel.Series[0].Points[1].Lo, 62.0);
  EXPECT_EQ(panel.Series[0].Points[1].Hi, 64.0);
  // 60 cm/s: the failed case and the one that never froze left out.
  EXPECT_EQ(panel.Series[1].By, 60.0);
  ASSERT_EQ(panel.Series[1].Points.size(), 1u);
  EXPECT_EQ(panel.Series[1].Points[0].X, 3000.0);
}

TEST(SweepSummary, UnknownColumnIsNamedWithThoseThereAre) {
  const TSweepSummary summary = std::get<TSweepSummary>(ReadSweepSummary(kSummary, "q.csv"));
  auto made = SweepFigureData(summary, "take_up_speed", {"birefringence"}, "");
  ASSERT_TRUE(std::holds_alternative<std::string>(made));
  EXPECT_EQ(std::get<std::string>(made),
            "the summary has no column birefringence; it has take_up_speed, zone2_air_velocity, "
            "passes, freeze_point_cm, freeze_point_cm_lo, freeze_point_cm_hi");
  // Without a grouping column, one series; without intervals, none.
  const TSweepFigureData data =
      std::get<TSweepFigureData>(SweepFigureData(summary, "zone2_air_velocity", {"passes"}, ""));
  EXPECT_FALSE(data.Panels[0].Intervals);
  ASSERT_EQ(data.Panels[0].Series.size(), 1u);
  EXPECT_EQ(data.Panels[0].Series[0].Points.size(), 5u);
  EXPECT_EQ(SummaryColumnTitle("freeze_point_cm"), "Freeze point (cm)");
  EXPECT_EQ(SummaryColumnTitle("zone2_air_velocity"), "Zone 2 air (cm/s)");
}

TEST(SweepSummary, RowOfAnotherWidthIsRefused) {
  auto read = ReadSweepSummary("case,take_up_speed,status,message\n1,3000,succeeded\n", "s.csv");
  ASSERT_TRUE(std::holds_alternative<std::string>(read));
  EXPECT_EQ(std::get<std::string>(read), "s.csv, line 2: 3 cells, the header has 4");
}

TEST(FitDocument, ConstantsWithTheirIntervalsAndCasesWithTheirInputs) {
  constexpr std::string_view kFit = R"({"schema_version": 3, "status": "fitted",
    "parameters": [
      {"key": "heat_transfer.factor", "estimate": 1.5e-4, "wald_95": [1.4e-4, 1.6e-4],
       "profile_95": null},
      {"key": "viscosity.activation_K", "estimate": 6784, "wald_95": [6500, 7100],
       "profile_95": [6480, 7120]}],
    "cases": [{"case": "slow", "inputs": {"take_up_speed": {"text": "4000.0", "value": 4000.0}},
               "residuals": []}],
    "model": {}})";
  auto read = ReadFitJson(kFit, "fit.json");
  ASSERT_TRUE(std::holds_alternative<TFitDocument>(read)) << std::get<std::string>(read);
  const TFitDocument& fit = std::get<TFitDocument>(read);
  ASSERT_EQ(fit.Constants.size(), 2u);
  EXPECT_EQ(fit.Constants[0].Key, "heat_transfer.factor");
  EXPECT_EQ(fit.Constants[0].Lo, 1.4e-4);
  EXPECT_FALSE(fit.Constants[0].Profile);
  // The profile likelihood's interval before the Wald one.
  EXPECT_EQ(fit.Constants[1].Lo, 6480.0);
  EXPECT_TRUE(fit.Constants[1].Profile);
  EXPECT_EQ(fit.Cases[0].Inputs, (TCaseInputs{{"take_up_speed", 4000.0}}));
}

}  // namespace
}  // namespace vellmor
