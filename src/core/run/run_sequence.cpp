#include "core/run/run_sequence.h"

#include "core/inputs/read_inputs.h"
#include "core/report/write_results.h"
#include "core/run/run_error.h"

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
  // No other run may write the result file from its header to the end of its table.
  ResultFileLock hold;
  try {
    if (!ReadInputs(texts, options.DecimalSeparator, state.Condition, sink, hold)) {
      outcome.Status = RunStatus::kRefused;
      return outcome;
    }
    CalculateSpinline(state, &recorder, options.MaxPasses);
    if (!WriteResults(state.Condition, state.Profile, options.DecimalSeparator, sink, hold)) {
      outcome.Status = RunStatus::kFailed;
      return outcome;
    }
  } catch (const RunFailure& failure) {
    sink.ShowMessage(failure.what());
    outcome.Status = RunStatus::kFailed;
    return outcome;
  }
  outcome.Status = RunStatus::kSucceeded;
  outcome.Summary = SummaryOf(state);
  outcome.Numbers = ProcessNumbersOf(state);
  return outcome;
}

}  // namespace vellmor
