// The shortcuts of the power law must give what the power law itself gives, bit for bit and
// with the same floating-point exceptions: the result file depends on every bit.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "vellmor/physics/extended_math.h"
#include "vellmor/physics/extended_math_internal.h"
#include "vellmor/physics/extended_math_kernels.h"
#include "vellmor/physics/numerics.h"

namespace vellmor {
namespace {

constexpr int kFaults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

bool SameBits(long double a, long double b) { return std::memcmp(&a, &b, 10) == 0; }

// A double of any sign and binade, subnormals included, with random significand bits.
double AnyDouble(std::mt19937_64& random) {
  uint64_t bits = random();
  if (random() % 8 == 0) bits &= ~(uint64_t{0x7ff} << 52);  // subnormal or zero
  return std::bit_cast<double>(bits);
}

TEST(PowerOfDoubleBase, EqualsThePowerOfTheWidenedBase) {
  std::mt19937_64 random(5);
  const long double exponents[] = {1.195L, 0.259L, 0.5L, 5.056L, -0.75L, 3.0e-3L};
  const double specials[] = {0.0,
                             -0.0,
                             1.0,
                             -1.0,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
  int compared = 0;
  const auto compare = [&](double base, long double exponent) {
    std::feclearexcept(FE_ALL_EXCEPT);
    const long double from_double = PowerExtended(base, exponent);
    const int double_faults = std::fetestexcept(kFaults);
    std::feclearexcept(FE_ALL_EXCEPT);
    const long double from_extended = PowerExtended(static_cast<long double>(base), exponent);
    const int extended_faults = std::fetestexcept(kFaults);
    std::feclearexcept(FE_ALL_EXCEPT);
    ASSERT_EQ(double_faults, extended_faults) << std::hexfloat << base << " ^ " << exponent;
    if (std::isnan(from_extended)) {
      ASSERT_TRUE(std::isnan(from_double)) << std::hexfloat << base;
    } else {
      ASSERT_TRUE(SameBits(from_double, from_extended))
          << std::hexfloat << base << " ^ " << exponent;
    }
    ++compared;
  };
  for (const double base : specials) {
    for (const long double exponent : exponents) compare(base, exponent);
  }
  for (int i = 0; i < 200000; ++i) compare(AnyDouble(random), exponents[i % 6]);
  EXPECT_EQ(compared, 200060);
}

// The kernels take the product's exact error from the fused multiply-add where the processor
// has one, and from Dekker's splitting where it has not: both give the same two doubles, so
// every result must be the same bits either way. (On a processor without it both sides below
// run the same code.)
TEST(ExtendedMathWithoutFma, GivesTheSameBits) {
  std::mt19937_64 random(13);
  // Any sign, a binade within 2^±24: the exponentials stay on their fast path.
  const auto any_long_double = [&] {
    long double x = 0.0L;
    const uint64_t significand = random() | (uint64_t{1} << 63);
    const auto sign_exponent =
        static_cast<uint16_t>((random() % 2) << 15 | (16383 + random() % 38 - 24));
    std::memcpy(&x, &significand, 8);
    std::memcpy(reinterpret_cast<char*>(&x) + 8, &sign_exponent, 2);
    return x;
  };
  const long double exponents[] = {1.195L, 0.259L, 0.167L, 0.195L, 0.5L, 5.056L, -0.85L};
  for (int i = 0; i < 100000; ++i) {
    const long double x = any_long_double();
    ASSERT_TRUE(SameBits(ExpExtended(x), extended_math::ExpWithoutFma(x))) << std::hexfloat << x;
    const long double a = std::fabs(x);
    ASSERT_TRUE(SameBits(LnExtended(a), extended_math::LnWithoutFma(a))) << std::hexfloat << a;
    const long double b = exponents[i % 7];
    ASSERT_TRUE(SameBits(PowerExtended(a, b), extended_math::PowerWithoutFma(a, b)))
        << std::hexfloat << a << " ^ " << b;
  }
}

// Bases the spinline meets and the ones that leave the fast path: zero, one, negative,
// subnormal, infinite, NaN, and bases just off one.
long double AnyBase(std::mt19937_64& random) {
  constexpr long double inf = std::numeric_limits<long double>::infinity();
  static constexpr long double kSpecial[] = {
      0.0L,   -0.0L, 1.0L,        -2.5L,           1e-4940L,
      inf,    -inf,  0x1p-16382L, 1.0L + 0x1p-63L, 1.0L - 0x1p-64L,
      1e4000L};
  if (random() % 8 == 0) {
    const long double special = kSpecial[random() % std::size(kSpecial)];
    return random() % 5 == 0 ? std::numeric_limits<long double>::quiet_NaN() : special;
  }
  return std::ldexp(1.0L + static_cast<long double>(random() >> 1) * 0x1p-63L,
                    static_cast<int>(random() % 60) - 30);
}

struct TOutcome {
  long double value;
  int faults;
};

template <class F>
TOutcome Outcome(F&& f) {
  std::feclearexcept(FE_ALL_EXCEPT);
  const long double value = f();
  const int faults = std::fetestexcept(kFaults);
  std::feclearexcept(FE_ALL_EXCEPT);
  return {value, faults};
}

bool Same(long double a, long double b) { return std::isnan(a) ? std::isnan(b) : SameBits(a, b); }

// A batch as the spinline step runs it: with the fused multiply-add where the processor has
// one. Without, it is the batch below.
template <std::size_t P, std::size_t E, class Work>
[[gnu::target("fma")]] void BatchWithFma(const std::array<TPowerLaw, P>& laws,
                                         const std::array<long double, E>& exponents_of_e,
                                         std::array<long double, P + E>& results, Work&& work) {
  extended_math::Lanes<P, E, true>(laws, exponents_of_e, results, work);
}

template <std::size_t P, std::size_t E, class Work>
std::array<long double, P + E> Batch(const std::array<TPowerLaw, P>& laws,
                                     const std::array<long double, E>& exponents_of_e,
                                     Work&& work) {
  std::array<long double, P + E> results;
  if (extended_math::ProcessorHasFma()) {
    BatchWithFma(laws, exponents_of_e, results, work);
  } else {
    extended_math::Lanes<P, E, false>(laws, exponents_of_e, results, work);
  }
  return results;
}

template <std::size_t P, std::size_t E>
std::array<long double, P + E> BatchWithoutFma(const std::array<TPowerLaw, P>& laws,
                                               const std::array<long double, E>& exponents_of_e) {
  std::array<long double, P + E> results;
  extended_math::Lanes<P, E, false>(laws, exponents_of_e, results, [](int) {});
  return results;
}

constexpr std::array<long double, 0> kNoExponentials{};
constexpr std::array<TPowerLaw, 0> kNoPowers{};
const auto kNothingElse = [](int) {};

// The single calls of a batch's power laws: their results, and their exceptions together.
template <std::size_t N>
std::pair<std::array<long double, N>, int> SingleCalls(const std::array<TPowerLaw, N>& laws) {
  std::array<long double, N> values;
  int faults = 0;
  for (std::size_t k = 0; k < N; ++k) {
    const TOutcome one = Outcome([&] { return PowerExtended(laws[k].base, laws[k].exponent); });
    values[k] = one.value;
    faults |= one.faults;
  }
  return {values, faults};
}

// Each power and exponential of a batch is its single call's result, and the batch raises the
// exceptions the single calls raise together; so does the batch without the fused
// multiply-add.
TEST(PowerBatch, EachIsWhatItsSingleCallGives) {
  std::mt19937_64 random(17);
  const long double exponents[] = {1.195L, 0.259L, 0.167L, 0.195L, 0.5L, -0.75L, 2000.0L};
  const auto any_law = [&] { return TPowerLaw{AnyBase(random), exponents[random() % 7]}; };
  for (int i = 0; i < 20000; ++i) {
    std::array<TPowerLaw, 3> three;
    for (TPowerLaw& law : three) law = any_law();
    const std::array<TPowerLaw, 2> two{any_law(), any_law()};
    // e^x over the range where it is finite and nonzero, and beyond it now and then.
    const long double x =
        random() % 50 == 0 ? 11400.0L * (random() % 2 ? 1 : -1)
                           : std::ldexp(static_cast<long double>(random() >> 1) * 0x1p-63L - 0.5L,
                                        static_cast<int>(random() % 20) - 5);

    const auto [single_three, three_faults] = SingleCalls(three);
    const auto [single_two, two_faults] = SingleCalls(two);
    const TOutcome single_exp = Outcome([&] { return ExpExtended(x); });

    std::array<long double, 3> batch_three;
    const TOutcome three_outcome = Outcome([&] {
      batch_three = Batch(three, kNoExponentials, kNothingElse);
      return batch_three[0];
    });
    std::array<long double, 2> batch_two;
    const TOutcome two_outcome = Outcome([&] {
      batch_two = Batch(two, kNoExponentials, kNothingElse);
      return batch_two[0];
    });
    const TOutcome exp_outcome =
        Outcome([&] { return Batch(kNoPowers, std::array<long double, 1>{x}, kNothingElse)[0]; });
    ASSERT_EQ(three_outcome.faults, three_faults) << std::hexfloat << three[0].base;
    ASSERT_EQ(two_outcome.faults, two_faults) << std::hexfloat << two[0].base;
    ASSERT_EQ(exp_outcome.faults, single_exp.faults) << std::hexfloat << x;
    ASSERT_TRUE(Same(exp_outcome.value, single_exp.value)) << std::hexfloat << x;

    const std::array<long double, 3> three_without_fma = BatchWithoutFma(three, kNoExponentials);
    const std::array<long double, 2> two_without_fma = BatchWithoutFma(two, kNoExponentials);
    const std::array<long double, 1> exp_without_fma =
        BatchWithoutFma(kNoPowers, std::array<long double, 1>{x});
    for (int k = 0; k < 3; ++k) {
      ASSERT_TRUE(Same(batch_three[k], single_three[k]))
          << std::hexfloat << three[k].base << " ^ " << three[k].exponent;
      ASSERT_TRUE(Same(three_without_fma[k], single_three[k])) << std::hexfloat << three[k].base;
    }
    for (int k = 0; k < 2; ++k) {
      ASSERT_TRUE(Same(batch_two[k], single_two[k])) << std::hexfloat << two[k].base;
      ASSERT_TRUE(Same(two_without_fma[k], single_two[k])) << std::hexfloat << two[k].base;
    }
    ASSERT_TRUE(Same(exp_without_fma[0], single_exp.value)) << std::hexfloat << x;
  }
}

// The smaller batches, with the caller's work interleaved: every step of it is done once, in
// order, and the results are still the single calls' bits.
TEST(PowerBatch, InterleavedWorkIsDoneOnceInOrder) {
  std::mt19937_64 random(23);
  std::vector<int> steps;
  const auto record = [&](int k) { steps.push_back(k); };
  const std::vector<int> every_step{1, 2, 3, 4, 5};
  for (int i = 0; i < 20000; ++i) {
    const std::array<TPowerLaw, 3> three{TPowerLaw{AnyBase(random), 1.195L},
                                         TPowerLaw{AnyBase(random), 0.195L},
                                         TPowerLaw{AnyBase(random), 0.259L}};
    const std::array<long double, 3> powers = Batch(three, kNoExponentials, kNothingElse);
    for (int k = 0; k < 3; ++k) {
      ASSERT_TRUE(Same(powers[k], PowerExtended(three[k].base, three[k].exponent)));
    }
    const std::array<TPowerLaw, 2> two{three[0], three[2]};
    steps.clear();
    const std::array<long double, 2> interleaved = Batch(two, kNoExponentials, record);
    ASSERT_EQ(steps, every_step);
    ASSERT_TRUE(Same(interleaved[0], PowerExtended(two[0].base, two[0].exponent)));
    ASSERT_TRUE(Same(interleaved[1], PowerExtended(two[1].base, two[1].exponent)));
    const long double x = std::ldexp(static_cast<long double>(random() >> 1) * 0x1p-63L - 0.5L,
                                     static_cast<int>(random() % 20) - 5);
    steps.clear();
    ASSERT_TRUE(Same(Batch(kNoPowers, std::array<long double, 1>{x}, record)[0], ExpExtended(x)))
        << std::hexfloat << x;
    ASSERT_EQ(steps, every_step);
  }
}

// Power(a, 0.5) rounded to double, the long way.
double PowerHalf(long double a) { return static_cast<double>(PowerExtended(a, 0.5L)); }

// Cross-sections of a filament, whose root is nearly always settled by the square root, and
// squares of values next to a midpoint between two doubles, whose root is not.
TEST(SquareRootByPower, EqualsThePowerLawRoundedToDouble) {
  std::mt19937_64 random(9);
  std::uniform_real_distribution<double> binade(-30.0, 30.0);
  int compared = 0;
  for (int i = 0; i < 300000; ++i) {
    const long double a = std::ldexp(1.0L + static_cast<long double>(random() >> 1) * 0x1p-63L,
                                     static_cast<int>(std::floor(binade(random))));
    ASSERT_EQ(SquareRootByPower(a), PowerHalf(a)) << std::hexfloat << a;
    ++compared;
  }
  int next_to_midpoint = 0;
  for (int i = 0; i < 20000; ++i) {
    // m half-way between two doubles, nudged by a few units of the long double's last place.
    const double d = std::ldexp(1.0 + static_cast<double>(random() >> 12) * 0x1p-52,
                                static_cast<int>(random() % 40) - 20);
    const int e = std::ilogb(d);
    const long double m = static_cast<long double>(d) + std::ldexp(1.0L, e - 53) +
                          std::ldexp(static_cast<long double>(random() % 33) - 16.0L, e - 63);
    const long double a = m * m;
    const long double root = std::sqrt(a);
    if (static_cast<double>(root - root * 0x1p-60L) !=
        static_cast<double>(root + root * 0x1p-60L)) {
      ++next_to_midpoint;
    }
    ASSERT_EQ(SquareRootByPower(a), PowerHalf(a)) << std::hexfloat << a;
    ++compared;
  }
  EXPECT_EQ(compared, 320000);
  // The construction reaches the cases the square root cannot settle.
  EXPECT_GT(next_to_midpoint, 10000);
}

TEST(SquareRootByPower, OutsideItsRangeItIsThePowerLawWithItsExceptions) {
  constexpr long double inf = std::numeric_limits<long double>::infinity();
  const long double cases[] = {
      0.0L,     -0.0L,   -4.0L, 0x1p-25L, 0x1p25L,
      1e-300L,  1e300L,  inf,   -inf,     std::numeric_limits<long double>::quiet_NaN(),
      0x1p-24L, 0x1p24L, 1.0L};
  for (const long double a : cases) {
    std::feclearexcept(FE_ALL_EXCEPT);
    const double shortcut = SquareRootByPower(a);
    const int shortcut_faults = std::fetestexcept(kFaults);
    std::feclearexcept(FE_ALL_EXCEPT);
    const double power = PowerHalf(a);
    const int power_faults = std::fetestexcept(kFaults);
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(shortcut_faults, power_faults) << std::hexfloat << a;
    if (std::isnan(power)) {
      EXPECT_TRUE(std::isnan(shortcut)) << std::hexfloat << a;
    } else {
      EXPECT_EQ(std::bit_cast<uint64_t>(shortcut), std::bit_cast<uint64_t>(power))
          << std::hexfloat << a;
    }
  }
}

}  // namespace
}  // namespace vellmor
