// The converged model as vellmor-cli solve runs it: texts read and checked, the card's
// constants, the process numbers and a profile of 1001 points; the built-in card read from
// its YAML once beforehand; and the elasticities of the six results to every input and card
// constant; and the solve with the fibre's structure, one-way and coupled.
//
//   vellmor-bench --benchmark_filter=Solve

#include <benchmark/benchmark.h>

#include <variant>

#include "vellmor/converged/converged_run.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/sensitivity/sensitivities.h"

namespace vellmor {
namespace {

// The card as a user's file would give it: printed, then read back.
TModelConstants CardFromYaml() {
  const auto card = ReadModelCard(ModelCardYaml(ModelCard()), "pet.yaml");
  return std::get<TReadCard>(card).Card.Constants();
}

// How the fibre's structure is followed: not at all, one-way, coupled to the line.
enum class Structure { kNone, kOneWay, kCoupled };

void BM_SolveWithCard(benchmark::State& bench, int points, Structure structure) {
  TConvergedRunOptions options;
  options.Model = CardFromYaml();
  options.Positions.Points = points;
  options.Structure = structure != Structure::kNone;
  options.Model.Structure.Coupled = structure == Structure::kCoupled;
  int passes = 0;
  for (auto _ : bench) {
    const TConvergedRun run = RunConverged(TInputTexts{}, options);
    if (run.Status != RunStatus::kSucceeded) {
      bench.SkipWithError(run.Message.c_str());
      return;
    }
    passes = run.Solution->Passes;
    benchmark::DoNotOptimize(run.Solution->SpinneretTension);
  }
  bench.counters["passes"] = passes;
}

void BM_SolveSensitivities(benchmark::State& bench) {
  TConvergedRunOptions options;
  options.Model = CardFromYaml();
  options.Positions.Points = 0;
  const TConvergedRun run = RunConverged(TInputTexts{}, options);
  if (run.Status != RunStatus::kSucceeded) {
    bench.SkipWithError(run.Message.c_str());
    return;
  }
  std::size_t parameters = 0;
  for (auto _ : bench) {
    const TSensitivities s = ComputeSensitivities(run.Condition, options.Model, *run.Solution);
    parameters = s.Parameters.size();
    benchmark::DoNotOptimize(s.Elasticity[2].data());
  }
  bench.counters["parameters"] = static_cast<double>(parameters);
}

BENCHMARK_CAPTURE(BM_SolveWithCard, no_profile, 0, Structure::kNone)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SolveWithCard, profile_1001_points, 1001, Structure::kNone)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SolveWithCard, structure_one_way, 0, Structure::kOneWay)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SolveWithCard, structure_coupled, 0, Structure::kCoupled)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SolveSensitivities)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellmor
