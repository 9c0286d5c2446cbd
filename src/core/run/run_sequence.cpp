#include "core/run/run_sequence.h"

#include "core/analysis/air_pole.h"
#include "core/base/run_error.h"
#include "core/inputs/read_inputs.h"
#include "core/report/write_header.h"
#include "core/report/write_results.h"

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

TRunOutcome RunSpinline(const TInputTexts& texts, TRunState& state, MessageSink& sink,
                        const TRunOptions& options) {
  TRunOutcome outcome;
  outcome.Passes.reserve(static_cast<std::size_t>(options.MaxPasses > 0 ? options.MaxPasses : 0));
  PassRecorder recorder(outcome.Passes, options.Observer);
  const auto fail = [&](RunFailureKind kind, std::string_view message) {
    sink.ShowMessage(message);
    outcome.Status =
        kind == RunFailureKind::kResultFileRefused || kind == RunFailureKind::kInputRefused
            ? RunStatus::kRefused
            : RunStatus::kFailed;
    outcome.Failure = kind;
    return outcome;
  };

  if (!ReadInputs(texts, options.DecimalSeparator, state.Condition, sink)) {
    outcome.Status = RunStatus::kRefused;
    outcome.Failure = RunFailureKind::kInputRefused;
    return outcome;
  }
  // Held from the header to the end of the table: no other run may write the same name.
  ResultFile file;
  const bool writes = options.ResultFile != ResultFileUse::kNone;
  try {
    if (writes) {
      if (!OpenResultFile(state.Condition.SaveFileName, file, sink, options.Output)) {
        outcome.Status = RunStatus::kRefused;
        outcome.Failure = RunFailureKind::kResultFileRefused;
        outcome.FileProblem = state.Condition.SaveFileName + ": " + file.Failure().Reason;
        return outcome;
      }
      WriteHeader(state.Condition, options.DecimalSeparator, file);
    }
    try {
      CalculateSpinline(state, &recorder, options.MaxPasses);
      if (writes) WriteResults(state.Condition, state.Profile, options.DecimalSeparator, file);
    } catch (const CalculationError& error) {
      // The file keeps what was written before the numerics gave up: the header, and the rows
      // before a point that could not be tabulated. A disk failure on the way out would only
      // hide the arithmetic failure, which is the one the run reports.
      if (writes && options.ResultFile == ResultFileUse::kWrite) {
        try {
          file.Commit();
        } catch (const FileWriteError&) {
        }
      }
      outcome.Fault = error.Fault();
      return fail(RunFailureKind::kCalculation, error.what());
    }
    if (writes) file.Commit();
  } catch (const FileWriteError& error) {
    outcome.FileProblem = state.Condition.SaveFileName + ": " + file.Failure().Reason;
    return fail(RunFailureKind::kWriteFailed, error.what());
  }
  outcome.Status = RunStatus::kSucceeded;
  outcome.Summary = SummaryOf(state);
  outcome.Numbers = ProcessNumbersOf(state);
  for (const TAirPole& pole : AirPolesOnTheLine(state.Condition, state.Profile)) {
    outcome.Warnings.push_back(AirPoleWarning(pole));
  }
  return outcome;
}

}  // namespace vellmor
