// Time of a whole run (texts to result file) and of the calculation alone (every pass of the
// tension search), for the default case and for the longest profile the arrays hold; and of
// the converged solution of the same cases, alone and sampled at the classical grid.
//
//   vellmor-bench [--benchmark_filter=Calculate]
//   vellmor-bench --benchmark_filter=Converged

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "vellmor/base/message_sink.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/inputs/read_inputs.h"
#include "vellmor/run/run_sequence.h"
#include "vellmor/solver/calculate_spinline.h"
#include "vellmor/solver/run_state.h"

namespace vellmor {
namespace {

namespace fs = std::filesystem;

// Where the result files go; removed with everything in it when the benchmark ends.
class ScratchDirectory {
 public:
  ScratchDirectory()
      : path_(fs::temp_directory_path() / ("vellmor-bench-" + std::to_string(getpid()))) {
    fs::create_directories(path_);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  std::string File(const char* name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

// Keeps the last message, which in a benchmark means the case did not run.
class LastMessageSink : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override { last_message = text; }
  std::string last_message;
};

// Zone 3 ends at 100 cm: at 0.1 cm per step that is 1001 points, all the profile holds.
TInputTexts LongestProfileTexts() {
  TInputTexts texts;
  texts.Increment = "0.1";
  return texts;
}

void BM_WholeRun(benchmark::State& bench) {
  const ScratchDirectory scratch;
  TInputTexts texts;
  texts.SaveFileName = scratch.File("result.txt");
  const auto state = std::make_unique<TRunState>();
  LastMessageSink sink;
  int passes = 0;
  for (auto _ : bench) {
    const TRunOutcome outcome = RunSpinline(texts, *state, sink);
    if (outcome.Status != RunStatus::kSucceeded) {
      bench.SkipWithError(("run failed: " + sink.last_message).c_str());
      return;
    }
    passes = outcome.Summary.Passes;
  }
  bench.counters["passes"] = passes;
}

// A run state whose condition is texts converted and checked once, or nullptr after telling
// the benchmark why not.
std::unique_ptr<TRunState> CheckedState(benchmark::State& bench, TInputTexts texts,
                                        const ScratchDirectory& scratch) {
  texts.SaveFileName = scratch.File("result.txt");
  auto state = std::make_unique<TRunState>();
  LastMessageSink sink;
  if (!ReadInputs(texts, '.', state->Condition, sink)) {
    bench.SkipWithError(("inputs refused: " + sink.last_message).c_str());
    return nullptr;
  }
  return state;
}

// The calculation alone, on a condition converted and checked once beforehand.
void BM_Calculate(benchmark::State& bench, TInputTexts texts) {
  const ScratchDirectory scratch;
  const auto state = CheckedState(bench, std::move(texts), scratch);
  if (state == nullptr) return;
  try {
    for (auto _ : bench) {
      CalculateSpinline(*state);
      benchmark::DoNotOptimize(state->Profile.FinalVelocity);
    }
  } catch (const std::exception& error) {
    bench.SkipWithError(error.what());
    return;
  }
  bench.counters["passes"] = state->Search.PassCount;
}

// The converged solution of a condition converted and checked once beforehand, sampled at the
// positions of the classical table when sampled is true.
void BM_Converged(benchmark::State& bench, TInputTexts texts, bool sampled) {
  const ScratchDirectory scratch;
  const auto state = CheckedState(bench, std::move(texts), scratch);
  if (state == nullptr) return;
  TConvergedOptions options;
  TConvergedSolution solution;
  try {
    if (sampled) {
      CalculateSpinline(*state);
      options.SampleX = ClassicalGrid(state->Profile);
    }
    for (auto _ : bench) {
      solution = SolveConverged(state->Condition, options);
      benchmark::DoNotOptimize(solution.SpinneretTension);
    }
  } catch (const std::exception& error) {
    bench.SkipWithError(error.what());
    return;
  }
  bench.counters["passes"] = solution.Passes;
  bench.counters["rhs_evaluations"] = static_cast<double>(solution.Evaluations);
  bench.counters["samples"] = static_cast<double>(solution.Profile.size());
}

BENCHMARK(BM_WholeRun)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Calculate, default_case, TInputTexts{})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Calculate, longest_profile_1001_points, LongestProfileTexts())
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Converged, default_case, TInputTexts{}, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Converged, default_case_sampled_101_points, TInputTexts{}, true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Converged, sampled_1001_points, LongestProfileTexts(), true)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vellmor
