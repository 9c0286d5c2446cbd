// The intervals of a fitted card's answers beside the plain solve they come with: the default
// line with the fibre's structure and a profile of 1001 points, solved alone, with the delta
// method's intervals (the exact derivatives of two fitted constants), and Monte Carlo's 1 000
// draws of them on every core (no profile).
//
//   vellmor-bench --benchmark_filter=Uncertain

#include <benchmark/benchmark.h>

#include "vellmor/converged/converged_run.h"
#include "vellmor/uncertainty/propagation.h"

namespace vellmor {
namespace {

// What a fit of the heat transfer and the activation temperature to a line's diameters,
// temperatures and take-up tension leaves on its card.
TCardUncertainty FittedUncertainty() {
  TCardUncertainty u;
  u.Keys = {"heat_transfer.factor", "viscosity.activation_K"};
  u.LogScale = {true, true};
  u.Estimates = {1.37e-4, 6802.0};
  u.Covariance = {{2.3e-12, -2.6e-5}, {-2.6e-5, 363.0}};
  u.DegreesOfFreedom = 3;
  return u;
}

TConvergedRunOptions Options(int points) {
  TConvergedRunOptions options;
  options.Positions.Points = points;
  options.Structure = true;
  return options;
}

void BM_UncertainSolvePlain(benchmark::State& bench, int points) {
  const TConvergedRunOptions options = Options(points);
  for (auto _ : bench) {
    const TConvergedRun run = RunConverged(TInputTexts{}, options);
    benchmark::DoNotOptimize(run.Solution->SpinneretTension);
  }
}

void Propagated(benchmark::State& bench, UncertaintyMethod method, int points) {
  const TConvergedRunOptions options = Options(points);
  const TCardUncertainty uncertainty = FittedUncertainty();
  TUncertaintySettings settings;
  settings.Method = method;
  for (auto _ : bench) {
    const TConvergedRun run = RunConverged(TInputTexts{}, options);
    TConvergedOptions solved;
    solved.Model = options.Model;
    solved.Structure = true;
    for (const TConvergedSample& s : run.Solution->Profile) solved.SampleX.push_back(s.X);
    const TPropagatedUncertainty p =
        PropagateUncertainty({&run.Condition, &solved, &*run.Solution}, uncertainty, settings);
    benchmark::DoNotOptimize(p.Intervals.Process.data());
  }
}

void BM_UncertainSolveDelta(benchmark::State& bench, int points) {
  Propagated(bench, UncertaintyMethod::kDelta, points);
}

void BM_UncertainMonteCarlo1000(benchmark::State& bench) {
  Propagated(bench, UncertaintyMethod::kMonteCarlo, 0);
}

BENCHMARK_CAPTURE(BM_UncertainSolvePlain, profile_1001_points, 1001)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UncertainSolveDelta, profile_1001_points, 1001)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UncertainSolvePlain, no_profile, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UncertainSolveDelta, no_profile, 0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UncertainMonteCarlo1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vellmor
