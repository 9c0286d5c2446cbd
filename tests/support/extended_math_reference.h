#pragma once

// GNU MPFR as the reference for the extended-precision ln and exp, and the arguments they are
// compared on: shared by the tests and by tools/extended_math_check.cpp.

#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace vellmor::test {

// MPFR's exponent range narrowed to that of the x87 extended format while the object lives:
// with a precision of 64 bits, results then round as long doubles do, subnormals
// (2^-16445 ... 2^-16382) through mpfr_subnormalize.
class X87ExponentRange {
 public:
  X87ExponentRange() : emin_(mpfr_get_emin()), emax_(mpfr_get_emax()) {
    mpfr_set_emin(-16444);  // 2^-16445 = 0.1b · 2^-16444
    mpfr_set_emax(16384);   // below 2^16384 = 0.1b · 2^16385
  }
  ~X87ExponentRange() {
    mpfr_set_emin(emin_);
    mpfr_set_emax(emax_);
  }
  X87ExponentRange(const X87ExponentRange&) = delete;
  X87ExponentRange& operator=(const X87ExponentRange&) = delete;

 private:
  mpfr_exp_t emin_, emax_;
};

// f(x) correctly rounded to the nearest long double, as MPFR computes it; needs an
// X87ExponentRange in scope.
inline long double MpfrRounded(int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t), long double x) {
  mpfr_t value;
  mpfr_init2(value, 64);
  mpfr_set_ld(value, x, MPFR_RNDN);  // exact
  const int ternary = f(value, value, MPFR_RNDN);
  mpfr_subnormalize(value, ternary, MPFR_RNDN);
  const long double result = mpfr_get_ld(value, MPFR_RNDN);  // exact
  mpfr_clear(value);
  return result;
}

inline long double MpfrLn(long double x) { return MpfrRounded(mpfr_log, x); }
inline long double MpfrExp(long double x) { return MpfrRounded(mpfr_exp, x); }

// A long double in [1, 2) with all 64 significand bits random.
inline long double RandomSignificand(std::mt19937_64& random) {
  return std::ldexp(static_cast<long double>(random() | (uint64_t{1} << 63)), -63);
}

inline long double RandomSign(std::mt19937_64& random) { return (random() & 1) ? -1.0L : 1.0L; }

// Uniform in [lo, hi] with a full random significand.
inline long double RandomIn(std::mt19937_64& random, long double lo, long double hi) {
  return lo + (hi - lo) * (RandomSignificand(random) - 1.0L);
}

// A family of arguments: its name and how to draw one.
struct ArgumentRange {
  const char* name;
  long double (*draw)(std::mt19937_64&);
};

// Arguments of ln: every binade of the format, subnormals included; the bases of the powers
// (velocities, cross-sections, mass flows, shear rates: 2^-27 ... 2^37); values just above and
// below 1; powers of two and their neighbours.
inline constexpr ArgumentRange kLnArgumentRanges[] = {
    {"every binade",
     [](std::mt19937_64& r) {
       return std::ldexp(RandomSignificand(r), static_cast<int>(r() % 32829) - 16445);
     }},
    {"bases of the powers",
     [](std::mt19937_64& r) {
       return std::ldexp(RandomSignificand(r), static_cast<int>(r() % 65) - 27);
     }},
    {"near one",
     [](std::mt19937_64& r) {
       const int distance = 7 + static_cast<int>(r() % 64);  // 1 ± 2^-7 ... 1 ± 2^-70
       return 1.0L + RandomSign(r) * std::ldexp(RandomSignificand(r) - 1.0L, -distance);
     }},
    {"powers of two and neighbours",
     [](std::mt19937_64& r) {
       const long double power = std::ldexp(1.0L, static_cast<int>(r() % 32767) - 16382);
       switch (r() % 3) {
         case 0:
           return power;
         case 1:
           return std::nextafter(power, 0.0L);
         default:
           return std::nextafter(power, HUGE_VALL);
       }
     }},
};

// Arguments of exp: the whole range from total underflow to overflow; the exponents of the
// formulas (within ±60); values near 0; near the overflow threshold; where results are
// subnormal or underflow; small binary fractions.
inline constexpr ArgumentRange kExpArgumentRanges[] = {
    {"whole range", [](std::mt19937_64& r) { return RandomIn(r, -11410.0L, 11360.0L); }},
    {"exponents of the formulas", [](std::mt19937_64& r) { return RandomIn(r, -60.0L, 60.0L); }},
    {"near zero",
     [](std::mt19937_64& r) {
       return RandomSign(r) * std::ldexp(RandomSignificand(r), -1 - static_cast<int>(r() % 80));
     }},
    {"near overflow", [](std::mt19937_64& r) { return RandomIn(r, 11354.0L, 11357.0L); }},
    {"subnormal results", [](std::mt19937_64& r) { return RandomIn(r, -11401.0L, -11354.0L); }},
    {"binary fractions",
     [](std::mt19937_64& r) {
       return std::ldexp(static_cast<long double>(static_cast<int64_t>(r() % 2000001) - 1000000),
                         -static_cast<int>(r() % 12));
     }},
};

}  // namespace vellmor::test
