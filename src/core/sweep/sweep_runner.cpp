// The sweep's pool: a few worker threads, each owning one run state, take the next case from
// an atomic counter and hand their rows to the calling thread, which reports them in case
// order. Cases cost about a millisecond and vary little, so pulling one case at a time
// balances the load without any scheduler; the run states stay with their threads, and so do
// the floating-point status flags, which are per thread.

#include "vellmor/sweep/sweep_runner.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "vellmor/base/floating_point_check.h"
#include "vellmor/converged/accuracy_check.h"
#include "vellmor/converged/converged_run.h"
#include "vellmor/physics/numerics.h"
#include "vellmor/solver/run_state.h"

namespace vellmor {
namespace {

// How long the calling thread waits for a row before it asks about a stop and progress again.
constexpr auto kTick = std::chrono::milliseconds(100);

// Keeps the first message of a run: a run shows at most one.
class FirstMessageSink : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override {
    if (!shown_) message_ = text;
    shown_ = true;
  }
  std::string Take() {
    shown_ = false;
    return std::move(message_);
  }

 private:
  bool shown_ = false;
  std::string message_;
};

TCaseResult RunOneCase(const CaseSet& cases, std::size_t case_number,
                       const std::string& save_file_name, const TSweepOptions& sweep,
                       TRunState& state, FirstMessageSink& sink) {
  TInputTexts texts = cases.TextsOf(case_number);
  TRunOptions options;
  options.DecimalSeparator = sweep.DecimalSeparator;
  if (sweep.Files != nullptr) {
    texts.SaveFileName = save_file_name;
    options.ResultFile = ResultFileUse::kWriteOnSuccess;
  } else {
    options.ResultFile = ResultFileUse::kNone;
  }
  // The flags are sticky and per thread: whatever the previous case on this thread raised must
  // not be blamed on this one.
  ClearFloatingPointFaults();
  const TRunOutcome outcome = RunSpinline(texts, state, sink, options);

  TCaseResult result;
  result.Case = case_number;
  result.Status = outcome.Status;
  result.Failure = outcome.Failure;
  result.FileProblem = outcome.FileProblem;
  result.Warnings = outcome.Warnings;
  result.Message = sink.Take();
  result.Passes = static_cast<int>(outcome.Passes.size());
  if (outcome.Status == RunStatus::kSucceeded) {
    result.Passes = outcome.Summary.Passes;
    result.SpinneretTensionDyn = outcome.Summary.Tension;
    result.FinalVelocityMMin = MetresPerMinute(outcome.Summary.FinalVelocity);
    result.Numbers = ProcessNumbersOf(state);
    if (sweep.Accuracy) {
      // Here, on this worker and beside its state: the solution checks this thread's flags.
      TAccuracyCheck check = CheckAccuracy(state, {.CheckSuggestedIncrement = false});
      result.Accuracy = std::move(check.Report);
      result.AccuracyFailure = std::move(check.Failure);
    }
  }
  return result;
}

// A case of the converged model: its texts read as a run reads them, its card the base card
// with the case's constants; no profile, no file.
TCaseResult SolveOneCase(const CaseSet& cases, std::size_t case_number,
                         const TSweepOptions& sweep) {
  TCaseResult result;
  result.Case = case_number;
  auto card = cases.CardOf(case_number);
  if (auto* why = std::get_if<std::string>(&card)) {
    result.Status = RunStatus::kRefused;
    result.Failure = RunFailureKind::kInputRefused;
    result.Message = std::move(*why);
    return result;
  }
  TConvergedRunOptions options;
  options.DecimalSeparator = sweep.DecimalSeparator;
  options.Model = std::get<ModelCard>(card).Constants();
  options.Positions.Points = 0;
  options.Structure = sweep.Structure;
  ClearFloatingPointFaults();
  TConvergedRun run = RunConverged(cases.TextsOf(case_number), options);
  result.Status = run.Status;
  result.Failure = run.Failure;
  result.Message = std::move(run.Message);
  result.Warnings = std::move(run.Warnings);
  if (run.Status == RunStatus::kSucceeded) {
    result.Passes = run.Solution->Passes;
    result.SpinneretTensionDyn = run.Solution->SpinneretTension;
    result.FinalVelocityMMin = MetresPerMinute(run.Solution->FinalVelocity);
    result.Numbers = std::move(run.Numbers);
    result.Structure = run.Solution->Structure;
    const ModelCard& case_card = std::get<ModelCard>(card);
    if (sweep.Intervals && case_card.Uncertainty()) {
      TUncertaintySettings settings = *sweep.Intervals;
      settings.Threads = 1;  // the sweep's workers are the cores already
      TConvergedOptions solved_with;
      solved_with.Model = options.Model;
      solved_with.Structure = options.Structure;
      TPropagatedUncertainty propagated = PropagateUncertainty(
          {&run.Condition, &solved_with, &*run.Solution}, *case_card.Uncertainty(), settings);
      result.Intervals = std::move(propagated.Intervals);
      result.Warnings.insert(result.Warnings.end(), propagated.Warnings.begin(),
                             propagated.Warnings.end());
    }
  }
  return result;
}

// What the workers and the calling thread share.
class SweepPool {
 public:
  SweepPool(const CaseSet& cases, const TSweepOptions& options, std::size_t total)
      : cases_(cases), options_(options), total_(total) {}

  void Work(int worker) {
    try {
      const auto state = std::make_unique<TRunState>();
      FirstMessageSink sink;
      while (!stop_.load(std::memory_order_relaxed)) {
        const std::size_t position = next_.fetch_add(1, std::memory_order_relaxed);
        if (position >= total_) break;
        // A case once taken is always run, so the finished cases are always the first ones.
        const std::size_t case_number =
            options_.Only ? (*options_.Only)[position] : ShardCase(options_.Shard, position);
        CaseFiles* files = options_.Files;
        auto result = std::make_unique<TCaseResult>(
            options_.Solve
                ? SolveOneCase(cases_, case_number, options_)
                : RunOneCase(cases_, case_number,
                             files != nullptr ? files->SaveFileName(case_number, worker) : "",
                             options_, *state, sink));
        if (files != nullptr) files->AfterRun(*result, worker);
        const std::lock_guard lock(mutex_);
        finished_.emplace(position, std::move(result));
        changed_.notify_one();
      }
    } catch (...) {
      const std::lock_guard lock(mutex_);
      if (!error_) error_ = std::current_exception();
      stop_ = true;
      changed_.notify_one();
    }
    const std::lock_guard lock(mutex_);
    --running_;
    changed_.notify_one();
  }

  // Reports finished cases in order until every worker has ended; returns the cases reported.
  // After a worker's failure the others finish the case they hold, and the cases before the
  // first gap are still reported, so that what was finished is not lost.
  std::size_t Report(SweepObserver& observer, bool& stopped) {
    std::size_t reported = 0;
    std::unique_lock lock(mutex_);
    while (true) {
      changed_.wait_for(lock, kTick, [&] {
        return running_ == 0 || (!finished_.empty() && finished_.begin()->first == reported);
      });
      while (!finished_.empty() && finished_.begin()->first == reported) {
        const std::unique_ptr<TCaseResult> result = std::move(finished_.begin()->second);
        finished_.erase(finished_.begin());
        lock.unlock();
        observer.OnCase(*result);
        ++reported;
        lock.lock();
      }
      if (running_ == 0) break;
      lock.unlock();
      observer.OnProgress(reported, total_);
      if (!stop_ && observer.StopRequested()) {
        stop_ = true;
        stopped = true;
      }
      lock.lock();
    }
    if (error_) std::rethrow_exception(error_);
    return reported;
  }

  void Start(int jobs) { running_ = jobs; }
  void Stop() { stop_ = true; }

 private:
  const CaseSet& cases_;
  const TSweepOptions& options_;
  const std::size_t total_;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> stop_{false};

  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::size_t, std::unique_ptr<TCaseResult>> finished_;  // by position, not reported yet
  int running_ = 0;
  std::exception_ptr error_;
};

// Stops the pool when the calling thread leaves RunSweep, whichever way it leaves, before the
// threads are joined.
class StopOnExit {
 public:
  explicit StopOnExit(SweepPool& pool) : pool_(pool) {}
  ~StopOnExit() { pool_.Stop(); }
  StopOnExit(const StopOnExit&) = delete;
  StopOnExit& operator=(const StopOnExit&) = delete;

 private:
  SweepPool& pool_;
};

}  // namespace

TSweepOutcome RunSweep(const CaseSet& cases, const TSweepOptions& options,
                       SweepObserver& observer) {
  assert(options.Jobs >= 1);
  TSweepOutcome outcome;
  outcome.Total =
      options.Only ? options.Only->size() : ShardCaseCount(cases.Count(), options.Shard);
  if (outcome.Total == 0) return outcome;
  const int jobs = static_cast<int>(
      std::min<std::size_t>(static_cast<std::size_t>(std::max(options.Jobs, 1)), outcome.Total));

  SweepPool pool(cases, options, outcome.Total);
  pool.Start(jobs);
  {
    std::vector<std::jthread> workers;  // joined last, after StopOnExit has stopped them
    const StopOnExit stop_on_exit(pool);
    workers.reserve(static_cast<std::size_t>(jobs));
    for (int worker = 0; worker < jobs; ++worker) {
      workers.emplace_back([&pool, worker] { pool.Work(worker); });
    }
    outcome.Finished = pool.Report(observer, outcome.Stopped);
  }
  observer.OnProgress(outcome.Finished, outcome.Total);
  return outcome;
}

}  // namespace vellmor
