#include "vellmor/report/read_result_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vellmor/report/format_right.h"
#include "vellmor/report/write_header.h"
#include "vellmor/solver/calculate_spinline.h"
#include "support/default_result_header.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

namespace fs = std::filesystem;

// The rows of the worked example of the report layout, the last one lengthened by X = 1000.0
// and F = 12345.67, with the values they print, read off by hand.
const std::vector<std::string> kExampleRows = {
    "   0.0     8.9  112.500  290.0  0.03500  270.0  0.00061  0.0001  0.0637",
    "  20.0  3000.0  512.345  151.2  0.00152   25.0  0.00123  0.1741  0.2902",
    " 1000.0  5000.1 12345.670   64.8  0.00120   20.0  0.00046  6.9941  6.9940",
};
const std::vector<TResultRow> kExampleValues = {
    {0.0, 8.9, 112.5, 290.0, 0.035, 270.0, 0.00061, 0.0001, 0.0637},
    {20.0, 3000.0, 512.345, 151.2, 0.00152, 25.0, 0.00123, 0.1741, 0.2902},
    {1000.0, 5000.1, 12345.67, 64.8, 0.0012, 20.0, 0.00046, 6.9941, 6.994},
};

std::vector<std::string> ExampleFileLines() {
  std::vector<std::string> lines = test::kDefaultHeader;
  lines.insert(lines.end(), kExampleRows.begin(), kExampleRows.end());
  lines.insert(lines.end(), {"", ""});
  return lines;
}

void ExpectRow(const TResultRow& read, const TResultRow& expected) {
  EXPECT_EQ(read.X, expected.X);
  EXPECT_EQ(read.VOut, expected.VOut);
  EXPECT_EQ(read.F, expected.F);
  EXPECT_EQ(read.T, expected.T);
  EXPECT_EQ(read.D, expected.D);
  EXPECT_EQ(read.TA, expected.TA);
  EXPECT_EQ(read.H, expected.H);
  EXPECT_EQ(read.TenRE, expected.TenRE);
  EXPECT_EQ(read.TenAP, expected.TenAP);
}

TEST(ReadResultFile, WorkedExampleGivesItsConditionAndRows) {
  const TResultFileReading reading = ParseResultFile(test::Joined(ExampleFileLines()));
  ASSERT_TRUE(reading.Contents.has_value()) << Describe(reading.Error);
  const TResultFileContents& contents = *reading.Contents;
  TSpinCondition expected = test::DefaultCondition();
  expected.SaveFileName.clear();
  // Zone 3 has no equation in the header; its A1 … A3 stay zero, as in the default condition.
  EXPECT_EQ(contents.Condition, expected);
  EXPECT_EQ(contents.DecimalSeparator, '.');
  EXPECT_TRUE(contents.Complete);
  ASSERT_EQ(contents.Rows.size(), kExampleValues.size());
  for (std::size_t i = 0; i < kExampleValues.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i + 1));
    ExpectRow(contents.Rows[i], kExampleValues[i]);
  }
}

// The exponent forms of wide values, from the formatting examples: 1.2346E5 and a tension of
// 123456789 dyn in a width of 8.
TEST(ReadResultFile, ExponentFormsAndWideFields) {
  std::vector<std::string> lines = test::kDefaultHeader;
  lines[4] = "    Take-up Speed                     (m/min) =  1.23457E6";
  lines.push_back(" 100.0  5000.1 1.2345679E008   64.8  0.00120   20.0  0.00046  0.8616  0.8616");
  lines.push_back("   1.0 1.2346E5   -999.999   64.8  0.00120   20.0  0.00046  0.8616 123.4500");
  const TResultFileReading reading = ParseResultFile(test::Joined(lines));
  ASSERT_TRUE(reading.Contents.has_value()) << Describe(reading.Error);
  EXPECT_EQ(reading.Contents->Condition.TakeUpSpeed, 1234570.0);
  ASSERT_EQ(reading.Contents->Rows.size(), 2u);
  EXPECT_EQ(reading.Contents->Rows[0].F, 123456790.0);
  EXPECT_EQ(reading.Contents->Rows[1].VOut, 123460.0);
  EXPECT_EQ(reading.Contents->Rows[1].F, -999.999);
  EXPECT_EQ(reading.Contents->Rows[1].TenAP, 123.45);
  // Cut short before the empty lines: what there is, not complete.
  EXPECT_FALSE(reading.Contents->Complete);
}

TEST(ReadResultFile, DecimalCommaIsTakenFromTheHeader) {
  std::string text = test::Joined(ExampleFileLines());
  std::replace(text.begin(), text.end(), '.', ',');
  // The points that are not decimal separators: "Eq." and ".s.℃" under H's unit.
  for (std::size_t at; (at = text.find("Eq,")) != std::string::npos;) text.replace(at, 3, "Eq.");
  text.replace(text.find(",s,"), 3, ".s.");
  const TResultFileReading reading = ParseResultFile(text);
  ASSERT_TRUE(reading.Contents.has_value()) << Describe(reading.Error);
  EXPECT_EQ(reading.Contents->DecimalSeparator, ',');
  EXPECT_EQ(reading.Contents->Condition.Zones[1].A2, -32.5);
  ExpectRow(reading.Contents->Rows[2], kExampleValues[2]);
}

// Line ends converted to LF and the degree sign to UTF-8, as an editor may leave the file.
TEST(ReadResultFile, LfLineEndsAndUtf8DegreeSignsAreAccepted) {
  std::string text;
  for (std::string line : ExampleFileLines()) {
    for (std::size_t at; (at = line.find("\x81\x8E")) != std::string::npos;) {
      line.replace(at, 2, "\xE2\x84\x83");
    }
    text += line + "\n";
  }
  const TResultFileReading reading = ParseResultFile(text);
  ASSERT_TRUE(reading.Contents.has_value()) << Describe(reading.Error);
  EXPECT_TRUE(reading.Contents->Complete);
  EXPECT_EQ(reading.Contents->Rows.size(), 3u);
}

// A run that failed after its header leaves a file of 41 lines: a result file without rows.
TEST(ReadResultFile, HeaderAloneHasNoRows) {
  const TResultFileReading reading = ParseResultFile(test::Joined(test::kDefaultHeader));
  ASSERT_TRUE(reading.Contents.has_value()) << Describe(reading.Error);
  EXPECT_TRUE(reading.Contents->Rows.empty());
  EXPECT_FALSE(reading.Contents->Complete);
}

// The default case calculated and written to path as a run writes it; its state.
std::unique_ptr<TRunState> WriteDefaultRun(const fs::path& path, char separator) {
  auto state = std::make_unique<TRunState>();
  state->Condition = test::DefaultCondition();
  state->Condition.SaveFileName = path.string();
  test::RecordingSink sink;
  ResultFile file;
  EXPECT_TRUE(OpenResultFile(state->Condition.SaveFileName, file, sink));
  WriteHeader(state->Condition, separator, file);
  CalculateSpinline(*state);
  WriteResults(state->Condition, state->Profile, separator, file);
  file.Commit();
  return state;
}

// A whole run written by the report reads back to the texts it printed: each value read,
// printed again in its column, gives the column's text of the value computed.
class ReadBackTest : public testing::TestWithParam<char> {};

TEST_P(ReadBackTest, ComputedRunReadsBackToWhatWasPrinted) {
  const char separator = GetParam();
  test::ScratchDirectory dir;
  const std::unique_ptr<TRunState> state = WriteDefaultRun(dir / "result.txt", separator);

  const TResultFileReading reading = ReadResultFile(state->Condition.SaveFileName);
  ASSERT_TRUE(reading.Contents.has_value()) << Describe(reading.Error);
  const TResultFileContents& contents = *reading.Contents;
  TSpinCondition expected = state->Condition;
  expected.SaveFileName.clear();
  EXPECT_EQ(contents.Condition, expected);  // every default value prints exactly
  EXPECT_EQ(contents.DecimalSeparator, separator);
  EXPECT_TRUE(contents.Complete);
  const TSpinlineProfile& profile = state->Profile;
  ASSERT_EQ(contents.Rows.size(), static_cast<std::size_t>(profile.ZoneEndPoint[3]));
  // Width and decimals of each column of the table.
  auto same_text = [separator](int width, int decimals, double read, double computed) {
    return FormatRight(width, decimals, read, separator) ==
           FormatRight(width, decimals, computed, separator);
  };
  for (int p = 1; p <= profile.ZoneEndPoint[3]; ++p) {
    SCOPED_TRACE("point " + std::to_string(p));
    const TResultRow& row = contents.Rows[static_cast<std::size_t>(p - 1)];
    EXPECT_TRUE(same_text(5, 1, row.X, profile.X[p]));
    EXPECT_TRUE(same_text(7, 1, row.VOut, profile.VOut[p]));
    EXPECT_TRUE(same_text(8, 3, row.F, profile.F[p]));
    EXPECT_TRUE(same_text(6, 1, row.T, profile.T[p]));
    EXPECT_TRUE(same_text(8, 5, row.D, profile.D[p]));
    EXPECT_TRUE(same_text(6, 1, row.TA, profile.TA[p]));
    EXPECT_TRUE(same_text(8, 5, row.H, profile.H[p]));
    // Within half a unit of the last printed place, too.
    EXPECT_NEAR(row.F, profile.F[p], 0.0005 + 1e-12);
    EXPECT_NEAR(row.D, profile.D[p], 0.000005 + 1e-15);
  }
}

INSTANTIATE_TEST_SUITE_P(Separators, ReadBackTest, testing::Values('.', ','),
                         [](const testing::TestParamInfo<char>& info) {
                           return info.param == '.' ? std::string("Point") : std::string("Comma");
                         });

// A text that is not a result file is refused at the first line that breaks the layout, with
// what was expected there.
struct MalformedCase {
  const char* name;
  std::function<void(std::vector<std::string>&)> change;
  int line;
  std::string message;
};

void PrintTo(const MalformedCase& c, std::ostream* out) { *out << c.name; }

class MalformedFile : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedFile, IsRefusedNamingTheLineAndWhatWasExpected) {
  std::vector<std::string> lines = ExampleFileLines();
  GetParam().change(lines);
  const TResultFileReading reading = ParseResultFile(test::Joined(lines));
  EXPECT_FALSE(reading.Contents.has_value());
  EXPECT_EQ(reading.Error.Line, GetParam().line);
  EXPECT_EQ(reading.Error.Message, GetParam().message);
}

using Lines = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Layout, MalformedFile,
    testing::Values(
        MalformedCase{"Empty", [](Lines& l) { l.clear(); }, 1,
                      "expected \"OPERATING CONDITION\", found the end of the file"},
        MalformedCase{"CutInTheHeader", [](Lines& l) { l.resize(19); }, 20,
                      "expected \"Zone End Position (cm) =\" followed by a number with a "
                      "decimal point, found the end of the file"},
        MalformedCase{
            "ValueNotANumber",
            [](Lines& l) { l[2] = "    Hole Diameter                        (cm) =  0.02x"; }, 3,
            "expected \"Hole Diameter (cm) =\" followed by a number with a decimal "
            "point, found \"    Hole Diameter                        (cm) =  0.02x\""},
        MalformedCase{"LineMissing", [](Lines& l) { l.erase(l.begin() + 11); }, 12,
                      "expected \"    Air Temperature Eq. Parameters:\", found \"        A1       "
                      "                             =  16087.50\""},
        // A degree sign of another encoding: the label no longer matches.
        MalformedCase{"DegreeSignLatin1",
                      [](Lines& l) {
                        l[6] =
                            "    Polymer Melt Temperature             (\xB0"
                            "C) =  290.0";
                      },
                      7,
                      "expected \"Polymer Melt Temperature (℃) =\" followed by a number with a "
                      "decimal point, found \"    Polymer Melt Temperature             (?C) =  "
                      "290.0\""},
        MalformedCase{"RowTooShort",
                      [](Lines& l) {
                        l[41] = "   0.0     8.9  112.500  290.0  0.03500  270.0  0.00061  0.0001";
                      },
                      42,
                      "expected a row of 9 numbers (X V F T D TA H TEN(RE) TEN(AP)), found 8 in "
                      "\"   0.0     8.9  112.500  290.0  0.03500  270.0  0.00061  0.0001\""},
        MalformedCase{
            "RowFieldNotANumber",
            [](Lines& l) {
              l[42] = "  20.0  3000.0  512.345  151.2  0.00152   2O.0  0.00123  0.1741  0.2902";
            },
            43, "expected a number with a decimal point for TA, found \"2O.0\""},
        MalformedCase{
            "RowWithTheOtherSeparator",
            [](Lines& l) {
              l[43] = " 1000,0  5000.1 12345.670   64.8  0.00120   20.0  0.00046  6.9941  6.9940";
            },
            44, "expected a number with a decimal point for X, found \"1000,0\""},
        MalformedCase{"TextAfterTheTable", [](Lines& l) { l.push_back("notes"); }, 47,
                      "expected nothing after the empty line that ends the table (line 45), "
                      "found \"notes\""}),
    [](const auto& info) { return info.param.name; });

TEST(ReadResultFile, FileThatCannotBeReadIsRefusedAsAWhole) {
  test::ScratchDirectory dir;
  const TResultFileReading missing = ReadResultFile(dir / "missing.txt");
  EXPECT_FALSE(missing.Contents.has_value());
  EXPECT_EQ(missing.Error.Line, 0);
  EXPECT_EQ(missing.Error.Message, "can not be read: No such file or directory");

  const TResultFileReading directory = ReadResultFile(dir.path());
  EXPECT_EQ(directory.Error.Message, "is not an ordinary file");

  // Larger than any table could make it, whatever it holds.
  std::ofstream(dir / "large.txt", std::ios::binary)
      << std::string(static_cast<std::size_t>(kMaxResultFileBytes) + 1, ' ');
  const TResultFileReading large = ReadResultFile(dir / "large.txt");
  EXPECT_FALSE(large.Contents.has_value());
  EXPECT_EQ(large.Error.Line, 0);
  EXPECT_EQ(large.Error.Message, "is larger than any result file (4194305 bytes)");
}

// A file cut short anywhere, as a full disk or an interrupted copy leaves it: nothing short of
// the whole file may be shown as a whole run, and the refusal names a line of the file.
TEST(NotShowable, EveryTruncationOfARealFileIsRefused) {
  test::ScratchDirectory dir;
  WriteDefaultRun(dir / "result.txt", '.');
  const std::string whole = test::ReadBytes(dir / "result.txt");
  ASSERT_EQ(test::CrLfLines(whole).size(), 144u);

  const TResultFileReading complete = ParseResultFile(whole);
  ASSERT_TRUE(complete.Contents.has_value());
  EXPECT_EQ(NotShowable(*complete.Contents), std::nullopt);
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const TResultFileReading reading = ParseResultFile(std::string_view(whole).substr(0, size));
    if (!reading.Contents) {
      EXPECT_FALSE(reading.Error.Message.empty()) << size;
      continue;
    }
    const std::optional<TResultFileError> problem = NotShowable(*reading.Contents);
    ASSERT_TRUE(problem.has_value()) << "a file cut after " << size << " bytes is shown";
    EXPECT_GT(problem->Line, 41) << size;
    EXPECT_LE(problem->Line, 143) << size;
  }
}

TEST(NotShowable, ValuesNoAxisCanSpanAreRefused) {
  std::vector<std::string> lines = ExampleFileLines();
  lines[42] = "  20.0  3000.0 1.0E308  151.2  0.00152   25.0  0.00123  0.1741  0.2902";
  const TResultFileReading reading = ParseResultFile(test::Joined(lines));
  ASSERT_TRUE(reading.Contents.has_value()) << Describe(reading.Error);
  const std::optional<TResultFileError> problem = NotShowable(*reading.Contents);
  ASSERT_TRUE(problem.has_value());
  EXPECT_EQ(problem->Line, 43);
  EXPECT_EQ(problem->Message, "F lies beyond any value of a spinline (more than 1E100)");
}

}  // namespace
}  // namespace vellmor
