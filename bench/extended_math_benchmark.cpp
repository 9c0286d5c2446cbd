// Time per call of the correctly rounded extended-precision ln, exp and power against the C
// library's logl and expl, on arguments of the kind the spinline formulas take:
//
//   vellmor-bench --benchmark_filter='Ln|Exp|Logl|Expl|Power'
//
// "Throughput" runs independent calls one after another, "Latency" feeds each result into the
// next call's argument, as the stages of a Runge-Kutta step do; the chains include an x87
// multiply and add and a store and load of the argument (about 20 ns on their own).

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "vellmor/physics/extended_math.h"
#include "vellmor/physics/extended_math_kernels.h"

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

// x -> offset + scale · F(x), a chain that settles within the arguments' range.
template <long double (*F)(long double)>
void Latency(benchmark::State& state, long double offset, long double scale) {
  long double x = offset;
  for (auto _ : state) {
    x = offset + scale * F(x);
    benchmark::DoNotOptimize(x);
  }
}

long double Logl(long double x) { return std::log(x); }
long double Expl(long double x) { return std::exp(x); }
long double PowerOfLoglExpl(long double a, long double b) { return std::exp(b * std::log(a)); }
long double PowerOfExtended(long double a, long double b) { return ExpExtended(b * LnExtended(a)); }

// a -> 1000 + a^1.195 / 1000, as the drag term V^1.195 of successive stages.
template <long double (*Power)(long double, long double)>
void PowerLatency(benchmark::State& state) {
  long double a = 1000.0L;
  for (auto _ : state) {
    a = 1000.0L + 1e-3L * Power(a, 1.195L);
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

void BM_LnExtended_Latency(benchmark::State& state) { Latency<LnExtended>(state, 1500.0L, 1.0L); }
void BM_Logl_Latency(benchmark::State& state) { Latency<Logl>(state, 1500.0L, 1.0L); }
void BM_ExpExtended_Latency(benchmark::State& state) { Latency<ExpExtended>(state, 1.0L, 1e-3L); }
void BM_Expl_Latency(benchmark::State& state) { Latency<Expl>(state, 1.0L, 1e-3L); }

void BM_PowerExtended_Latency(benchmark::State& state) { PowerLatency<PowerExtended>(state); }
void BM_PowerOfLnExpExtended_Latency(benchmark::State& state) {
  PowerLatency<PowerOfExtended>(state);
}
void BM_PowerOfLoglExpl_Latency(benchmark::State& state) { PowerLatency<PowerOfLoglExpl>(state); }

// The three powers of a step's drag law, (W/ρ)^0.195, V1^1.195 and V2^1.195, of bases that
// depend on the previous three as a step's depend on the step before: one call after another,
// and as one batch (the step's Lanes). The time is per three.
const long double kDragExponents[3] = {0.195L, 1.195L, 1.195L};

[[gnu::target("fma")]] std::array<long double, 3> ThreeTogetherWithFma(
    const std::array<TPowerLaw, 3>& laws) {
  std::array<long double, 3> powers;
  extended_math::Lanes<3, 0, true>(laws, {}, powers, [](int) {});
  return powers;
}

std::array<long double, 3> ThreeTogether(const std::array<TPowerLaw, 3>& laws) {
  if (extended_math::ProcessorHasFma()) return ThreeTogetherWithFma(laws);
  std::array<long double, 3> powers;
  extended_math::Lanes<3, 0, false>(laws, {}, powers, [](int) {});
  return powers;
}

void BM_ThreePowersOneByOne_Latency(benchmark::State& state) {
  long double a = 1000.0L;
  for (auto _ : state) {
    const long double sum = PowerExtended(1e-5L * a, kDragExponents[0]) +
                            PowerExtended(a, kDragExponents[1]) +
                            PowerExtended(1.01L * a, kDragExponents[2]);
    a = 1000.0L + 1e-3L * sum;
    benchmark::DoNotOptimize(a);
  }
}

void BM_ThreePowersTogether_Latency(benchmark::State& state) {
  long double a = 1000.0L;
  for (auto _ : state) {
    const std::array<long double, 3> p = ThreeTogether(std::array<TPowerLaw, 3>{
        {{1e-5L * a, kDragExponents[0]}, {a, kDragExponents[1]}, {1.01L * a, kDragExponents[2]}}});
    a = 1000.0L + 1e-3L * (p[0] + p[1] + p[2]);
    benchmark::DoNotOptimize(a);
  }
}

BENCHMARK(BM_LnExtended_Throughput);
BENCHMARK(BM_Logl_Throughput);
BENCHMARK(BM_ExpExtended_Throughput);
BENCHMARK(BM_Expl_Throughput);
BENCHMARK(BM_LnExtended_Latency);
BENCHMARK(BM_Logl_Latency);
BENCHMARK(BM_ExpExtended_Latency);
BENCHMARK(BM_Expl_Latency);
BENCHMARK(BM_PowerExtended_Latency);
BENCHMARK(BM_PowerOfLnExpExtended_Latency);
BENCHMARK(BM_PowerOfLoglExpl_Latency);
BENCHMARK(BM_ThreePowersOneByOne_Latency);
BENCHMARK(BM_ThreePowersTogether_Latency);

}  // namespace
}  // namespace vellmor
