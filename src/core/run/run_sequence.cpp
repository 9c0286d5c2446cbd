#include "vellmor/run/run_sequence.h"

#include "vellmor/analysis/air_pole.h"
#include "vellmor/base/run_error.h"
#include "vellmor/inputs/read_inputs.h"
#include "vellmor/report/write_header.h"
#include "vellmor/report/write_results.h"

namespace vellmor {
namespace {

// Keeps the pass history of the run and passes every pass on to the caller's observer.
class PassRecorder : public PassObserver {
 public:
  PassRecorder(std::vector<TPassRecord>& passes, PassObserver* next)
      : passes_(passes), next_(next) {}

  void OnPass(const TPassRecord& pass) override {
    passes_.push_back(pass);
    if (next_ != nullptr) next_->OnPass(pass);
  }

 private:
  std::vector<TPassRecord>& passes_;
  PassObserver* next_;
};

// Keeps the first message of a calculation.
class MessageRecorder : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override {
    if (message.empty()) message = text;
  }
  std::string message;
};

TRunSummary SummaryOf(const TRunState& state) {
  const TSpinlineProfile& profile = state.Profile;
  const int n = profile.ZoneEndPoint[3];
  TRunSummary summary;
  summary.Passes = state.Search.PassCount;
  summary.Tension = state.Search.Tension;
  summary.FinalVelocity = profile.FinalVelocity;
  summary.TakeUpVelocity = profile.TakeUpVelocity;
  summary.FinalDiameter = profile.D[n];
  summary.FinalTemperature = profile.T[n];
  summary.SaveFileName = state.Condition.SaveFileName;
  return summary;
}

}  // namespace

std::string_view FailureName(RunFailureKind kind) {
  switch (kind) {
    case RunFailureKind::kNone:
      return "none";
    case RunFailureKind::kInputRefused:
      return "input";
    case RunFailureKind::kResultFileRefused:
      return "result_file";
    case RunFailureKind::kCalculation:
      return "calculation";
    case RunFailureKind::kWriteFailed:
      return "write";
  }
  return "none";
}

std::string_view StatusName(RunStatus status) {
  switch (status) {
    case RunStatus::kSucceeded:
      return "succeeded";
    case RunStatus::kRefused:
      return "refused";
    case RunStatus::kFailed:
      return "failed";
  }
  return "failed";
}

TRunOutcome SolveSpinline(TRunState& state, MessageSink& sink, const TRunOptions& options) {
  TRunOutcome outcome;
  outcome.Passes.reserve(static_cast<std::size_t>(options.MaxPasses > 0 ? options.MaxPasses : 0));
  PassRecorder recorder(outcome.Passes, options.Observer);
  try {
    CalculateSpinline(state, &recorder, options.MaxPasses);
  } catch (const CalculationError& error) {
    sink.ShowMessage(error.what());
    outcome.Status = RunStatus::kFailed;
    outcome.Failure = RunFailureKind::kCalculation;
    outcome.Fault = error.Fault();
    outcome.FaultPositionCm = error.PositionCm();
    outcome.FaultPass = error.Pass();
    return outcome;
  }
  outcome.Status = RunStatus::kSucceeded;
  outcome.Summary = SummaryOf(state);
  outcome.Numbers = ProcessNumbersOf(state);
  for (const TAirPole& pole : AirPolesOnTheLine(state.Condition, state.Profile)) {
    outcome.Warnings.push_back(AirPoleWarning(pole));
  }
  return outcome;
}

TSpinlineSolution SolveSpinline(const TSpinCondition& condition, const TRunOptions& options) {
  TSpinlineSolution solution;
  solution.State = std::make_unique<TRunState>();
  solution.State->Condition = condition;
  MessageRecorder recorder;
  solution.Outcome = SolveSpinline(*solution.State, recorder, options);
  solution.Message = std::move(recorder.message);
  return solution;
}

TRunOutcome RunSpinline(const TInputTexts& texts, TRunState& state, MessageSink& sink,
                        const TRunOptions& options) {
  if (!ReadInputs(texts, options.DecimalSeparator, state.Condition, sink)) {
    TRunOutcome refused;
    refused.Failure = RunFailureKind::kInputRefused;
    return refused;
  }
  // Held from the header to the end of the table: no other run may write the same name.
  ResultFile file;
  const bool writes = options.ResultFile != ResultFileUse::kNone;
  const bool in_memory = options.ResultFile == ResultFileUse::kMemory;
  ResultLines& lines = in_memory ? *options.Memory : file;
  // A failure of the file, or of a point of the table, after a calculation that succeeded.
  const auto fail = [&](TRunOutcome outcome, RunFailureKind kind, std::string_view message) {
    sink.ShowMessage(message);
    TRunOutcome failed;
    failed.Status = RunStatus::kFailed;
    failed.Failure = kind;
    failed.Passes = std::move(outcome.Passes);
    return failed;
  };
  // After a calculation failure the window's file holds what was written before it; a disk
  // failure on the way out would only hide the arithmetic failure, which the run reports.
  const auto keep_what_was_written = [&] {
    if (options.ResultFile != ResultFileUse::kWrite) return;
    try {
      file.Commit();
    } catch (const FileWriteError&) {
    }
  };
  TRunOutcome outcome;
  try {
    if (writes) {
      if (!in_memory && !OpenResultFile(state.Condition.SaveFileName, file, sink, options.Output)) {
        outcome.Failure = RunFailureKind::kResultFileRefused;
        outcome.FileProblem = state.Condition.SaveFileName + ": " + file.Failure().Reason;
        return outcome;
      }
      WriteHeader(state.Condition, options.DecimalSeparator, lines);
    }
    outcome = SolveSpinline(state, sink, options);
    if (!writes) return outcome;
    if (outcome.Status != RunStatus::kSucceeded) {
      // The file keeps the header written before the numerics gave up.
      keep_what_was_written();
      return outcome;
    }
    try {
      WriteResults(state.Condition, state.Profile, options.DecimalSeparator, lines);
    } catch (const CalculationError& error) {
      // The rows before a point that could not be tabulated stay with the header.
      keep_what_was_written();
      TRunOutcome failed = fail(std::move(outcome), RunFailureKind::kCalculation, error.what());
      failed.Fault = error.Fault();
      failed.FaultPositionCm = error.PositionCm();
      failed.FaultPass = error.Pass();
      return failed;
    }
    if (!in_memory) file.Commit();
  } catch (const FileWriteError& error) {
    TRunOutcome failed = fail(std::move(outcome), RunFailureKind::kWriteFailed, error.what());
    failed.FileProblem = state.Condition.SaveFileName + ": " + file.Failure().Reason;
    return failed;
  }
  return outcome;
}

}  // namespace vellmor
