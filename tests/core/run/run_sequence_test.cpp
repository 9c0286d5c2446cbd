#include "vellmor/run/run_sequence.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "vellmor/report/result_file.h"
#include "vellmor/report/result_rows.h"
#include "vellmor/report/write_results.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

namespace fs = std::filesystem;

class RunSpinlineTest : public ::testing::Test {
 protected:
  void SetUp() override { texts_.SaveFileName = (dir_ / "result.txt").string(); }

  TRunOutcome Run(const TRunOptions& options = {}) {
    return RunSpinline(texts_, *state_, sink_, options);
  }
  std::string ResultBytes() const { return test::ReadBytes(texts_.SaveFileName); }

  test::ScratchDirectory dir_;
  TInputTexts texts_;
  test::RecordingSink sink_;
  std::unique_ptr<TRunState> state_ = std::make_unique<TRunState>();
};

TEST_F(RunSpinlineTest, DefaultCaseWritesHeaderTableAndTwoEmptyLines) {
  const TRunOutcome outcome = Run();
  ASSERT_EQ(outcome.Status, RunStatus::kSucceeded);
  EXPECT_TRUE(sink_.messages.empty());

  const std::vector<std::string> lines = test::CrLfLines(ResultBytes());
  ASSERT_EQ(lines.size(), 144u);  // 41 header lines, 101 rows, 2 empty lines
  EXPECT_EQ(lines[37], "[RESULTS]");
  EXPECT_EQ(lines[142], "");
  EXPECT_EQ(lines[143], "");
  for (int p = 1; p <= 101; ++p) {
    const std::string& row = lines[40 + p];
    SCOPED_TRACE(row);
    ASSERT_EQ(row.size(), 71u);
    EXPECT_EQ(std::stod(row.substr(1, 5)), p - 1.0);  // X from 0.0 to 100.0 cm
    EXPECT_NE(row.substr(40, 6), "   0.0");           // TA filled in every row
    EXPECT_NE(row.substr(47, 8), " 0.00000");         // and H
  }
  EXPECT_EQ(lines[41].substr(0, 6), "   0.0");

  // At the take-up end the two tenacities differ only by VOut / TakeUpSpeed, which the search
  // brought within 0.1 %.
  const std::string& last = lines[141];
  const double ten_re = std::stod(last.substr(56, 7));
  const double ten_ap = std::stod(last.substr(64, 7));
  EXPECT_NEAR(ten_re / ten_ap, 1.0, 0.001 + 0.0002);  // plus the rounding of four decimals
  const double v_out = std::stod(last.substr(7, 7));
  EXPECT_NEAR(v_out / 5000.0, 1.0, 0.001);
}

TEST_F(RunSpinlineTest, SummaryAndPassHistory) {
  const TRunOutcome outcome = Run();
  ASSERT_EQ(outcome.Status, RunStatus::kSucceeded);
  EXPECT_EQ(outcome.Summary.Passes, 11);
  EXPECT_NEAR(outcome.Summary.Tension, 36.4771, 1e-4);
  EXPECT_NEAR(outcome.Summary.FinalVelocity, 8333.23, 0.01);
  EXPECT_DOUBLE_EQ(outcome.Summary.TakeUpVelocity, 5000.0 / 0.6);
  EXPECT_GT(outcome.Summary.FinalDiameter, 0.0);
  EXPECT_LT(outcome.Summary.FinalTemperature, 290.0);
  EXPECT_EQ(outcome.Summary.SaveFileName, texts_.SaveFileName);
  ASSERT_EQ(outcome.Passes.size(), 11u);
  EXPECT_EQ(outcome.Passes[5].LastPoint, 31);
  EXPECT_TRUE(outcome.Passes[5].RanAway);
}

// Only a converged profile has process numbers.
TEST_F(RunSpinlineTest, ProcessNumbersComeWithSuccessOnly) {
  const TRunOutcome outcome = Run();
  ASSERT_TRUE(outcome.Numbers.has_value());
  EXPECT_EQ(outcome.Numbers->Passes, 11);
  EXPECT_DOUBLE_EQ(outcome.Numbers->FinenessDtex, 2.0);  // 10 000 × 1 g/min / 5000 m/min
  EXPECT_EQ(outcome.Numbers->SpinneretTensionDyn, outcome.Summary.Tension);
  texts_.HoleDiameter = "0";
  EXPECT_FALSE(Run().Numbers.has_value());
}

TEST_F(RunSpinlineTest, ObserverHearsEveryPassAsItHappens) {
  struct Counter : PassObserver {
    void OnPass(const TPassRecord& pass) override { last = pass.Pass; }
    int last = 0;
  } counter;
  TRunOptions options;
  options.Observer = &counter;
  ASSERT_EQ(Run(options).Status, RunStatus::kSucceeded);
  EXPECT_EQ(counter.last, 11);
}

TEST_F(RunSpinlineTest, SecondRunReplacesTheFirst) {
  ASSERT_EQ(Run().Status, RunStatus::kSucceeded);
  texts_.TakeUpSpeed = "4000.0";
  ASSERT_EQ(Run().Status, RunStatus::kSucceeded);
  const std::string bytes = ResultBytes();
  EXPECT_EQ(test::CrLfLines(bytes).size(), 144u);
  EXPECT_NE(bytes.find("(m/min) =  4000.0\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find("5000.0\r\n"), std::string::npos);
}

TEST_F(RunSpinlineTest, RefusedInputLeavesAnEarlierFileAlone) {
  ASSERT_EQ(Run().Status, RunStatus::kSucceeded);
  const std::string before = ResultBytes();
  texts_.HoleDiameter = "0";
  EXPECT_EQ(Run().Status, RunStatus::kRefused);
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"Value of Hole Diameter is not correct"});
  EXPECT_EQ(ResultBytes(), before);
}

TEST_F(RunSpinlineTest, ProfileTooLongIsRefusedBeforeTheFileIsTouched) {
  texts_.Increment = "0.05";  // 2001 points
  EXPECT_EQ(Run().Status, RunStatus::kRefused);
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_FALSE(fs::exists(texts_.SaveFileName));
}

TEST_F(RunSpinlineTest, ArithmeticFailureLeavesTheHeaderOnly) {
  texts_.Zone1A2 = "0";  // zone 1's hyperbola has its pole at the spinneret
  EXPECT_EQ(Run().Status, RunStatus::kFailed);
  // The message says where: the step from x = 0 of the very first pass.
  EXPECT_EQ(sink_.messages, std::vector<std::string>{
                                "Calculation stopped: floating-point division by zero at x = 0.0 "
                                "cm in pass 1 (spinneret tension 25.000 dyn)"});
  EXPECT_EQ(test::CrLfLines(ResultBytes()).size(), 41u);
}

TEST_F(RunSpinlineTest, PassBoundEndsTheRunWithItsMessage) {
  TRunOptions options;
  options.MaxPasses = 5;
  EXPECT_EQ(Run(options).Status, RunStatus::kFailed);
  EXPECT_EQ(sink_.messages,
            std::vector<std::string>{"The take-up speed could not be met: no convergence after 5 "
                                     "passes"});
}

TEST_F(RunSpinlineTest, FullDiskFailsWithTheSystemsDescription) {
  const fs::path device = dir_ / "full";
  if (!test::MakeCharacterDevice(device, 1, 7)) GTEST_SKIP() << test::kNoDeviceReason;
  texts_.SaveFileName = device.string();
  const TRunOutcome outcome = Run();
  EXPECT_EQ(outcome.Status, RunStatus::kFailed);
  EXPECT_EQ(outcome.Failure, RunFailureKind::kWriteFailed);
  EXPECT_EQ(outcome.FileProblem, device.string() + ": No space left on device");
  ASSERT_EQ(sink_.messages.size(), 1u);
  EXPECT_NE(sink_.messages[0].find("No space left on device"), std::string::npos);
}

// Every way a run can end, told by its kind rather than by its message.
TEST_F(RunSpinlineTest, OutcomeNamesTheKindOfFailure) {
  EXPECT_EQ(Run().Failure, RunFailureKind::kNone);

  texts_.HoleDiameter = "0";
  EXPECT_EQ(Run().Failure, RunFailureKind::kInputRefused);
  texts_.HoleDiameter = TInputTexts{}.HoleDiameter;

  texts_.Zone1A2 = "0";
  const TRunOutcome fault = Run();
  EXPECT_EQ(fault.Failure, RunFailureKind::kCalculation);
  EXPECT_EQ(fault.Fault, CalculationFault::kDivisionByZero);
  // Where, as numbers: the first step of the first pass, as the message says.
  EXPECT_EQ(fault.FaultPositionCm, 0.0);
  EXPECT_EQ(fault.FaultPass, 1);
  texts_.Zone1A2 = TInputTexts{}.Zone1A2;

  texts_.SaveFileName = (dir_ / "missing" / "result.txt").string();
  const TRunOutcome refused = Run();
  EXPECT_EQ(refused.Status, RunStatus::kRefused);
  EXPECT_EQ(refused.Failure, RunFailureKind::kResultFileRefused);
  EXPECT_EQ(refused.FileProblem, texts_.SaveFileName + ": No such file or directory");
  EXPECT_EQ(sink_.messages.back(), "File can not open!");
}

// A sweep's result file reaches its name only when the case succeeds; without a result file
// the run touches none, whatever its save file name.
TEST_F(RunSpinlineTest, ResultFileUseDecidesWhatReachesTheName) {
  test::WriteBytes(texts_.SaveFileName, "earlier\r\n");
  TRunOptions on_success;
  on_success.ResultFile = ResultFileUse::kWriteOnSuccess;
  texts_.Zone1A2 = "0";
  EXPECT_EQ(Run(on_success).Status, RunStatus::kFailed);
  EXPECT_EQ(ResultBytes(), "earlier\r\n");
  texts_.Zone1A2 = TInputTexts{}.Zone1A2;

  TRunOptions none;
  none.ResultFile = ResultFileUse::kNone;
  texts_.SaveFileName = (dir_ / "never.txt").string();
  EXPECT_EQ(Run(none).Status, RunStatus::kSucceeded);
  EXPECT_EQ(test::NamesIn(dir_.path()), std::vector<std::string>{"result.txt"});

  EXPECT_EQ(Run(on_success).Status, RunStatus::kSucceeded);
  EXPECT_EQ(test::CrLfLines(test::ReadBytes(texts_.SaveFileName)).size(), 144u);
}

// The file is one consumer of the solution: solving without a file gives the rows of the
// file's table, the same passes and the same numbers.
TEST_F(RunSpinlineTest, FileFreeSolveEqualsTheFilesTable) {
  texts_.TakeUpSpeed = "4000.0";
  const TRunOutcome run = Run();
  ASSERT_EQ(run.Status, RunStatus::kSucceeded);
  const std::vector<std::string> lines = test::CrLfLines(ResultBytes());

  TSpinCondition condition = test::DefaultCondition();
  condition.TakeUpSpeed = 4000.0;
  const TSpinlineSolution solution = SolveSpinline(condition);
  ASSERT_EQ(solution.Outcome.Status, RunStatus::kSucceeded) << solution.Message;
  const std::vector<TResultRow> rows =
      ResultRowsOf(solution.State->Condition, solution.State->Profile);
  ASSERT_EQ(rows.size() + 41 + 2, lines.size());
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(FormatResultRow(rows[i]), lines[41 + i]);
  EXPECT_EQ(solution.Outcome.Passes.size(), run.Passes.size());
  EXPECT_EQ(solution.Outcome.Summary.Tension, run.Summary.Tension);
  EXPECT_EQ(solution.Outcome.Numbers->TakeUpTensionDyn, run.Numbers->TakeUpTensionDyn);
  EXPECT_TRUE(test::NamesIn(dir_.path()) == std::vector<std::string>{"result.txt"});

  condition.Zones[1].A2 = 0.0;  // the air's pole at the spinneret
  const TSpinlineSolution failed = SolveSpinline(condition);
  EXPECT_EQ(failed.Outcome.Failure, RunFailureKind::kCalculation);
  EXPECT_EQ(failed.Outcome.Fault, CalculationFault::kDivisionByZero);
  EXPECT_TRUE(failed.Message.starts_with("Calculation stopped: floating-point division by zero"));
}

// The result file in memory is the file's bytes, for a comma locale too, and after a failed
// calculation its header alone, as the file keeps it; no file is touched.
TEST_F(RunSpinlineTest, ResultFileInMemoryIsTheFilesBytes) {
  for (const char separator : {'.', ','}) {
    for (const bool fails : {false, true}) {
      SCOPED_TRACE(std::string(1, separator) + (fails ? " failing" : ""));
      texts_ = DefaultInputTexts(separator);
      if (fails) texts_.Zone1A2 = "0";  // the air's pole at the spinneret
      texts_.SaveFileName = (dir_ / (fails ? "failed.txt" : "result.txt")).string();
      TRunOptions options;
      options.DecimalSeparator = separator;
      const RunStatus status = Run(options).Status;
      EXPECT_EQ(status, fails ? RunStatus::kFailed : RunStatus::kSucceeded);
      const std::string written = ResultBytes();
      if (status == RunStatus::kSucceeded) {
        EXPECT_EQ(ResultFileText(state_->Condition, state_->Profile, separator), written);
      }
      ResultText memory;
      options.ResultFile = ResultFileUse::kMemory;
      options.Memory = &memory;
      texts_.SaveFileName = (dir_ / "never.txt").string();
      EXPECT_EQ(Run(options).Status, status);
      EXPECT_EQ(memory.Text(), written);
      EXPECT_FALSE(fs::exists(texts_.SaveFileName));
    }
  }
}

}  // namespace
}  // namespace vellmor
