#include "vellmor/fit/measured_data.h"

#include <gtest/gtest.h>

#include <string>

namespace vellmor {
namespace {

std::string Problem(std::string_view csv, MeasuredRows rows = MeasuredRows::kMeasurements) {
  auto read = ReadMeasuredData(csv, "m.csv", rows);
  EXPECT_TRUE(std::holds_alternative<std::string>(read)) << csv;
  return std::holds_alternative<std::string>(read) ? std::get<std::string>(read) : "";
}

// Columns in any order, sigma and case optional, a spreadsheet's byte order mark and ';'.
TEST(ReadMeasuredData, ReadsWhatInstrumentsAndSpreadsheetsWrite) {
  const auto data =
      std::get<TMeasuredData>(ReadMeasuredData("\xEF\xBB\xBFquantity;value;x_cm;sigma;case\r\n"
                                               "diameter_um;58.1;20;0.5;slow\r\n"
                                               "\r\n"
                                               "tension_dyn;455.2;100;;\"fast, wet\"\r\n",
                                               "m.csv"));
  EXPECT_TRUE(data.HasCaseColumn);
  ASSERT_EQ(data.Rows.size(), 2u);
  EXPECT_EQ(data.Rows[0].What, Quantity::kDiameterUm);
  EXPECT_EQ(data.Rows[0].Value, 58.1);
  EXPECT_EQ(data.Rows[0].X, 20.0);
  EXPECT_EQ(*data.Rows[0].Sigma, 0.5);
  EXPECT_EQ(data.Rows[0].Case, "slow");
  EXPECT_EQ(data.Rows[1].Line, 4);
  EXPECT_FALSE(data.Rows[1].Sigma.has_value());
  EXPECT_EQ(data.Rows[1].Case, "fast, wet");
}

TEST(ReadMeasuredData, ProblemsNameFileLineAndColumn) {
  EXPECT_EQ(Problem(""), "m.csv: no header line naming the columns");
  EXPECT_EQ(Problem("x_cm,quantity\n1,diameter_um\n"),
            "m.csv, line 1: the column value is missing");
  EXPECT_EQ(Problem("x_cm,quantity,value,colour\n"),
            "m.csv, line 1, column 4: unknown column 'colour'; the columns are case, x_cm, "
            "quantity, value, sigma");
  EXPECT_EQ(Problem("x_cm,quantity,value\n10,width_um,3\n"),
            "m.csv, line 2: unknown quantity 'width_um'; the quantities are diameter_um, "
            "temperature_C, velocity_m_min, tension_dyn");
  EXPECT_EQ(Problem("x_cm,quantity,value\n10,diameter_um,3,5\n"),
            "m.csv, line 2: 4 cells, but the header names 3");
  EXPECT_EQ(Problem("x_cm,quantity,value\nten,diameter_um,3\n"),
            "m.csv, line 2, column 1: x_cm is not a number: 'ten'");
  EXPECT_EQ(Problem("x_cm,quantity,value\n-1,diameter_um,3\n"),
            "m.csv, line 2: x_cm must be 0 or more (the spinneret), not -1");
  EXPECT_EQ(Problem("x_cm,quantity,value,sigma\n1,diameter_um,3,0\n"),
            "m.csv, line 2: sigma must be above 0, not 0");
  EXPECT_EQ(Problem("x_cm,quantity,value\n"), "m.csv: no measurement below the header");
}

// Candidates say what could be measured: a value column is not theirs.
TEST(ReadMeasuredData, CandidatesHaveNoValue) {
  const auto candidates = std::get<TMeasuredData>(
      ReadMeasuredData("x_cm,quantity\n40,temperature_C\n", "c.csv", MeasuredRows::kCandidates));
  ASSERT_EQ(candidates.Rows.size(), 1u);
  EXPECT_EQ(candidates.Rows[0].What, Quantity::kTemperatureC);
  EXPECT_EQ(Problem("x_cm,quantity,value\n40,temperature_C,1\n", MeasuredRows::kCandidates),
            "m.csv, line 1, column 3: unknown column 'value'; the columns are case, x_cm, "
            "quantity, sigma");
}

}  // namespace
}  // namespace vellmor
