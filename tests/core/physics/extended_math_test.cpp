// LnExtended, ExpExtended and PowerExtended against GNU MPFR's correctly rounded results
// (precision 64, the x87 exponent range, subnormals emulated): every argument must give the
// same long double, bit for bit. tools/extended_math_check.cpp runs the same comparison on
// 10^8 arguments.

#include "vellmor/physics/extended_math.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <bit>
#include <cctype>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <utility>

#include "vellmor/physics/extended_math_internal.h"
#include "vellmor/physics/numerics.h"
#include "vellmor/solver/calculate_spinline.h"
#include "support/extended_math_reference.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

namespace em = extended_math;
using test::MpfrExp;
using test::MpfrLn;

// At least 10^6 arguments per function in the release build; the sanitizer build runs the
// same families on a tenth.
#ifdef NDEBUG
constexpr long kArgumentsPerFunction = 1000000;
#else
constexpr long kArgumentsPerFunction = 100000;
#endif

// Arguments per family for at least kArgumentsPerFunction over all families.
long PerFamily(long families) { return (kArgumentsPerFunction + families - 1) / families; }

bool SameLongDouble(long double a, long double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::memcmp(&a, &b, 10) == 0;  // tells +0 from -0
}

// Counts the arguments compared and the mismatches, and keeps the first few of these.
struct Tally {
  long arguments = 0;
  long mismatches = 0;
  std::ostringstream first;

  void Compare(long double x, long double ours, long double reference) {
    ++arguments;
    if (SameLongDouble(ours, reference)) return;
    if (++mismatches <= 5)
      first << std::hexfloat << x << ": " << ours << " != " << reference << "\n";
  }
};

class ExtendedMathTest : public ::testing::Test {
  test::X87ExponentRange range_;
};

class LnRange : public ExtendedMathTest,
                public ::testing::WithParamInterface<test::ArgumentRange> {};
class ExpRange : public ExtendedMathTest,
                 public ::testing::WithParamInterface<test::ArgumentRange> {};

TEST_P(LnRange, EqualsMpfrOnEveryArgument) {
  std::mt19937_64 random(20240611);
  Tally tally;
  for (long i = 0; i < PerFamily(std::ssize(test::kLnArgumentRanges)); ++i) {
    const long double x = GetParam().draw(random);
    tally.Compare(x, LnExtended(x), MpfrLn(x));
  }
  EXPECT_EQ(tally.mismatches, 0) << "of " << tally.arguments << ", first:\n" << tally.first.str();
}

TEST_P(ExpRange, EqualsMpfrOnEveryArgument) {
  std::mt19937_64 random(20240612);
  Tally tally;
  for (long i = 0; i < PerFamily(std::ssize(test::kExpArgumentRanges)); ++i) {
    const long double x = GetParam().draw(random);
    tally.Compare(x, ExpExtended(x), MpfrExp(x));
  }
  EXPECT_EQ(tally.mismatches, 0) << "of " << tally.arguments << ", first:\n" << tally.first.str();
}

std::string RangeName(const ::testing::TestParamInfo<test::ArgumentRange>& info) {
  std::string name = info.param.name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Families, LnRange, ::testing::ValuesIn(test::kLnArgumentRanges),
                         RangeName);
INSTANTIATE_TEST_SUITE_P(Families, ExpRange, ::testing::ValuesIn(test::kExpArgumentRanges),
                         RangeName);

// Distance of f(x) from the nearest midpoint between two long doubles, in units of the last
// place, from MPFR at 256 bits.
double DistanceToMidpoint(int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t), long double x) {
  mpfr_t exact, scaled;
  mpfr_inits2(256, exact, scaled, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_ld(exact, x, MPFR_RNDN);
  f(exact, exact, MPFR_RNDN);
  mpfr_abs(exact, exact, MPFR_RNDN);
  // the fractional part of |f(x)| / ulp - 1/2
  mpfr_mul_2si(scaled, exact, 63 - (mpfr_get_exp(exact) - 1), MPFR_RNDN);
  mpfr_sub_d(scaled, scaled, 0.5, MPFR_RNDN);
  mpfr_frac(scaled, scaled, MPFR_RNDN);
  const double fraction = mpfr_get_d(scaled, MPFR_RNDN);
  mpfr_clears(exact, scaled, static_cast<mpfr_ptr>(nullptr));
  return std::fmin(fraction, 1.0 - fraction);
}

// Arguments whose results lie closer to a midpoint than the fast path's error bound, so that
// only the exact path can round them.
//   exp: x = ln m rounded, m a midpoint just off 1, makes e^x = m (1 + δ), |δ| < 2^-65 |x|.
//   ln: x = 1 ± z, z = c 2^(a-63) with c odd, a = floor(log2 c): ln x = ±z - z²/2 ± z³/3 - ...
//   where z is a whole number of units in the last place, z²/2 = c²/2 of them and z³/3 less
//   than 2^-27 of them for c < 512.
TEST_F(ExtendedMathTest, RoundsArgumentsNextToAMidpoint) {
  std::mt19937_64 random(7);
  Tally exp_tally, ln_tally;
  int exp_hard = 0, ln_hard = 0;
  mpfr_t m;
  mpfr_init2(m, 65);
  for (int i = 0; i < 2000; ++i) {
    // m = 1 ± an odd number of 2^-64 (2^-65 below 1), up to 2^-25 away.
    const uint64_t odd = ((random() >> (25 + random() % 38)) | 1);
    mpfr_set_ui(m, odd, MPFR_RNDN);
    mpfr_mul_2si(m, m, (i % 2) ? -64 : -65, MPFR_RNDN);
    (i % 2) ? mpfr_add_ui(m, m, 1, MPFR_RNDN) : mpfr_ui_sub(m, 1, m, MPFR_RNDN);
    mpfr_log(m, m, MPFR_RNDN);
    const long double x = mpfr_get_ld(m, MPFR_RNDN);
    if (DistanceToMidpoint(mpfr_exp, x) < 0x1p-24) ++exp_hard;
    exp_tally.Compare(x, ExpExtended(x), MpfrExp(x));
  }
  for (uint64_t c = 3; c < 512; c += 2) {
    const int a = 63 - std::countl_zero(c);
    const long double z = std::ldexp(static_cast<long double>(c), a - 63);
    for (const long double y : {1.0L + z, 1.0L - z}) {
      if (DistanceToMidpoint(mpfr_log, y) < 0x1p-28) ++ln_hard;
      ln_tally.Compare(y, LnExtended(y), MpfrLn(y));
    }
  }
  mpfr_clear(m);
  EXPECT_EQ(exp_tally.mismatches, 0) << exp_tally.first.str();
  EXPECT_EQ(ln_tally.mismatches, 0) << ln_tally.first.str();
  // The constructions work: most of them are beyond the fast path.
  EXPECT_GT(exp_hard, 1000);
  EXPECT_GT(ln_hard, 400);
}

// The power law, e^(b · ln a) with the product rounded to long double, against MPFR's ln and
// exp around the x87 product: bases of every family, and the ln arguments next to a midpoint
// (whose rounding only the exact path decides), with the exponents of the correlations and
// random ones of either sign.
TEST_F(ExtendedMathTest, PowerIsExpOfTheRoundedProductWithLn) {
  std::mt19937_64 random(11);
  const long double exponents[] = {0.259L, 0.167L, 0.195L, 1.195L, 0.5L, 5.056L, 0.134L, 0.85L};
  const auto exponent = [&](long i) {
    return i % 3 ? exponents[random() % 8]
                 : test::RandomSign(random) * std::ldexp(test::RandomSignificand(random),
                                                         static_cast<int>(random() % 24) - 20);
  };
  Tally tally;
  for (long i = 0; i < kArgumentsPerFunction / 10; ++i) {
    const long double a = test::kLnArgumentRanges[i % 4].draw(random);
    const long double b = exponent(i);
    tally.Compare(a, PowerExtended(a, b), MpfrExp(b * MpfrLn(a)));
  }
  for (uint64_t c = 3; c < 512; c += 2) {
    const long double z = std::ldexp(static_cast<long double>(c), 63 - std::countl_zero(c) - 63);
    for (const long double a : {1.0L + z, 1.0L - z}) {
      const long double b = exponent(c);
      tally.Compare(a, PowerExtended(a, b), MpfrExp(b * MpfrLn(a)));
    }
  }
  // Bases whose ln lies just inside a power of two, where the unit of the last place of the
  // rounded ln halves: a = e^y rounded, y = ±(2^k - j 2^(k-64)).
  for (int k = -10; k <= 13; ++k) {
    for (int j = 1; j <= 20; ++j) {
      for (const long double sign : {1.0L, -1.0L}) {
        const long double y =
            sign * (std::ldexp(1.0L, k) - std::ldexp(static_cast<long double>(j), k - 64));
        const long double a = MpfrExp(y);
        const long double b = exponent(j);
        tally.Compare(a, PowerExtended(a, b), MpfrExp(b * MpfrLn(a)));
      }
    }
  }
  EXPECT_EQ(tally.mismatches, 0) << "of " << tally.arguments << ", first:\n" << tally.first.str();
}

// The exact path alone, on every family of arguments.
TEST_F(ExtendedMathTest, ExactPathEqualsMpfr) {
  std::mt19937_64 random(99);
  Tally tally;
  for (int i = 0; i < 300; ++i) {
    for (const test::ArgumentRange& range : test::kExpArgumentRanges) {
      const long double x = range.draw(random);
      tally.Compare(x, em::ExpExact(x), MpfrExp(x));
    }
    for (const test::ArgumentRange& range : test::kLnArgumentRanges) {
      const long double x = range.draw(random);
      if (x > 0) tally.Compare(x, em::LnExact(x), MpfrLn(x));
    }
  }
  EXPECT_EQ(tally.mismatches, 0) << tally.first.str();
}

// The fast approximations stay within the error bounds that their rounding test assumes;
// the largest error seen, as a share of its bound, is printed, for the margin. The logarithm's
// arguments include those within 2^-14 of 1, where its bound is a relative one.
TEST_F(ExtendedMathTest, FastPathErrorWithinItsBound) {
  std::mt19937_64 random(5);
  mpfr_t exact, approximation;
  mpfr_inits2(256, exact, approximation, static_cast<mpfr_ptr>(nullptr));
  double worst_exp = 0.0, worst_ln_share = 0.0;
  for (long i = 0; i < kArgumentsPerFunction / 20; ++i) {
    em::DoubleDouble y;
    int scale = 0;
    const long double x = test::kExpArgumentRanges[i % 3].draw(random);
    if (em::ExpApproximation(x, y, scale)) {
      mpfr_set_ld(exact, x, MPFR_RNDN);
      mpfr_exp(exact, exact, MPFR_RNDN);
      mpfr_mul_2si(exact, exact, -scale, MPFR_RNDN);
      mpfr_set_d(approximation, y.hi, MPFR_RNDN);
      mpfr_add_d(approximation, approximation, y.lo, MPFR_RNDN);
      mpfr_sub(approximation, approximation, exact, MPFR_RNDN);  // absolute, e^x / 2^scale
      worst_exp = std::fmax(worst_exp, std::fabs(mpfr_get_d(approximation, MPFR_RNDN)));
    }
    const long double z =
        i % 4 == 3 ? 1.0L + std::ldexp(static_cast<long double>(random() >> 1) * 0x1p-63L - 0.5L,
                                       -static_cast<int>(random() % 40) - 13)
                   : test::kLnArgumentRanges[i % 3].draw(random);
    double bound = 0.0;
    if (em::LnApproximation(z, y, bound) && z != 1.0L) {
      mpfr_set_ld(exact, z, MPFR_RNDN);
      mpfr_log(exact, exact, MPFR_RNDN);
      mpfr_set_d(approximation, y.hi, MPFR_RNDN);
      mpfr_add_d(approximation, approximation, y.lo, MPFR_RNDN);
      mpfr_sub(approximation, approximation, exact, MPFR_RNDN);  // absolute
      worst_ln_share =
          std::fmax(worst_ln_share, std::fabs(mpfr_get_d(approximation, MPFR_RNDN)) / bound);
    }
  }
  mpfr_clears(exact, approximation, static_cast<mpfr_ptr>(nullptr));
  std::cout << "largest error: exp 2^" << std::log2(worst_exp) << " (bound 2^"
            << std::log2(em::kExpErrorBound) << "), ln " << worst_ln_share << " of its bound\n";
  EXPECT_LT(worst_exp, em::kExpErrorBound / 2);
  EXPECT_LT(worst_ln_share, 0.5);
}

// Exceptions raised by one call, of the three the run's fault checks look at.
int FaultsOf(long double (*f)(long double), long double x, long double& result) {
  std::feclearexcept(FE_ALL_EXCEPT);
  result = f(x);
  return std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
}

TEST_F(ExtendedMathTest, LnRaisesInvalidForNegativesAndNaNDivisionByZeroAtZero) {
  constexpr long double inf = std::numeric_limits<long double>::infinity();
  long double r = 0.0L;
  EXPECT_EQ(FaultsOf(LnExtended, -1.0L, r), FE_INVALID);
  EXPECT_TRUE(std::isnan(r));
  EXPECT_EQ(FaultsOf(LnExtended, -std::numeric_limits<long double>::denorm_min(), r), FE_INVALID);
  EXPECT_EQ(FaultsOf(LnExtended, -inf, r), FE_INVALID);
  EXPECT_EQ(FaultsOf(LnExtended, std::numeric_limits<long double>::quiet_NaN(), r), FE_INVALID);
  EXPECT_TRUE(std::isnan(r));
  EXPECT_EQ(FaultsOf(LnExtended, 0.0L, r), FE_DIVBYZERO);
  EXPECT_EQ(r, -inf);
  EXPECT_EQ(FaultsOf(LnExtended, -0.0L, r), FE_DIVBYZERO);
  EXPECT_EQ(r, -inf);
}

TEST_F(ExtendedMathTest, ExpRaisesOverflowOnlyAboveTheRange) {
  constexpr long double inf = std::numeric_limits<long double>::infinity();
  long double r = 0.0L;
  // e^x overflows from ln(LDBL_MAX · (1 + 2^-65)) = 11356.5234062941439494919... on.
  EXPECT_EQ(FaultsOf(ExpExtended, 11356.5234L, r), 0);
  EXPECT_EQ(r, MpfrExp(11356.5234L));
  EXPECT_EQ(FaultsOf(ExpExtended, 11356.5235L, r), FE_OVERFLOW);
  EXPECT_EQ(r, inf);
  EXPECT_EQ(FaultsOf(ExpExtended, 20000.0L, r), FE_OVERFLOW);
  EXPECT_EQ(FaultsOf(ExpExtended, std::numeric_limits<long double>::max(), r), FE_OVERFLOW);
  EXPECT_EQ(FaultsOf(ExpExtended, inf, r), 0);
  EXPECT_EQ(r, inf);
}

// The power raises what ExpExtended(b * LnExtended(a)) raises, but nothing for a base of 0,
// which gives 0.
TEST_F(ExtendedMathTest, PowerRaisesWhatTheCompositionRaisesButNothingAtZero) {
  constexpr long double inf = std::numeric_limits<long double>::infinity();
  const long double cases[][2] = {{-1.0L, 0.5L},
                                  {-inf, 2.0L},
                                  {inf, 0.5L},
                                  {inf, -0.5L},
                                  {1e4000L, 5.0L},
                                  {1e-4000L, 5.0L},
                                  {1e-4000L, -5.0L},
                                  {2.0L, 0.0L},
                                  {2.0L, inf},
                                  {0.5L, inf},
                                  {2.0L, 1e-4940L},
                                  {8.97L, 1e4000L},
                                  {std::numeric_limits<long double>::denorm_min(), 0.5L}};
  for (const auto& [a, b] : cases) {
    std::feclearexcept(FE_ALL_EXCEPT);
    const long double power = PowerExtended(a, b);
    const int power_faults = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    std::feclearexcept(FE_ALL_EXCEPT);
    const long double composed = ExpExtended(b * LnExtended(a));
    const int composed_faults = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    EXPECT_TRUE(SameLongDouble(power, composed)) << std::hexfloat << a << " ^ " << b;
    EXPECT_EQ(power_faults, composed_faults) << std::hexfloat << a << " ^ " << b;
  }
  long double r = 0.0L;
  for (const long double zero : {0.0L, -0.0L}) {
    std::feclearexcept(FE_ALL_EXCEPT);
    r = PowerExtended(zero, 0.259L);
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT & ~FE_INEXACT), 0);
    EXPECT_TRUE(SameLongDouble(r, 0.0L));
  }
}

// No invalid operation, division by zero or overflow on the way, however extreme the
// argument: the run would stop on any of them.
TEST_F(ExtendedMathTest, RaisesNothingElse) {
  constexpr long double inf = std::numeric_limits<long double>::infinity();
  const long double ln_arguments[] = {std::numeric_limits<long double>::denorm_min(),
                                      std::numeric_limits<long double>::min(),
                                      std::numeric_limits<long double>::max(),
                                      1.0L,
                                      std::nextafter(1.0L, 0.0L),
                                      std::nextafter(1.0L, 2.0L),
                                      inf};
  const long double exp_arguments[] = {-inf,      -std::numeric_limits<long double>::max(),
                                       -11400.0L, -11390.0L,
                                       -11355.0L, -0x1p-80L,
                                       0.0L,      std::numeric_limits<long double>::denorm_min(),
                                       0x1p-66L,  11356.0L,
                                       11356.5L};
  long double r = 0.0L;
  for (const long double x : ln_arguments) {
    EXPECT_EQ(FaultsOf(LnExtended, x, r), 0) << std::hexfloat << x;
    EXPECT_TRUE(SameLongDouble(r, MpfrLn(x))) << std::hexfloat << x;
  }
  for (const long double x : exp_arguments) {
    EXPECT_EQ(FaultsOf(ExpExtended, x, r), 0) << std::hexfloat << x;
    EXPECT_TRUE(SameLongDouble(r, MpfrExp(x))) << std::hexfloat << x;
  }
}

// The powers and exponentials of the default run, rebuilt from its converged profile: the
// bases of the heat transfer, drag and diameter powers at every point and the viscosity's
// exponent.
TEST_F(ExtendedMathTest, ArgumentsOfTheDefaultRun) {
  auto state = std::make_unique<TRunState>();
  state->Condition = test::DefaultCondition();
  CalculateSpinline(*state);
  const TSpinlineProfile& p = state->Profile;
  const long double w = p.MassFlow;
  Tally tally;
  const auto power = [&](long double base, long double exponent) {
    tally.Compare(base, LnExtended(base), MpfrLn(base));
    tally.Compare(base, PowerExtended(base, exponent), MpfrExp(exponent * MpfrLn(base)));
  };
  for (int i = 1; i <= p.StepCount + 1; ++i) {
    const long double v = p.V[i];
    const long double area = static_cast<double>(kQuarterPi * p.D[i] * p.D[i]);
    const long double cross_flow = 8.0L * 50.0L / v;
    power(v / area, 0.259L);
    power(1.0L + cross_flow * cross_flow, 0.167L);
    power(w / p.Rho[i], 0.195L);
    power(v, 1.195L);
    power(4.0L * w / (kPi * v * p.Rho[i]), 0.5L);
    const long double viscosity_exponent = 6802.0L / (p.T[i] + kKelvinOffset);
    tally.Compare(viscosity_exponent, ExpExtended(viscosity_exponent), MpfrExp(viscosity_exponent));
  }
  power(0.67L, 5.056L);
  power(0.67L / 0.61L, 0.85L);
  EXPECT_GT(tally.arguments, 1000);
  EXPECT_EQ(tally.mismatches, 0) << tally.first.str();
}

// The generated constants against MPFR: each ln table value is -ln of its reciprocal to
// the nearest 2^-112, each 2^(i/64) and 2^(i/4096) the double-double nearest, ln 2 the same
// to 2^-112 and in its 1024-bit form.
TEST_F(ExtendedMathTest, TablesAgreeWithMpfr) {
  mpfr_t t, stored;
  mpfr_inits2(1200, t, stored, static_cast<mpfr_ptr>(nullptr));
  // |t · 2^112 - (hi · 2^64 + lo)| in units of 2^-112.
  const auto fixed_error = [&](int64_t hi, uint64_t lo) {
    mpfr_set_si(stored, hi, MPFR_RNDN);
    mpfr_mul_2si(stored, stored, 64, MPFR_RNDN);
    mpfr_add_ui(stored, stored, lo, MPFR_RNDN);
    mpfr_mul_2si(t, t, 112, MPFR_RNDN);
    mpfr_sub(t, t, stored, MPFR_RNDN);
    return std::fabs(mpfr_get_d(t, MPFR_RNDN));
  };
  const auto check_step = [&](const em::LnReductionStep& step, int bits) {
    mpfr_set_ui(t, step.reciprocal, MPFR_RNDN);
    mpfr_mul_2si(t, t, -bits, MPFR_RNDN);
    mpfr_log(t, t, MPFR_RNDN);
    mpfr_neg(t, t, MPFR_RNDN);
    EXPECT_LE(fixed_error(step.minus_log_hi, step.minus_log_lo), 0.5) << step.reciprocal;
  };
  for (int i = 0; i < 128; ++i) check_step(em::kLnStep1[i], i >= 53 ? 10 : 11);
  for (const em::LnReductionStep& step : em::kLnStep2) check_step(step, 20);
  mpfr_const_log2(t, MPFR_RNDN);
  EXPECT_LE(fixed_error(em::kLn2Fixed112Hi, em::kLn2Fixed112Lo), 0.5);

  for (int i = 0; i < 64; ++i) {
    for (const auto& [table, denominator] :
         {std::pair{em::kExp2Coarse, 64}, std::pair{em::kExp2Fine, 4096}}) {
      mpfr_set_si(t, i, MPFR_RNDN);
      mpfr_div_ui(t, t, denominator, MPFR_RNDN);
      mpfr_exp2(t, t, MPFR_RNDN);
      EXPECT_EQ(table[i].hi, mpfr_get_d(t, MPFR_RNDN));
      mpfr_sub_d(t, t, table[i].hi, MPFR_RNDN);
      EXPECT_EQ(table[i].lo, mpfr_get_d(t, MPFR_RNDN));
    }
  }

  // 0 <= ln 2 - Σ word_i 2^(-64 (i + 1)) < 2^-1024
  mpfr_set_ui(stored, 0, MPFR_RNDN);
  for (int i = 15; i >= 0; --i) {
    mpfr_add_ui(stored, stored, em::kLn2Fraction[i], MPFR_RNDN);
    mpfr_div_2si(stored, stored, 64, MPFR_RNDN);
  }
  mpfr_const_log2(t, MPFR_RNDN);
  mpfr_sub(t, t, stored, MPFR_RNDN);
  mpfr_mul_2si(t, t, 1024, MPFR_RNDN);
  EXPECT_GE(mpfr_get_d(t, MPFR_RNDN), 0.0);
  EXPECT_LT(mpfr_get_d(t, MPFR_RNDN), 1.0);
  mpfr_clears(t, stored, static_cast<mpfr_ptr>(nullptr));
}

}  // namespace
}  // namespace vellmor
