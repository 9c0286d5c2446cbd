// The long comparison of LnExtended and ExpExtended with GNU MPFR, on the argument families of
// the tests, and more of them than a test run can afford:
//
//   extended-math-check [arguments per function = 100000000] [seed = 1] [threads = 1]
//
// Prints, per function, the arguments compared, the mismatches and the first few of these;
// exits 1 if there was any.

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "vellmor/physics/extended_math.h"
#include "support/extended_math_reference.h"

namespace {

using vellmor::test::ArgumentRange;

struct Count {
  int64_t arguments = 0;
  int64_t mismatches = 0;
};

bool Same(long double a, long double b) {
  if (a != a || b != b) return a != a && b != b;  // NaN
  return std::memcmp(&a, &b, 10) == 0;
}

// One thread's share: arguments drawn from each family in turn.
template <std::size_t N>
Count Compare(const char* name, long double (*ours)(long double),
              long double (*reference)(long double), const ArgumentRange (&ranges)[N],
              int64_t arguments, uint64_t seed, std::mutex& print) {
  const vellmor::test::X87ExponentRange range;  // MPFR's exponent range is per thread
  std::mt19937_64 random(seed);
  Count count;
  for (int64_t i = 0; i < arguments; ++i) {
    const long double x = ranges[i % N].draw(random);
    const long double a = ours(x), b = reference(x);
    ++count.arguments;
    if (!Same(a, b) && ++count.mismatches <= 10) {
      const std::lock_guard<std::mutex> lock(print);
      std::printf("%s mismatch (%s): %La gives %La, MPFR %La\n", name, ranges[i % N].name, x, a, b);
    }
  }
  return count;
}

template <std::size_t N>
int64_t Run(const char* name, long double (*ours)(long double),
            long double (*reference)(long double), const ArgumentRange (&ranges)[N],
            int64_t arguments, uint64_t seed, int threads) {
  std::vector<Count> counts(threads);
  std::vector<std::thread> workers;
  std::mutex print;
  for (int t = 0; t < threads; ++t) {
    const int64_t share = arguments / threads + (t < arguments % threads ? 1 : 0);
    workers.emplace_back([&, t, share] {
      counts[t] = Compare(name, ours, reference, ranges, share, seed * 1000 + t, print);
    });
  }
  Count total;
  for (int t = 0; t < threads; ++t) {
    workers[t].join();
    total.arguments += counts[t].arguments;
    total.mismatches += counts[t].mismatches;
  }
  std::printf("%s: %" PRId64 " arguments, %" PRId64 " mismatches\n", name, total.arguments,
              total.mismatches);
  std::fflush(stdout);
  return total.mismatches;
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t arguments = argc > 1 ? std::strtoll(argv[1], nullptr, 10) : 100000000;
  const uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  const int threads = argc > 3 ? std::atoi(argv[3]) : 1;
  if (arguments <= 0 || threads <= 0) {
    std::fprintf(stderr, "usage: extended-math-check [arguments] [seed] [threads]\n");
    return 2;
  }
  const int64_t mismatches = Run("ln", vellmor::LnExtended, vellmor::test::MpfrLn,
                                 vellmor::test::kLnArgumentRanges, arguments, seed, threads) +
                             Run("exp", vellmor::ExpExtended, vellmor::test::MpfrExp,
                                 vellmor::test::kExpArgumentRanges, arguments, seed, threads);
  return mismatches == 0 ? 0 : 1;
}
