#include "vellmor/sweep/cases_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellmor {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TCasesTable Read(std::string_view csv) {
  auto table = ReadCasesTable(csv, "cases.csv");
  if (const auto* problem = std::get_if<TSweepProblem>(&table)) {
    ADD_FAILURE() << problem->Message;
    return {};
  }
  return std::get<TCasesTable>(std::move(table));
}

std::string Problem(std::string_view csv) {
  const auto table = ReadCasesTable(csv, "cases.csv");
  const auto* problem = std::get_if<TSweepProblem>(&table);
  return problem != nullptr ? problem->Message : std::string("accepted");
}

TEST(ReadCasesTable, HeaderNamesOptionsAndCellsKeepTheirText) {
  const TCasesTable table = Read("take-up-speed,zone1-a2\n4000,-32.5\n 5E3 ,\n");
  ASSERT_EQ(table.Columns.size(), 2u);
  EXPECT_EQ(table.Columns[0].Name(), "take_up_speed");
  EXPECT_EQ(table.Columns[1].Name(), "zone1_a2");
  EXPECT_EQ(table.Rows, (Rows{{"4000", "-32.5"}, {" 5E3 ", ""}}));
}

// RFC 4180 quoting, CR LF line ends, a byte order mark and blank lines, as spreadsheets write.
TEST(ReadCasesTable, ReadsWhatSpreadsheetsWrite) {
  const TCasesTable table =
      Read("\xEF\xBB\xBFincrement,iv\r\n\"0.5\",\"a\"\"b,c\"\r\n\r\n1,\"\"\r\n");
  EXPECT_EQ(table.Rows, (Rows{{"0.5", "a\"b,c"}, {"1", ""}}));
  // Under a comma locale the list separator, and so the delimiter, is ';'.
  const TCasesTable semicolons = Read("increment;iv\n0,5;0,7\n");
  EXPECT_EQ(semicolons.Rows, (Rows{{"0,5", "0,7"}}));
}

TEST(ReadCasesTable, ProblemsNameTheSpot) {
  EXPECT_EQ(Problem("increment,iv\n1,0.7\n1,0.7,9\n"),
            "cases.csv, line 3: 3 cells, but the header names 2 options");
  EXPECT_EQ(Problem("increment,iv\n1\n"),
            "cases.csv, line 2: 1 cells, but the header names 2 options");
  EXPECT_EQ(Problem("increment,speed\n1,2\n"),
            "cases.csv, line 1, column 2: 'speed' is neither an input nor a card key");
  EXPECT_EQ(Problem("iv,iv\n1,2\n"), "cases.csv, line 1, column 2: 'iv' is named twice");
  EXPECT_EQ(Problem("save-file\na\n"),
            "cases.csv, line 1, column 1: the sweep names each case's result file itself");
  EXPECT_EQ(Problem("iv,increment\n\"0.7,1\n"),
            "cases.csv, line 2, column 1: the quoted cell is not closed on its line");
  EXPECT_EQ(Problem("iv\n\"0.7\"x\n"), "cases.csv, line 2, column 1: text after the closing quote");
  EXPECT_EQ(Problem("iv\n0\"7\n"),
            "cases.csv, line 2, column 1: a quote inside an unquoted cell (quote the whole cell)");
  EXPECT_EQ(Problem(""), "cases.csv: no header line naming the options");
  EXPECT_EQ(Problem("iv\n\n"), "cases.csv: no case below the header");
}

}  // namespace
}  // namespace vellmor
