// Every column of the table of results reaches every output that lists it: the result file's
// row and its reader, the CSV and the JSON exports.

#include "vellmor/report/result_columns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vellmor/exports/profile_csv.h"
#include "vellmor/exports/run_json.h"
#include "vellmor/report/header_layout.h"
#include "vellmor/report/read_result_file.h"
#include "vellmor/report/write_results.h"
#include "support/default_result_header.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

TEST(ResultColumns, EachColumnReachesTheFileTheReaderAndTheExports) {
  for (std::size_t i = 0; i < kResultColumns.size(); ++i) {
    const TResultColumn& column = kResultColumns[i];
    SCOPED_TRACE(std::string(column.Head));
    // 0.5 in every column but this one, which holds 12.5, a value every column prints exactly.
    TResultRow row{0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5};
    row.*column.Value = 12.5;

    std::vector<std::string> lines = test::kDefaultHeader;
    lines.push_back(FormatResultRow(row));
    lines.insert(lines.end(), {"", ""});
    const TResultFileReading reading = ParseResultFile(test::Joined(lines));
    ASSERT_TRUE(reading.Contents.has_value()) << Describe(reading.Error);
    ASSERT_EQ(reading.Contents->Rows.size(), 1u);
    EXPECT_EQ(reading.Contents->Rows[0].*column.Value, 12.5);

    const std::vector<std::string> records = test::LfLines(ProfileCsv({&row, 1}));
    ASSERT_EQ(records.size(), 2u);
    // The exports give the diameter in µm, the table in cm; every other column as the table.
    const auto exported = [](std::size_t j, bool twelve) -> std::string {
      if (kResultColumns[j].ExportName == "d_um") return twelve ? "125000" : "5000";
      return twelve ? "12.5" : "0.5";
    };
    std::string expected_record;
    for (std::size_t j = 0; j < kResultColumns.size(); ++j) {
      if (j > 0) expected_record += ',';
      expected_record += exported(j, j == i);
    }
    EXPECT_EQ(records[1], expected_record);
    EXPECT_NE(records[0].find(std::string(column.ExportName)), std::string::npos);

    const TInputTexts texts;
    TRunOutcome outcome;
    outcome.Status = RunStatus::kSucceeded;
    const TRunRecord record{texts, '.', outcome, "", {&row, 1}};
    EXPECT_EQ(RunJson(record)["profile"][std::string(column.ExportName)][0],
              column.ExportName == "d_um" ? 125000.0 : 12.5);
  }
}

// The head of the table is the header's own text, laid out by hand: each column's name stands
// inside that column's field of a row, so the two cannot drift apart.
TEST(ResultColumns, TheHeadNamesEachColumnInsideItsField) {
  std::size_t field_start = 0;
  for (const TResultColumn& column : kResultColumns) {
    field_start += 1;  // the blank before every field
    const std::size_t at = header_layout::kColumnNames.find(column.Head, field_start);
    EXPECT_NE(at, std::string_view::npos) << column.Head;
    EXPECT_LE(at + column.Head.size(), field_start + static_cast<std::size_t>(column.Width))
        << column.Head;
    field_start += static_cast<std::size_t>(column.Width);
  }
  EXPECT_EQ(field_start, header_layout::kColumnNames.size());
}

}  // namespace
}  // namespace vellmor
