// Time per call of the correctly rounded extended-precision ln and exp against the C library's
// logl and expl, on arguments of the kind the spinline formulas take:
//
//   vellmor-bench --benchmark_filter='Ln|Exp|Logl|Expl|Power'
//
// "Throughput" runs independent calls one after another, "Latency" feeds each result into the
// next call's argument, as the stages of a Runge-Kutta step do.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "core/physics/extended_math.h"

namespace vellmor {
namespace {

constexpr std::size_t kArguments = 1024;  // a power of two

// Bases of the powers: velocities, velocity over cross-section, mass flow over density, ...
// spread log-uniformly over 1e-7 ... 1e10.
std::vector<long double> LnArguments() {
  std::mt19937_64 random(1);
  std::uniform_real_distribution<double> decades(-7.0, 10.0);
  std::vector<long double> arguments(kArguments);
  for (long double& x : arguments) x = std::pow(10.0L, static_cast<long double>(decades(random)));
  return arguments;
}

// Exponents: b ln a of the powers and 6802/(T + 273) of the viscosity, within ±40.
std::vector<long double> ExpArguments() {
  std::mt19937_64 random(2);
  std::uniform_real_distribution<double> uniform(-40.0, 40.0);
  std::vector<long double> arguments(kArguments);
  for (long double& x : arguments) x = uniform(random) + uniform(random) * 0x1p-60L;
  return arguments;
}

template <long double (*F)(long double)>
void Throughput(benchmark::State& state, const std::vector<long double>& arguments) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(F(arguments[i++ & (kArguments - 1)]));
  }
}

// x -> F(x) · scale + offset keeps the chain within the arguments' range.
template <long double (*F)(long double)>
void Latency(benchmark::State& state, long double start, long double scale, long double offset) {
  long double x = start;
  for (auto _ : state) {
    x = F(x) * scale + offset;
    benchmark::DoNotOptimize(x);
  }
}

long double Logl(long double x) { return std::log(x); }
long double Expl(long double x) { return std::exp(x); }

// a^b = exp(b ln a) chained through a, as the drag term V^1.195 of successive stages.
template <long double (*Ln)(long double), long double (*Exp)(long double)>
void PowerLatency(benchmark::State& state) {
  long double a = 1234.5L;
  for (auto _ : state) {
    a = Exp(1.195L * Ln(a)) * 0.2L + 1000.0L;
    benchmark::DoNotOptimize(a);
  }
}

void BM_LnExtended_Throughput(benchmark::State& state) {
  Throughput<LnExtended>(state, LnArguments());
}
void BM_Logl_Throughput(benchmark::State& state) { Throughput<Logl>(state, LnArguments()); }
void BM_ExpExtended_Throughput(benchmark::State& state) {
  Throughput<ExpExtended>(state, ExpArguments());
}
void BM_Expl_Throughput(benchmark::State& state) { Throughput<Expl>(state, ExpArguments()); }

void BM_LnExtended_Latency(benchmark::State& state) {
  Latency<LnExtended>(state, 1500.0L, 1.0L, 1500.0L);
}
void BM_Logl_Latency(benchmark::State& state) { Latency<Logl>(state, 1500.0L, 1.0L, 1500.0L); }
void BM_ExpExtended_Latency(benchmark::State& state) {
  Latency<ExpExtended>(state, 10.0L, 1e-4L, 10.0L);
}
void BM_Expl_Latency(benchmark::State& state) { Latency<Expl>(state, 10.0L, 1e-4L, 10.0L); }

void BM_PowerExtended_Latency(benchmark::State& state) {
  PowerLatency<LnExtended, ExpExtended>(state);
}
void BM_PowerLogExpl_Latency(benchmark::State& state) { PowerLatency<Logl, Expl>(state); }

BENCHMARK(BM_LnExtended_Throughput);
BENCHMARK(BM_Logl_Throughput);
BENCHMARK(BM_ExpExtended_Throughput);
BENCHMARK(BM_Expl_Throughput);
BENCHMARK(BM_LnExtended_Latency);
BENCHMARK(BM_Logl_Latency);
BENCHMARK(BM_ExpExtended_Latency);
BENCHMARK(BM_Expl_Latency);
BENCHMARK(BM_PowerExtended_Latency);
BENCHMARK(BM_PowerLogExpl_Latency);

}  // namespace
}  // namespace vellmor
