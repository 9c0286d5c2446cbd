// The fit of two card constants (heat_transfer.factor, viscosity.activation_K) to 19
// diameters, 9 temperatures and the take-up tension at each of two take-up speeds, 4000 and
// 5000 m/min, from the built-in card's values; the data made by the converged model itself
// with other constants (1.6e-4 and 6900 K), so the fit has a known answer. With and without
// the profile-likelihood intervals; the model solves of one fit are counted.
//
//   vellmor-bench --benchmark_filter=Fit

#include <benchmark/benchmark.h>

#include <variant>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/fit/spinline_fit.h"
#include "vellmor/inputs/read_inputs.h"
#include "vellmor/physics/numerics.h"

namespace vellmor {
namespace {

// The window's default case at another take-up speed, read as the runner reads it.
TSpinCondition Condition(const char* take_up_speed) {
  struct : MessageSink {
    void ShowMessage(std::string_view) override {}
  } silent;
  TInputTexts texts;
  texts.TakeUpSpeed = take_up_speed;
  TSpinCondition condition;
  ReadInputs(texts, '.', condition, silent, InputUse::kConverged);
  return condition;
}

std::vector<TMeasurement> Data(const TFitCase& fit_case) {
  ModelCard truth;
  truth.SetValue(*FindModelKey("heat_transfer.factor"), 1.6e-4);
  truth.SetValue(*FindModelKey("viscosity.activation_K"), 6900.0);
  TConvergedOptions options;
  options.Model = truth.Constants();
  for (int x = 0; x <= 100; x += 5) options.SampleX.push_back(x);
  const TConvergedSolution solution = SolveConverged(fit_case.Condition, options);
  std::vector<TMeasurement> data;
  for (const TConvergedSample& s : solution.Profile) {
    if (s.X > 0 && s.X < 100) {
      data.push_back({fit_case.Name, s.X, Quantity::kDiameterUm, s.D * 1e4, 0.2, 0});
    }
    if (static_cast<int>(s.X) % 10 == 0 && s.X > 0 && s.X < 100) {
      data.push_back({fit_case.Name, s.X, Quantity::kTemperatureC, s.T, 0.5, 0});
    }
  }
  data.push_back({fit_case.Name, 100.0, Quantity::kTensionDyn, solution.TakeUpTension, 1.0, 0});
  return data;
}

void BM_FitTwoSpeeds(benchmark::State& bench, bool profiles) {
  std::vector<TFitCase> cases(2);
  cases[0].Name = "4000";
  cases[0].Condition = Condition("4000");
  cases[1].Name = "5000";
  cases[1].Condition = Condition("5000");
  std::vector<TMeasurement> data = Data(cases[0]);
  const auto more = Data(cases[1]);
  data.insert(data.end(), more.begin(), more.end());
  const std::vector<TFitParameter> parameters{{FindModelKey("heat_transfer.factor"), {}, {}, {}},
                                              {FindModelKey("viscosity.activation_K"), {}, {}, {}}};
  TFitOptions options;
  options.ProfileIntervals = profiles;
  long solves = 0;
  int iterations = 0;
  for (auto _ : bench) {
    const auto fit = FitCard(cases, data, parameters, options);
    const auto* result = std::get_if<TFitResult>(&fit);
    if (result == nullptr) {
      bench.SkipWithError(std::get<TFitFailure>(fit).Message.c_str());
      return;
    }
    solves = result->ModelSolves;
    iterations = result->Iterations;
    benchmark::DoNotOptimize(result->Parameters[0].Estimate);
  }
  bench.counters["measurements"] = static_cast<double>(data.size());
  bench.counters["model_solves"] = static_cast<double>(solves);
  bench.counters["iterations"] = iterations;
}

BENCHMARK_CAPTURE(BM_FitTwoSpeeds, without_profile_intervals, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FitTwoSpeeds, with_profile_intervals, true)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellmor
