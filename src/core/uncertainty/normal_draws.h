#pragma once

// The random part of Monte Carlo, reproducible: standard normal numbers of one draw that are
// the same on every platform and thread count, and the factor that gives them a covariance.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vellmor {

// n standard normal numbers of draw number draw of seed: a 64-bit Mersenne twister (whose
// sequence the C++ standard fixes) seeded by SplitMix64 of seed and draw, through the
// Box–Muller transform (the standard library's normal distribution is each library's own).
std::vector<double> StandardNormals(std::uint64_t seed, std::uint64_t draw, std::size_t n);

using TMatrix = std::vector<std::vector<double>>;

// The lower triangular L with L Lᵀ = m, of a symmetric positive definite m; nullopt when m is
// not (a pivot that is not positive and finite).
std::optional<TMatrix> CholeskyFactor(const TMatrix& m);

}  // namespace vellmor
