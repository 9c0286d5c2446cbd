// The runner's JSON and CSV exports and the process numbers of its summary, from the real
// executable in a scratch directory.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_process.h"
#include "vellmor/report/format_right.h"
#include "vellmor/report/read_result_file.h"
#include "support/test_support.h"

namespace vellmor::cli_test {
using test::CrLfLines;
using test::ReadBytes;
namespace {

namespace fs = std::filesystem;

using Arguments = std::vector<std::string>;
using Json = nlohmann::json;

constexpr const char* kCsvHeader =
    "x_cm,v_m_min,f_dyn,t_C,d_um,ta_C,h_cal_cm2_s_C,ten_re_gf_den,ten_ap_gf_den";

// The columns of the table of results: JSON and CSV name, width and decimals, the value read,
// and the exports' unit over the table's (the diameter: µm in the exports, cm in the file).
struct Column {
  const char* name;
  int width;
  int decimals;
  double TResultRow::*value;
  double scale = 1.0;
};

constexpr Column kColumns[] = {
    {"x_cm", 5, 1, &TResultRow::X},
    {"v_m_min", 7, 1, &TResultRow::VOut},
    {"f_dyn", 8, 3, &TResultRow::F},
    {"t_C", 6, 1, &TResultRow::T},
    {"d_um", 8, 5, &TResultRow::D, 1e4},
    {"ta_C", 6, 1, &TResultRow::TA},
    {"h_cal_cm2_s_C", 8, 5, &TResultRow::H},
    {"ten_re_gf_den", 7, 4, &TResultRow::TenRE},
    {"ten_ap_gf_den", 7, 4, &TResultRow::TenAP},
};

class CliExportTest : public CliTest {
 protected:
  Json ReadJson(const char* name) const { return Json::parse(ReadBytes(work_ / name)); }
  std::vector<TResultRow> ResultRows() const {
    const TResultFileReading reading = ReadResultFile(work_ / "result.txt");
    EXPECT_TRUE(reading.Contents.has_value()) << Describe(reading.Error);
    return reading.Contents ? reading.Contents->Rows : std::vector<TResultRow>{};
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(work_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

// A value printed again in its column gives the text the result file holds.
void ExpectSameAsPrinted(const Column& column, double exported, double printed, std::size_t p) {
  EXPECT_EQ(FormatRight(column.width, column.decimals, exported / column.scale),
            FormatRight(column.width, column.decimals, printed))
      << column.name << " at point " << p + 1;
}

TEST_F(CliExportTest, JsonOnStandardOutputDescribesTheDefaultRun) {
  const TCliRun run = Run({"--json", "-"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  // Standard output is the document alone; the summary went to standard error.
  const Json json = Json::parse(run.Out);
  EXPECT_NE(run.Err.find("Converged after 11 passes\n"), std::string::npos) << run.Err;
  EXPECT_EQ(json["status"], "succeeded");
  // Who wrote it, and how it was called.
  EXPECT_EQ(json["program"]["name"], "vellmor-cli");
  EXPECT_FALSE(json["program"]["version"].get<std::string>().empty());
  EXPECT_EQ(json["program"]["command_line"].size(), 3u);
  EXPECT_EQ(json["program"]["command_line"][1], "--json");
  EXPECT_EQ(json["summary"]["passes"], 11);
  EXPECT_NEAR(json["process_numbers"]["freeze_point_cm"].get<double>(), 63.84, 0.005);
  EXPECT_EQ(json["process_numbers"]["fineness_dtex"], 2.0);  // 10 000 × 1 g/min / 5000 m/min

  const std::vector<TResultRow> rows = ResultRows();
  ASSERT_EQ(rows.size(), 101u);
  for (const Column& column : kColumns) {
    const Json& values = json["profile"][column.name];
    ASSERT_EQ(values.size(), rows.size()) << column.name;
    for (std::size_t p = 0; p < rows.size(); ++p) {
      ExpectSameAsPrinted(column, values[p].get<double>(), rows[p].*column.value, p);
    }
  }
}

TEST_F(CliExportTest, CsvHoldsTheProfileWithAPointAndLf) {
  const TCliRun run = Run({"--csv", "profile.csv"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> records = test::LfLines(ReadBytes(work_ / "profile.csv"));
  const std::vector<TResultRow> rows = ResultRows();
  ASSERT_EQ(records.size(), rows.size() + 1);
  EXPECT_EQ(records[0], kCsvHeader);
  for (std::size_t p = 0; p < rows.size(); ++p) {
    std::string_view record = records[p + 1];
    for (const Column& column : kColumns) {
      const std::size_t comma = record.find(',');
      const std::string_view field = record.substr(0, comma);
      double value = 0.0;
      const auto parsed = std::from_chars(field.data(), field.data() + field.size(), value);
      ASSERT_EQ(parsed.ptr, field.data() + field.size()) << records[p + 1];
      ExpectSameAsPrinted(column, value, rows[p].*column.value, p);
      record.remove_prefix(comma == std::string_view::npos ? record.size() : comma + 1);
    }
  }
}

// The summary's new lines stand between the final temperature and the file: the take-up
// tension is F of the last row, the fineness 10 000 (9 000) × 1 g/min / 5000 m/min.
TEST_F(CliExportTest, SummaryTellsWhatTheSpinlineMeans) {
  const TCliRun run = Run({});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::vector<std::string> lines = CrLfLines(ReadBytes(work_ / "result.txt"));
  const std::string last_f = lines[141].substr(15, 8);
  const std::string degrees = " °C\n";
  const std::size_t after =
      run.Out.find(degrees, run.Out.find("Final temperature:")) + degrees.size();
  const std::string numbers = run.Out.substr(after, run.Out.find("Result file:") - after);
  EXPECT_TRUE(
      numbers.starts_with("Freeze point:       63.84 cm (filament at 70 °C)\n"
                          "Stress at freeze:   "))
      << numbers;
  EXPECT_NE(numbers.find("\nTake-up tension:    " + last_f.substr(last_f.find_first_not_of(' ')) +
                         " dyn\nFineness:           2.000 dtex (1.800 den)\n"
                         "Draw-down ratio:    "),
            std::string::npos)
      << numbers;
  EXPECT_NE(numbers.find("\nResidence time:     "), std::string::npos) << numbers;
}

// Both exports describe the call: a refusal has its message and nothing it did not reach, and
// the result file is left alone.
TEST_F(CliExportTest, RefusedRunStillWritesItsExports) {
  const TCliRun run = Run({"--hole-diameter", "0", "--json", "run.json", "--csv", "run.csv"});
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Err, "vellmor-cli: Value of Hole Diameter is not correct\n");
  const Json json = ReadJson("run.json");
  EXPECT_EQ(json["status"], "refused");
  EXPECT_EQ(json["message"], "Value of Hole Diameter is not correct");
  EXPECT_EQ(json["inputs"]["hole_diameter"]["value"], 0.0);
  EXPECT_TRUE(json["profile"].is_null());
  EXPECT_EQ(ReadBytes(work_ / "run.csv"), std::string(kCsvHeader) + "\n");
  EXPECT_EQ(Names(), (std::vector<std::string>{"run.csv", "run.json"}));
}

TEST_F(CliExportTest, ExportThatCannotBeWrittenExitsWith73) {
  const TCliRun run = Run({"--json", "no dir/run.json"});
  EXPECT_EQ(run.ExitStatus, 73);
  EXPECT_EQ(run.Err,
            "vellmor-cli: Can not write the JSON export file no dir/run.json: No such file or "
            "directory\n");
  // The run itself went through.
  EXPECT_EQ(CrLfLines(ReadBytes(work_ / "result.txt")).size(), 144u);
}

// An earlier export is replaced whole and keeps its permissions; nothing else is left behind.
TEST_F(CliExportTest, EarlierExportIsReplacedWhole) {
  std::ofstream(work_ / "run.json") << "earlier";
  fs::permissions(work_ / "run.json",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const TCliRun run = Run({"--json", "run.json"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_EQ(ReadJson("run.json")["status"], "succeeded");
  EXPECT_EQ(fs::status(work_ / "run.json").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Names(), (std::vector<std::string>{"result.txt", "run.json"}));
}

TEST_F(CliExportTest, ReadOnlyExportIsLeftAsItWas) {
  std::ofstream(work_ / "run.csv") << "earlier";
  fs::permissions(work_ / "run.csv", fs::perms::owner_read);
  const TCliRun run = Run({"--csv", "run.csv"});
  EXPECT_EQ(run.ExitStatus, 73);
  EXPECT_EQ(run.Err, "vellmor-cli: Can not write the CSV export file run.csv: Permission denied\n");
  EXPECT_EQ(ReadBytes(work_ / "run.csv"), "earlier");
}

// Two outputs that would land in one place are refused before anything runs.
TEST_F(CliExportTest, CollidingOutputsAreUsageErrors) {
  struct Case {
    Arguments arguments;
    const char* message;
  };
  const Case cases[] = {
      {{"--json", "-", "--csv", "-"}, "--json and --csv: both write to standard output"},
      {{"--json", "a.out", "--csv", "./a.out"}, "--json and --csv: both name a.out"},
      {{"--json", "result.txt"}, "--json: names the result file result.txt"},
      {{"-o", "r.txt", "--csv", "./r.txt"}, "--csv: names the result file r.txt"},
      {{"--csv", "a.csv", "--converged-csv", "a.csv"},
       "--csv and --converged-csv: both name a.csv"},
      {{"--json", "-", "--converged-csv", "-"},
       "--json and --converged-csv: both write to standard output"},
      {{"--converged-csv", "result.txt"}, "--converged-csv: names the result file result.txt"},
  };
  for (const Case& c : cases) {
    const TCliRun run = Run(c.arguments);
    EXPECT_NE(run.ExitStatus, 0) << c.message;
    EXPECT_NE(run.Err.find(c.message), std::string::npos) << run.Err;
  }
  EXPECT_TRUE(fs::is_empty(work_));
}

TEST_F(CliExportTest, HelpDocumentsTheExportsAndTheirExitStatus) {
  const TCliRun run = Run({"--help"});
  ASSERT_EQ(run.ExitStatus, 0);
  EXPECT_NE(run.Out.find("--json FILE"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("--csv FILE"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("--converged-csv FILE"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("--accuracy"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("Exit status 73"), std::string::npos) << run.Out;
}

}  // namespace
}  // namespace vellmor::cli_test
