// A result file's numbers are the runner's where its header's conditions, run again, give the
// file's table, and the printed table's elsewhere, saying why.

#include "vellmor/run/result_file_run.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "vellmor/analysis/result_file_numbers.h"
#include "vellmor/report/result_file.h"
#include "vellmor/run/run_sequence.h"

namespace vellmor {
namespace {

// A run's outcome and the result file it wrote, in memory.
struct TWritten {
  TRunOutcome Outcome;
  std::string File;
};

TWritten RunInMemory(const TInputTexts& texts, char separator) {
  ResultText file;
  TRunOptions options;
  options.DecimalSeparator = separator;
  options.ResultFile = ResultFileUse::kMemory;
  options.Memory = &file;
  auto state = std::make_unique<TRunState>();
  struct : MessageSink {
    void ShowMessage(std::string_view) override {}
  } quiet;
  TWritten written{RunSpinline(texts, *state, quiet, options), {}};
  written.File = file.Text();
  return written;
}

TEST(ResultFileNumbers, AreTheRunnersWhereTheConditionsReproduceTheTable) {
  for (const char separator : {'.', ','}) {
    SCOPED_TRACE(separator);
    TInputTexts texts = DefaultInputTexts(separator);
    texts.TakeUpSpeed = "4000";
    const TWritten written = RunInMemory(texts, separator);
    ASSERT_EQ(written.Outcome.Status, RunStatus::kSucceeded);
    const TResultFileReading reading = ParseResultFile(written.File);
    ASSERT_TRUE(reading.Contents.has_value());

    const TResultFileNumbers numbers = ResultFileNumbers(*reading.Contents);
    EXPECT_TRUE(numbers.Reproduced) << numbers.Why;
    const TProcessNumbers& run = *written.Outcome.Numbers;
    ASSERT_TRUE(numbers.Numbers.Freeze.has_value());
    EXPECT_EQ(numbers.Numbers.Freeze->PositionCm, run.Freeze->PositionCm);
    EXPECT_EQ(numbers.Numbers.Freeze->StressMPa, run.Freeze->StressMPa);
    EXPECT_EQ(numbers.Numbers.DrawDownRatio, run.DrawDownRatio);
    EXPECT_EQ(numbers.Numbers.Passes, run.Passes);
    // The printed table's own are off in their last digits: the reason for running again.
    const TProcessNumbers printed = ProcessNumbersOf(*reading.Contents);
    EXPECT_NE(printed.DrawDownRatio, run.DrawDownRatio);
  }
}

TEST(ResultFileNumbers, AreThePrintedTablesWhereTheFileWasEdited) {
  const TWritten written = RunInMemory(DefaultInputTexts('.'), '.');
  std::string edited = written.File;
  // Row 51 (x = 50 cm), its tension one unit up in the last printed digit.
  const std::size_t row = edited.find("\r\n  50.0 ") + 2;
  ASSERT_NE(row, std::string::npos + 2);
  const std::size_t digit = row + 22;  // the last digit of F: fields of 5, 7 and 8, a blank each
  edited[digit] = edited[digit] == '9' ? '8' : static_cast<char>(edited[digit] + 1);
  const TResultFileReading reading = ParseResultFile(edited);
  ASSERT_TRUE(reading.Contents.has_value()) << Describe(reading.Error);

  const TResultFileNumbers numbers = ResultFileNumbers(*reading.Contents);
  EXPECT_FALSE(numbers.Reproduced);
  EXPECT_EQ(numbers.Why, "its conditions run again give another table (row 51)");
  EXPECT_EQ(numbers.Numbers.DrawDownRatio, ProcessNumbersOf(*reading.Contents).DrawDownRatio);
}

}  // namespace
}  // namespace vellmor
