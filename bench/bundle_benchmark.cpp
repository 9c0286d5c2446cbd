// A bundle as vellmor-cli bundle runs it (texts read and checked, the rows solved, the spread
// and the energy balance, no profile) beside one solve of the same case: rows are solved once
// each, row 1 from the classical bracketing and every row after it from the row before.
//
//   vellmor-bench --benchmark_filter=Bundle

#include <benchmark/benchmark.h>

#include "vellmor/bundle/bundle_run.h"
#include "vellmor/converged/converged_run.h"

namespace vellmor {
namespace {

void BM_BundleOneSolve(benchmark::State& bench) {
  TConvergedRunOptions options;
  options.Positions.Points = 0;
  for (auto _ : bench) {
    const TConvergedRun run = RunConverged(TInputTexts{}, options);
    benchmark::DoNotOptimize(run.Solution->SpinneretTension);
  }
}

void BM_Bundle(benchmark::State& bench) {
  TBundleRunOptions options;
  options.Positions.Points = 0;
  options.Model.Bundle.Rows = static_cast<double>(bench.range(0));
  long evaluations = 0;
  for (auto _ : bench) {
    const TBundleRun run = RunBundle(TInputTexts{}, options);
    if (run.Status != RunStatus::kSucceeded) {
      bench.SkipWithError(run.Message.c_str());
      return;
    }
    evaluations = 0;
    for (const TBundleRow& row : run.Solution->Rows) evaluations += row.Solution.Evaluations;
    benchmark::DoNotOptimize(run.Energy->RelativeDifference);
  }
  bench.counters["evaluations"] = static_cast<double>(evaluations);
}

BENCHMARK(BM_BundleOneSolve)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bundle)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellmor
