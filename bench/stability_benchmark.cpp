// The stability command as vellmor-cli stability runs it, through its request: the default
// line's eigenvalues on both grids; the critical take-up speed of the default line (stable as
// far as the search goes) and of the classical isothermal filament; the response to the
// roll's ripple at 50 frequencies.
//
//   vellmor-bench --benchmark_filter=Stability

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "vellmor/requests/stability_request.h"

namespace vellmor {
namespace {

void Run(benchmark::State& bench, const TRequestValues& values) {
  const TRequestContext context;
  for (auto _ : bench) {
    const TCommandReply reply = StabilityCommand(values, context);
    if (reply.Status != ReplyStatus::kDone) {
      bench.SkipWithError(reply.Messages.empty() ? "failed" : reply.Messages.front().c_str());
      return;
    }
    benchmark::DoNotOptimize(reply.Document);
  }
}

TRequestValues Classical() {
  TRequestValues values;
  values.Set("model_set", std::vector<std::string>{"heat_transfer.factor=0", "air_drag.factor=0",
                                                   "gravity_cm_s2=0", "momentum.inertia_factor=0"});
  values.Set("take_up_speed", 60.0);
  return values;
}

void BM_StabilityDefault(benchmark::State& bench) { Run(bench, {}); }

void BM_StabilityCriticalDefault(benchmark::State& bench) {
  TRequestValues values;
  values.Set("critical", std::string("take-up-speed"));
  Run(bench, values);
}

void BM_StabilityCriticalClassical(benchmark::State& bench) {
  TRequestValues values = Classical();
  values.Set("critical", std::string("take-up-speed"));
  Run(bench, values);
}

void BM_StabilityResponse(benchmark::State& bench) {
  TRequestValues values;
  values.Set("response", std::string("take-up"));
  values.Set("frequencies", std::string("0.1:20:50"));
  Run(bench, values);
}

BENCHMARK(BM_StabilityDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StabilityCriticalDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StabilityCriticalClassical)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StabilityResponse)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellmor
