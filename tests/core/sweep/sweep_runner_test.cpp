#include "vellmor/sweep/sweep_runner.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "vellmor/converged/accuracy_check.h"
#include "vellmor/converged/converged_run.h"
#include "vellmor/sweep/summary_csv.h"

namespace vellmor {
namespace {

// Each case writes its result file as case-<k>.txt in a scratch directory.
class ScratchFiles : public CaseFiles {
 public:
  explicit ScratchFiles(const test::ScratchDirectory& dir) : dir_(dir) {}
  std::string SaveFileName(std::size_t case_number, int /*worker*/) override {
    return (dir_ / ("case-" + std::to_string(case_number) + ".txt")).string();
  }
  void AfterRun(const TCaseResult& result, int /*worker*/) override {
    if (result.Case == throw_after_case) throw std::runtime_error("disk full");
  }
  std::size_t throw_after_case = 0;

 private:
  const test::ScratchDirectory& dir_;
};

class Recorder : public SweepObserver {
 public:
  void OnCase(const TCaseResult& result) override { results.push_back(result); }
  bool StopRequested() override { return stop_after > 0 && results.size() >= stop_after; }
  std::vector<TCaseResult> results;
  std::size_t stop_after = 0;
};

// Cases that fail on a floating-point fault (A2 = 0: the zone 1 air temperature divides by
// zero at x = 0), are refused, or run well, interleaved so that every thread gets each kind.
CaseSet MixedCases(std::size_t rounds) {
  TCasesTable table{{FindInputField("zone1-a2"), FindInputField("take-up-speed"),
                     FindInputField("hole-diameter")},
                    {},
                    {}};
  for (std::size_t i = 0; i < rounds; ++i) {
    table.Rows.push_back({"0", "", ""});
    table.Rows.push_back({"", "4000", ""});
    table.Rows.push_back({"", "", "x"});
    table.Rows.push_back({"", "", ""});
    table.Rows.push_back({"0", "3000", ""});
    table.Rows.push_back({"", "3000", ""});
  }
  return CaseSet::FromTable(TInputTexts{}, std::move(table));
}

class SweepRunnerTest : public testing::Test {
 protected:
  TSweepOutcome Run(const CaseSet& cases, int jobs, TShard shard = {}, bool accuracy = false) {
    TSweepOptions options;
    options.Jobs = jobs;
    options.Shard = shard;
    options.Accuracy = accuracy;
    options.Files = &files_;
    return RunSweep(cases, options, recorder_);
  }

  test::ScratchDirectory dir_;
  ScratchFiles files_{dir_};
  Recorder recorder_;
};

// Four threads, faulting cases among healthy ones: every case must come out as a run of its
// texts alone on a fresh state, so no fault flag may leak from one case into the next.
TEST_F(SweepRunnerTest, EveryCaseEqualsItsLoneRunWhateverRanBeforeOnItsThread) {
  const CaseSet cases = MixedCases(8);
  const TSweepOutcome outcome = Run(cases, 4);
  EXPECT_EQ(outcome.Total, 48u);
  EXPECT_EQ(outcome.Finished, 48u);
  EXPECT_FALSE(outcome.Stopped);
  ASSERT_EQ(recorder_.results.size(), 48u);

  int failed = 0;
  for (std::size_t k = 1; k <= cases.Count(); ++k) {
    const TCaseResult& swept = recorder_.results[k - 1];
    SCOPED_TRACE("case " + std::to_string(k));
    ASSERT_EQ(swept.Case, k);  // in case order

    TInputTexts texts = cases.TextsOf(k);
    texts.SaveFileName = (dir_ / "lone.txt").string();
    test::RecordingSink sink;
    const auto state = std::make_unique<TRunState>();
    const TRunOutcome lone = RunSpinline(texts, *state, sink);
    EXPECT_EQ(swept.Status, lone.Status);
    EXPECT_EQ(swept.Message, sink.messages.empty() ? "" : sink.messages.front());
    if (lone.Status == RunStatus::kFailed) ++failed;
    if (lone.Status != RunStatus::kSucceeded) continue;
    EXPECT_EQ(swept.Passes, lone.Summary.Passes);
    EXPECT_EQ(swept.SpinneretTensionDyn, lone.Summary.Tension);
    EXPECT_EQ(test::ReadBytes(files_.SaveFileName(k, 0)), test::ReadBytes(texts.SaveFileName));
  }
  EXPECT_EQ(failed, 16);
  EXPECT_EQ(recorder_.results[0].Message,
            "Calculation stopped: floating-point division by zero at x = 0.0 cm in pass 1 "
            "(spinneret tension 25.000 dyn)");
}

TEST_F(SweepRunnerTest, ShardRunsEveryNthCaseInOrder) {
  const TSweepOutcome outcome = Run(MixedCases(1), 2, TShard{2, 4});
  EXPECT_EQ(outcome.Total, 2u);
  ASSERT_EQ(recorder_.results.size(), 2u);
  EXPECT_EQ(recorder_.results[0].Case, 2u);
  EXPECT_EQ(recorder_.results[1].Case, 6u);
}

// After a stop no case starts; those running finish, so the cases reported are the first ones.
TEST_F(SweepRunnerTest, StopReportsTheFirstCasesOnly) {
  recorder_.stop_after = 3;
  const TSweepOutcome outcome = Run(MixedCases(40), 2);
  EXPECT_TRUE(outcome.Stopped);
  EXPECT_GE(outcome.Finished, 3u);
  EXPECT_LT(outcome.Finished, outcome.Total);
  ASSERT_EQ(recorder_.results.size(), outcome.Finished);
  for (std::size_t i = 0; i < recorder_.results.size(); ++i) {
    EXPECT_EQ(recorder_.results[i].Case, i + 1);
  }
}

TEST_F(SweepRunnerTest, FailureOfTheResultFilesStopsTheSweepAndIsRethrown) {
  files_.throw_after_case = 5;
  EXPECT_THROW(Run(MixedCases(10), 3), std::runtime_error);
  EXPECT_LT(recorder_.results.size(), 5u);
}

// The default case from an independent script: the same equations by the classical
// fourth-order Runge–Kutta at fixed steps of 0.02 and 0.01 cm with every coefficient at each
// stage, then Richardson extrapolation.
constexpr double kConvergedTension = 40.4367662686;      // dyn, at the spinneret
constexpr double kConvergedFreezePoint = 62.3341500148;  // cm

// The default case and a refused one: the first gets the converged solution of its condition,
// the second none, and neither's status or message changes.
TEST_F(SweepRunnerTest, AccuracyAddsTheConvergedSolutionToSucceededCasesOnly) {
  const CaseSet cases = CaseSet::FromTable(
      TInputTexts{}, TCasesTable{{FindInputField("hole-diameter")}, {{""}, {"x"}}, {}});
  Run(cases, 2, {}, true);
  ASSERT_EQ(recorder_.results.size(), 2u);

  const TCaseResult& good = recorder_.results[0];
  EXPECT_EQ(good.Status, RunStatus::kSucceeded);
  EXPECT_EQ(good.Message, "");
  EXPECT_EQ(good.AccuracyFailure, "");
  ASSERT_TRUE(good.Accuracy.has_value());
  EXPECT_NEAR(good.Accuracy->SpinneretTension.Converged, kConvergedTension, 1e-6);
  // The 1 cm march's 36.477 dyn is 9.79 % below it.
  EXPECT_NEAR(good.Accuracy->SpinneretTension.ErrorPercent, -9.79, 0.005);
  ASSERT_TRUE(good.Accuracy->ConvergedFreezePoint.has_value());
  EXPECT_NEAR(*good.Accuracy->ConvergedFreezePoint, kConvergedFreezePoint, 1e-5);
  // 0.8 × 1 cm / 9.79 = 0.0817, rounded down to one digit; no march checks it in a sweep.
  EXPECT_DOUBLE_EQ(good.Accuracy->SuggestedIncrement, 0.08);
  EXPECT_FALSE(good.Accuracy->SuggestedIncrementErrorPercent.has_value());

  const TCaseResult& refused = recorder_.results[1];
  EXPECT_EQ(refused.Status, RunStatus::kRefused);
  EXPECT_EQ(refused.Message, "Input value is not correct!");
  EXPECT_FALSE(refused.Accuracy.has_value());
  EXPECT_EQ(refused.AccuracyFailure, "");
}

TEST_F(SweepRunnerTest, WithoutAccuracyNoConvergedSolution) {
  Run(MixedCases(1), 1);
  ASSERT_EQ(recorder_.results.size(), 6u);
  EXPECT_EQ(recorder_.results[3].Status, RunStatus::kSucceeded);
  for (const TCaseResult& result : recorder_.results) EXPECT_FALSE(result.Accuracy.has_value());
}

// On two threads, after cases that fault: each succeeded case's converged solution is the one
// of its own lone run.
TEST_F(SweepRunnerTest, AccuracyOfEachCaseEqualsItsLoneCheck) {
  const CaseSet cases = MixedCases(2);
  Run(cases, 2, {}, true);
  ASSERT_EQ(recorder_.results.size(), 12u);
  int checked = 0;
  for (const TCaseResult& swept : recorder_.results) {
    SCOPED_TRACE("case " + std::to_string(swept.Case));
    if (swept.Status != RunStatus::kSucceeded) {
      EXPECT_FALSE(swept.Accuracy.has_value());
      continue;
    }
    TInputTexts texts = cases.TextsOf(swept.Case);
    texts.SaveFileName = (dir_ / "lone.txt").string();
    test::RecordingSink sink;
    const auto state = std::make_unique<TRunState>();
    ASSERT_EQ(RunSpinline(texts, *state, sink).Status, RunStatus::kSucceeded);
    const TAccuracyCheck lone = CheckAccuracy(*state, {.CheckSuggestedIncrement = false});
    ASSERT_TRUE(lone.Report.has_value());
    ASSERT_TRUE(swept.Accuracy.has_value());
    EXPECT_EQ(swept.Accuracy->SpinneretTension.Converged, lone.Report->SpinneretTension.Converged);
    EXPECT_EQ(swept.Accuracy->SuggestedIncrement, lone.Report->SuggestedIncrement);
    ++checked;
  }
  EXPECT_EQ(checked, 6);
}

}  // namespace
}  // namespace vellmor

namespace vellmor {
namespace {

// With the converged model, a card constant varies like an input: each case is the lone
// converged run of its texts and its card, bit for bit, and a constant the card refuses
// refuses only its case.
TEST(SweepSolve, EveryCaseEqualsItsLoneConvergedRun) {
  const TSweepColumn heat(FindModelKey("heat_transfer.factor"));
  TCasesTable table{{heat, FindInputField("take-up-speed")},
                    {{"2e-4", "4000"}, {"", "6000"}, {"-1", ""}, {"1.2e-4", "x"}},
                    {}};
  CaseSet cases = CaseSet::FromTable(TInputTexts{}, std::move(table));
  ModelCard base;
  base.SetValue(*FindModelKey("gravity_cm_s2"), 0.0);
  cases.SetBaseCard(base);
  EXPECT_TRUE(cases.VariesTheCard());
  EXPECT_EQ(cases.ColumnTextsOf(2), (std::vector<std::string>{"0.000137", "6000"}));

  TSweepOptions options;
  options.Jobs = 2;
  options.Solve = true;
  Recorder recorder;
  RunSweep(cases, options, recorder);
  ASSERT_EQ(recorder.results.size(), 4u);

  for (std::size_t k : {1u, 2u}) {
    SCOPED_TRACE(k);
    const TCaseResult& result = recorder.results[k - 1];
    ASSERT_EQ(result.Status, RunStatus::kSucceeded) << result.Message;
    TConvergedRunOptions lone_options;
    lone_options.Model = std::get<ModelCard>(cases.CardOf(k)).Constants();
    lone_options.Positions.Points = 0;
    const TConvergedRun lone = RunConverged(cases.TextsOf(k), lone_options);
    EXPECT_EQ(result.SpinneretTensionDyn, lone.Solution->SpinneretTension);
    EXPECT_EQ(result.Passes, lone.Solution->Passes);
    EXPECT_EQ(result.Numbers->Freeze->PositionCm, lone.Numbers->Freeze->PositionCm);
    EXPECT_EQ(result.Numbers->TakeUpTensionDyn, lone.Numbers->TakeUpTensionDyn);
  }
  // The first case's card: the base card's gravity, the case's heat transfer.
  EXPECT_EQ(std::get<ModelCard>(cases.CardOf(1)).Constants().Laws.Gravity, 0.0);
  EXPECT_EQ(std::get<ModelCard>(cases.CardOf(1)).Constants().Laws.HeatFactor, 2e-4);

  EXPECT_EQ(recorder.results[2].Status, RunStatus::kRefused);
  EXPECT_EQ(recorder.results[2].Message, "heat_transfer.factor: must be 0 or more, not -1");
  EXPECT_EQ(recorder.results[3].Status, RunStatus::kRefused);
  EXPECT_EQ(recorder.results[3].Message, "Input value is not correct!");
}

// A solved case that never freezes says so in its warnings, and the summary's column shows it.
TEST(SweepSolve, ACaseWithoutAFreezePointWarnsInTheSummary) {
  TCasesTable table{{FindInputField("polymer-output")}, {{"3"}, {""}}, {}};
  const CaseSet cases = CaseSet::FromTable(TInputTexts{}, std::move(table));
  TSweepOptions options;
  options.Solve = true;
  options.Structure = true;
  Recorder recorder;
  RunSweep(cases, options, recorder);
  ASSERT_EQ(recorder.results.size(), 2u);
  const TCaseResult& molten = recorder.results[0];
  ASSERT_EQ(molten.Status, RunStatus::kSucceeded) << molten.Message;
  ASSERT_EQ(molten.Warnings.size(), 1u);
  EXPECT_TRUE(
      molten.Warnings[0].starts_with("The filament reaches the take-up point still molten ("))
      << molten.Warnings[0];
  EXPECT_TRUE(molten.Warnings[0].ends_with(
      " °C above the solidification temperature): no freeze point, and the structure's numbers "
      "are those of the melt"))
      << molten.Warnings[0];
  EXPECT_FALSE(molten.Numbers->Freeze.has_value());
  EXPECT_TRUE(recorder.results[1].Warnings.empty());

  const std::string line = SummaryLine(molten, {"3"}, SummaryColumns::kWithStructure);
  // Quoted, for its comma.
  EXPECT_NE(line.find(",\"" + molten.Warnings[0] + "\","), std::string::npos) << line;
  const std::string frozen = SummaryLine(recorder.results[1], {""}, SummaryColumns::kWithStructure);
  EXPECT_EQ(frozen.find("still molten"), std::string::npos);
}

}  // namespace
}  // namespace vellmor
