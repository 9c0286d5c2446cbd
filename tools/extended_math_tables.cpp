// Writes src/core/physics/extended_math_tables.h, the constants of the extended-precision ln and
// exp, from GNU MPFR at 400 bits:
//
//   extended-math-tables > src/core/physics/extended_math_tables.h
//
// and checks on the way that each step of the logarithm's argument reduction keeps its result
// within the range the next step's table covers.

#include <gmp.h>
#include <mpfr.h>

#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr mpfr_prec_t kPrecision = 400;

// An MPFR number that frees itself.
class Big {
 public:
  Big() { mpfr_init2(value_, kPrecision); }
  explicit Big(double d) : Big() { mpfr_set_d(value_, d, MPFR_RNDN); }
  ~Big() { mpfr_clear(value_); }
  Big(const Big&) = delete;
  Big& operator=(const Big&) = delete;
  mpfr_ptr get() { return value_; }

 private:
  mpfr_t value_;
};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "extended-math-tables: %s\n", what.c_str());
  std::exit(1);
}

// v rounded to nearest with `bits` significant bits, as a double.
double RoundToBits(mpfr_ptr v, int bits) {
  mpfr_t r;
  mpfr_init2(r, bits);
  mpfr_set(r, v, MPFR_RNDN);
  const double d = mpfr_get_d(r, MPFR_RNDN);
  mpfr_clear(r);
  return d;
}

void PrintDoubleDouble(mpfr_ptr v) {
  const double hi = mpfr_get_d(v, MPFR_RNDN);
  Big rest;
  mpfr_sub_d(rest.get(), v, hi, MPFR_RNDN);
  std::printf("    {%a, %a},\n", hi, mpfr_get_d(rest.get(), MPFR_RNDN));
}

// round(v · 2^112) as the two words of a two's complement 128-bit integer.
void FixedWords(mpfr_ptr v, int64_t& hi, uint64_t& lo) {
  Big scaled;
  mpfr_mul_2si(scaled.get(), v, 112, MPFR_RNDN);
  mpz_t z, word;
  mpz_inits(z, word, nullptr);
  mpfr_get_z(z, scaled.get(), MPFR_RNDN);
  if (mpz_sizeinbase(z, 2) > 126) Fail("fixed-point value out of range");
  const bool negative = mpz_sgn(z) < 0;
  if (negative) mpz_ui_pow_ui(word, 2, 128), mpz_add(z, z, word);  // two's complement
  mpz_tdiv_r_2exp(word, z, 64);
  lo = mpz_get_ui(word);
  mpz_tdiv_q_2exp(word, z, 64);
  hi = static_cast<int64_t>(mpz_get_ui(word));
  mpz_clears(z, word, nullptr);
}

// One entry of a reduction table: the reciprocal r and −ln(r) (r being the reciprocal scaled
// into [1/2, 2), held in scaled) in fixed point.
void PrintReductionEntry(uint32_t reciprocal, mpfr_ptr scaled) {
  mpfr_log(scaled, scaled, MPFR_RNDN);
  mpfr_neg(scaled, scaled, MPFR_RNDN);
  int64_t hi;
  uint64_t lo;
  FixedWords(scaled, hi, lo);
  std::printf("    {%" PRIu32 "u, %" PRId64 ", 0x%016" PRIx64 "u},\n", reciprocal, hi, lo);
}

// One table of the logarithm's reduction: for index i in [first, last], the reciprocal
// R = round(2^bits / (1 + i·width)) (R = 2^bits at i = 0, so that -ln r is exactly 0 there),
// and -ln(R · 2^-bits).
void PrintLnStep(const char* name, int first, int last, int width_log2, int bits) {
  std::printf("inline constexpr LnReductionStep %s[%d] = {\n", name, last - first + 1);
  Big r, t;
  for (int i = first; i <= last; ++i) {
    mpfr_set_si(t.get(), i, MPFR_RNDN);
    mpfr_mul_2si(t.get(), t.get(), -width_log2, MPFR_RNDN);
    mpfr_add_ui(t.get(), t.get(), 1, MPFR_RNDN);
    mpfr_ui_div(t.get(), 1, t.get(), MPFR_RNDN);
    mpfr_mul_2si(t.get(), t.get(), bits, MPFR_RNDN);
    mpfr_rint(r.get(), t.get(), MPFR_RNDN);
    const uint32_t reciprocal = static_cast<uint32_t>(mpfr_get_ui(r.get(), MPFR_RNDN));
    mpfr_mul_2si(t.get(), r.get(), -bits, MPFR_RNDN);
    PrintReductionEntry(reciprocal, t.get());
  }
  std::printf("};\n\n");
}

// Largest |z'| over a bin [lo, hi] of 1 + z reduced by reciprocal·2^-bits.
double ReducedBound(double lo, double hi, double reciprocal, int bits) {
  const double scale = std::ldexp(reciprocal, -bits);
  return std::fmax(std::fabs(lo * scale - 1.0), std::fabs(hi * scale - 1.0));
}

// The reciprocal the table for a step holds at index i (same rule as PrintLnStep).
double StepReciprocal(int i, int width_log2, int bits) {
  Big t;
  mpfr_set_si(t.get(), i, MPFR_RNDN);
  mpfr_mul_2si(t.get(), t.get(), -width_log2, MPFR_RNDN);
  mpfr_add_ui(t.get(), t.get(), 1, MPFR_RNDN);
  mpfr_ui_div(t.get(), 1, t.get(), MPFR_RNDN);
  mpfr_mul_2si(t.get(), t.get(), bits, MPFR_RNDN);
  mpfr_rint(t.get(), t.get(), MPFR_RNDN);
  return mpfr_get_d(t.get(), MPFR_RNDN);
}

// The first step: mantissa m in [1, 2) in bins of 1/128, reciprocal R1 = round(2^11 / centre),
// R1 = 2048 in the first bin and 1024 in the last, where the mantissa is taken as m/2 so that
// values just below 1 come out as 1 + z with a small negative z.
uint32_t FirstStepReciprocal(int i) {
  if (i == 0) return 2048;
  if (i == 127) return 1024;
  return static_cast<uint32_t>(std::lround(2048.0 / (1.0 + (i + 0.5) / 128.0)));
}

void CheckReduction() {
  double z1_max = 0.0;
  for (int i = 0; i < 128; ++i) {
    const double lo = 1.0 + i / 128.0, hi = 1.0 + (i + 1) / 128.0;
    z1_max = std::fmax(z1_max, ReducedBound(lo, hi, FirstStepReciprocal(i), 11));
  }
  // Step 2 rounds z1 · 2^13 to its index, so it needs |z1| · 2^13 < 64.5.
  if (z1_max * 8192.0 >= 64.5) Fail("step 1 leaves z1 outside step 2's table");
  double z2_max = 0.0;
  for (int i = -64; i <= 64; ++i) {
    const double lo = 1.0 + (i - 0.5) / 8192.0, hi = 1.0 + (i + 0.5) / 8192.0;
    z2_max = std::fmax(z2_max, ReducedBound(lo, hi, StepReciprocal(i, 13, 20), 20));
  }
  // The logarithm's error bound takes |z| < 2^-13.97 (a truncation below 2^-86.4).
  if (z2_max >= std::exp2(-13.97)) Fail("step 2 leaves |z| above 2^-13.97");
  std::printf("// Reduction bounds: |z1| < %a, |z| < %a (2^%.3f).\n\n", z1_max, z2_max,
              std::log2(z2_max));
}

void PrintExpConstants() {
  Big c, rest;
  mpfr_const_log2(c.get(), MPFR_RNDN);
  mpfr_mul_2si(c.get(), c.get(), -12, MPFR_RNDN);
  const double c1a = RoundToBits(c.get(), 26);
  mpfr_sub_d(rest.get(), c.get(), c1a, MPFR_RNDN);
  const double c1b = RoundToBits(rest.get(), 26);
  mpfr_sub_d(rest.get(), rest.get(), c1b, MPFR_RNDN);
  const double c2 = mpfr_get_d(rest.get(), MPFR_RNDN);
  mpfr_ui_div(rest.get(), 1, c.get(), MPFR_RNDN);
  std::printf(
      "// ln2/4096 = kLn2By4096Hi + kLn2By4096Mid + kLn2By4096Lo + O(2^-119): the first two\n"
      "// have 26 bits, so that k times either is exact for |k| < 2^27.\n");
  std::printf("inline constexpr double kLn2By4096Hi = %a;\n", c1a);
  std::printf("inline constexpr double kLn2By4096Mid = %a;\n", c1b);
  std::printf("inline constexpr double kLn2By4096Lo = %a;\n", c2);
  std::printf("inline constexpr double k4096ByLn2 = %a;\n\n", mpfr_get_d(rest.get(), MPFR_RNDN));

  Big t;
  for (int fine = 0; fine < 2; ++fine) {
    std::printf("// 2^(i/%d), i = 0 ... 63.\n", fine ? 4096 : 64);
    std::printf("inline constexpr DoubleDouble %s[64] = {\n", fine ? "kExp2Fine" : "kExp2Coarse");
    for (int i = 0; i < 64; ++i) {
      mpfr_set_si(t.get(), i, MPFR_RNDN);
      mpfr_div_ui(t.get(), t.get(), fine ? 4096 : 64, MPFR_RNDN);
      mpfr_exp2(t.get(), t.get(), MPFR_RNDN);
      PrintDoubleDouble(t.get());
    }
    std::printf("};\n\n");
  }
}

void PrintLn2() {
  Big ln2;
  mpfr_const_log2(ln2.get(), MPFR_RNDN);
  int64_t hi;
  uint64_t lo;
  FixedWords(ln2.get(), hi, lo);
  std::printf("// ln 2 in units of 2^-112, rounded.\n");
  std::printf("inline constexpr int64_t kLn2Fixed112Hi = %" PRId64 ";\n", hi);
  std::printf("inline constexpr uint64_t kLn2Fixed112Lo = 0x%016" PRIx64 "u;\n\n", lo);

  std::printf(
      "// The first 1024 bits of ln 2 after the binary point, most significant word first\n"
      "// (truncated).\n");
  std::printf("inline constexpr uint64_t kLn2Fraction[16] = {\n");
  mpz_t z, word;
  mpz_inits(z, word, nullptr);
  mpfr_t wide;  // 1024 bits and more than enough guard bits
  mpfr_init2(wide, 1200);
  mpfr_const_log2(wide, MPFR_RNDN);
  mpfr_mul_2si(wide, wide, 1024, MPFR_RNDN);
  mpfr_get_z(z, wide, MPFR_RNDZ);
  mpfr_clear(wide);
  for (int i = 15; i >= 0; --i) {
    mpz_tdiv_q_2exp(word, z, 64 * i);
    mpz_tdiv_r_2exp(word, word, 64);
    std::printf("%s0x%016" PRIx64 "u,%s", i % 4 == 3 ? "    " : " ",
                static_cast<uint64_t>(mpz_get_ui(word)), i % 4 == 0 ? "\n" : "");
  }
  mpz_clears(z, word, nullptr);
  std::printf("};\n\n");
}

}  // namespace

int main() {
  std::printf(
      "#pragma once\n\n"
      "// Constants of the extended-precision ln and exp (extended_math.cpp), written by\n"
      "// tools/extended_math_tables.cpp from GNU MPFR; do not edit by hand.\n\n"
      "#include <cstdint>\n\n"
      "namespace vellmor::extended_math {\n\n"
      "struct DoubleDouble {\n"
      "  double hi;\n"
      "  double lo;\n"
      "};\n\n");
  PrintExpConstants();

  std::printf(
      "// One step of the logarithm's argument reduction: the reciprocal r = reciprocal · 2^-s\n"
      "// of the bin's centre and -ln r in units of 2^-112, as the two words of a 128-bit\n"
      "// integer.\n"
      "struct LnReductionStep {\n"
      "  uint32_t reciprocal;\n"
      "  int64_t minus_log_hi;\n"
      "  uint64_t minus_log_lo;\n"
      "};\n\n");
  CheckReduction();

  // Step 1: the mantissa m = M · 2^-63, bins of 1/128, r = R · 2^-11; from bin 53 on
  // (m >= 1.4140625) the mantissa counts as m/2 and the exponent one more, so -ln r there is
  // -ln(R · 2^-10).
  std::printf(
      "// Step 1, by the 7 bits after the leading one of the mantissa; r = R · 2^-11, and\n"
      "// from index 53 on, where the mantissa counts as m/2, r = R · 2^-10.\n");
  std::printf("inline constexpr LnReductionStep kLnStep1[128] = {\n");
  Big t;
  for (int i = 0; i < 128; ++i) {
    const uint32_t reciprocal = FirstStepReciprocal(i);
    mpfr_set_ui(t.get(), reciprocal, MPFR_RNDN);
    mpfr_mul_2si(t.get(), t.get(), i >= 53 ? -10 : -11, MPFR_RNDN);
    PrintReductionEntry(reciprocal, t.get());
  }
  std::printf("};\n\n");
  std::printf("// Step 2, index round(z1 · 2^13) + 64; r = R · 2^-20.\n");
  PrintLnStep("kLnStep2", -64, 64, 13, 20);
  PrintLn2();
  std::printf("}  // namespace vellmor::extended_math\n");
  return 0;
}
