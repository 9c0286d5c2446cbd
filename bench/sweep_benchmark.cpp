// Cases per second of a sweep: 1000 default cases without result files (a sweep without
// --result-dir), on one job and on every hardware thread.
//
//   vellmor-bench --benchmark_filter=Sweep

#include <benchmark/benchmark.h>

#include <string>
#include <thread>
#include <vector>

#include "vellmor/sweep/case_set.h"
#include "vellmor/sweep/sweep_runner.h"

namespace vellmor {
namespace {

constexpr std::size_t kCases = 1000;

class CountingObserver : public SweepObserver {
 public:
  void OnCase(const TCaseResult& result) override {
    if (result.Status != RunStatus::kSucceeded) ++not_succeeded;
  }
  int not_succeeded = 0;
};

// The default case kCases times: the default take-up speed text, "varied" over itself.
CaseSet DefaultCases() {
  const TVariedOption same{FindInputField("take-up-speed"),
                           std::vector<std::string>(kCases, TInputTexts{}.TakeUpSpeed)};
  return std::get<CaseSet>(CaseSet::Product(TInputTexts{}, {same}));
}

void BM_Sweep(benchmark::State& bench) {
  const CaseSet cases = DefaultCases();
  TSweepOptions options;
  options.Jobs = static_cast<int>(bench.range(0));
  for (auto _ : bench) {
    CountingObserver observer;
    RunSweep(cases, options, observer);
    if (observer.not_succeeded != 0) {
      bench.SkipWithError("a default case did not succeed");
      return;
    }
  }
  bench.counters["jobs"] = static_cast<double>(options.Jobs);
  bench.counters["cases_per_s"] = benchmark::Counter(static_cast<double>(kCases),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Sweep)
    ->Arg(1)
    ->Arg(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace vellmor
