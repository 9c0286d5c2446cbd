#include "vellmor/uncertainty/normal_draws.h"

#include <cmath>
#include <numbers>
#include <random>

namespace vellmor {
namespace {

std::uint64_t SplitMix64(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

// A uniform number in (0, 1]: never 0, whose logarithm Box–Muller takes.
double UnitInterval(std::mt19937_64& engine) {
  return (static_cast<double>(engine() >> 11) + 1.0) * 0x1.0p-53;
}

}  // namespace

std::vector<double> StandardNormals(std::uint64_t seed, std::uint64_t draw, std::size_t n) {
  std::mt19937_64 engine(SplitMix64(SplitMix64(seed) ^ draw));
  std::vector<double> z;
  z.reserve(n + 1);
  while (z.size() < n) {
    const double radius = std::sqrt(-2.0 * std::log(UnitInterval(engine)));
    const double angle = 2.0 * std::numbers::pi * UnitInterval(engine);
    z.push_back(radius * std::cos(angle));
    z.push_back(radius * std::sin(angle));
  }
  z.resize(n);
  return z;
}

std::optional<TMatrix> CholeskyFactor(const TMatrix& m) {
  const std::size_t n = m.size();
  TMatrix l(n, std::vector<double>(n, 0.0));
  for (std::size_t j = 0; j < n; ++j) {
    double pivot = m[j][j];
    for (std::size_t k = 0; k < j; ++k) pivot -= l[j][k] * l[j][k];
    if (!(pivot > 0.0) || !std::isfinite(pivot)) return std::nullopt;
    l[j][j] = std::sqrt(pivot);
    for (std::size_t i = j + 1; i < n; ++i) {
      double sum = m[i][j];
      for (std::size_t k = 0; k < j; ++k) sum -= l[i][k] * l[j][k];
      l[i][j] = sum / l[j][j];
    }
  }
  return l;
}

}  // namespace vellmor
