#include "vellmor/sweep/summary_csv.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace vellmor {
namespace {

std::vector<TSweepColumn> Columns() {
  return {FindInputField("take-up-speed"), FindInputField("zone2-air-velocity")};
}

TEST(SummaryCsv, HeaderNamesTheVariedOptionsThenTheResults) {
  EXPECT_EQ(SummaryHeader(Columns()),
            "case,take_up_speed,zone2_air_velocity,status,message,passes,spinneret_tension_dyn,"
            "final_velocity_m_min,freeze_point_cm,freeze_velocity_m_min,freeze_tension_dyn,"
            "freeze_stress_MPa,take_up_tension_dyn,fineness_dtex,fineness_denier,draw_down_ratio,"
            "residence_time_s,max_strain_rate_1_s,max_strain_rate_at_cm,final_diameter_um,"
            "final_temperature_C,warnings\n");
}

// Tension, final velocity and the thirteen process numbers left are empty.
TEST(SummaryCsv, RefusedCaseHasItsMessageAndEmptyNumbers) {
  TCaseResult result;
  result.Case = 12;
  result.Status = RunStatus::kRefused;
  result.Message = "Value of Hole Diameter is not correct";
  EXPECT_EQ(SummaryLine(result, {"4,5", "a\"b"}),
            "12,\"4,5\",\"a\"\"b\",refused,Value of Hole Diameter is not correct,0" +
                std::string(2 + 13 + 1, ',') + "\n");
}

// Numbers in the shortest text that reads back to the same double, with a point: 0.1 is
// "0.1", not 0.10000000000000001; 1/3 needs all 16 digits.
TEST(SummaryCsv, SucceededCaseWritesRoundTripNumbers) {
  TCaseResult result;
  result.Case = 1;
  result.Status = RunStatus::kSucceeded;
  result.Passes = 11;
  result.SpinneretTensionDyn = 36.5;
  result.FinalVelocityMMin = 1.0 / 3.0;
  TProcessNumbers numbers;
  numbers.Freeze = TFreezePoint{0.1, 2000.0, 1e-7, 12.25};
  numbers.TakeUpTensionDyn = -0.0;
  numbers.FinenessDtex = 2.0;
  numbers.FinalTemperatureC = 34.2;
  result.Numbers = numbers;
  EXPECT_EQ(SummaryLine(result, {"3000", "20"}),
            "1,3000,20,succeeded,,11,36.5,0.3333333333333333,0.1,2000,1e-07,12.25,-0,2,0,0,0,0,0,"
            "0,34.2,\n");
}

// Each warning of the run, in one cell.
TEST(SummaryCsv, WarningsShareTheirCell) {
  TCaseResult result;
  result.Case = 5;
  result.Status = RunStatus::kSucceeded;
  result.Numbers = TProcessNumbers{};
  result.Warnings = {"Zone 1 air temperature: one", "Zone 2 air temperature: two"};
  const std::string line = SummaryLine(result, {});
  EXPECT_TRUE(line.ends_with(",\"Zone 1 air temperature: one; Zone 2 air temperature: two\"\n"))
      << line;
}

TEST(SummaryCsv, MessageLineBreaksBecomeBlanks) {
  TCaseResult result;
  result.Case = 2;
  result.Status = RunStatus::kFailed;
  result.Message = "one\r\ntwo";
  const std::string line = SummaryLine(result, {});
  EXPECT_EQ(line.substr(0, 20), "2,failed,one  two,0,");
  EXPECT_EQ(line.find('\n'), line.size() - 1);
}

// Without the converged solution the header ends with the process numbers, as above.
TEST(SummaryCsv, AccuracyHeaderAddsTheConvergedColumnsAtTheEnd) {
  EXPECT_EQ(SummaryHeader(Columns(), SummaryColumns::kWithAccuracy),
            "case,take_up_speed,zone2_air_velocity,status,message,passes,spinneret_tension_dyn,"
            "final_velocity_m_min,freeze_point_cm,freeze_velocity_m_min,freeze_tension_dyn,"
            "freeze_stress_MPa,take_up_tension_dyn,fineness_dtex,fineness_denier,draw_down_ratio,"
            "residence_time_s,max_strain_rate_1_s,max_strain_rate_at_cm,final_diameter_um,"
            "final_temperature_C,warnings,converged_spinneret_tension_dyn,classical_error_percent,"
            "converged_freeze_point_cm,suggested_increment_cm,converged_message\n");
}

TCaseResult Succeeded() {
  TCaseResult result;
  result.Case = 3;
  result.Status = RunStatus::kSucceeded;
  result.Passes = 9;
  result.SpinneretTensionDyn = 36.5;
  result.FinalVelocityMMin = 4000.0;
  result.Numbers = TProcessNumbers{};
  return result;
}

// The thirteen process numbers of a default TProcessNumbers, no freeze point among them.
// And the empty warnings cell.
const std::string kProcessCells = "3,succeeded,,9,36.5,4000,,,,,0,0,0,0,0,0,0,0,0,";

TEST(SummaryCsv, AccuracyCellsFollowTheProcessNumbers) {
  TCaseResult result = Succeeded();
  TAccuracyReport report;
  report.SpinneretTension = {40.5, 36.5, -9.875};
  report.ConvergedFreezePoint = 62.25;
  report.SuggestedIncrement = 0.08;
  result.Accuracy = report;
  EXPECT_EQ(SummaryLine(result, {}, SummaryColumns::kWithAccuracy),
            kProcessCells + ",40.5,-9.875,62.25,0.08,\n");
  // The same case without the columns: not a byte more.
  EXPECT_EQ(SummaryLine(result, {}), kProcessCells + "\n");
}

// A converged value of 0 gives no error; a filament that never freezes no freeze point.
TEST(SummaryCsv, AccuracyCellsWithoutANumberAreEmpty) {
  TCaseResult result = Succeeded();
  TAccuracyReport report;
  report.SpinneretTension = {0.0, 36.5, std::numeric_limits<double>::quiet_NaN()};
  report.SuggestedIncrement = 1.0;
  result.Accuracy = report;
  EXPECT_EQ(SummaryLine(result, {}, SummaryColumns::kWithAccuracy), kProcessCells + ",0,,,1,\n");
}

// The case keeps its status and message; the failure is one quoted line of its own.
TEST(SummaryCsv, FailedConvergedSolutionLeavesItsCellsEmpty) {
  TCaseResult result = Succeeded();
  result.AccuracyFailure = "Converged solution failed: no convergence, pass 40\nof 40";
  EXPECT_EQ(SummaryLine(result, {}, SummaryColumns::kWithAccuracy),
            kProcessCells + ",,,,,\"Converged solution failed: no convergence, pass 40 of 40\"\n");
}

TEST(SummaryCsv, RefusedCaseHasEmptyAccuracyCells) {
  TCaseResult result;
  result.Case = 4;
  result.Status = RunStatus::kRefused;
  result.Message = "Value of Hole Diameter is not correct";
  EXPECT_EQ(SummaryLine(result, {"x"}, SummaryColumns::kWithAccuracy),
            "4,x,refused,Value of Hole Diameter is not correct,0" +
                std::string(2 + 13 + 1 + 5, ',') + "\n");
}

}  // namespace
}  // namespace vellmor
