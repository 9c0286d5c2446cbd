// Correctly rounded e^x and ln x in x87 extended precision, fast path. Both work in
// double-double arithmetic (Dekker's error-free sums and products) to about 2^-87, and round
// to the long double only when the approximation's error interval holds no midpoint between
// two long doubles; otherwise, about one call in 2^20, the exact path decides (Ziv's strategy).
//
//   e^x: k = round(x · 4096/ln2), r = x - k ln2/4096 (|r| <= 2^-13.5),
//        e^x = 2^(k div 4096) · 2^(i/64) · 2^(j/4096) · e^r,  k mod 4096 = 64 i + j,
//        e^r - 1 = r + r²/2 + r³/6 + r⁴/24 + r⁵/120  (truncation below 2^-90.7).
//   ln x: x = 2^e m; three reciprocals r1, r2, r3 of bin centres make 1 + z = m r1 r2 r3 in
//        exact integer arithmetic, |z| < 2^-20.98;
//        ln x = e ln2 - ln r1 - ln r2 - ln r3 + ln(1 + z), the logarithms of the tables and
//        e ln2 summed exactly in units of 2^-112, ln(1 + z) = z - z²/2 + z³/3 - z⁴/4 + z⁵/5
//        (truncation below 2^-104 |z|).

#include "core/physics/extended_math.h"

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/physics/extended_math_internal.h"

namespace vellmor {
namespace extended_math {
namespace {

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

// The two fields of an x87 extended-precision number: the 64-bit significand with its explicit
// leading bit, and sign and biased exponent (bias 16383).
struct X87Fields {
  uint64_t significand;
  uint16_t sign_exponent;
};

X87Fields FieldsOf(long double x) {
  X87Fields f;
  std::memcpy(&f.significand, &x, sizeof f.significand);
  std::memcpy(&f.sign_exponent, reinterpret_cast<const char*>(&x) + 8, sizeof f.sign_exponent);
  return f;
}

// 2^n for n within the normal range of long double.
long double ExtendedPowerOfTwo(int n) {
  const X87Fields f{uint64_t{1} << 63, static_cast<uint16_t>(n + 16383)};
  long double x = 0.0L;
  std::memcpy(&x, &f.significand, sizeof f.significand);
  std::memcpy(reinterpret_cast<char*>(&x) + 8, &f.sign_exponent, sizeof f.sign_exponent);
  return x;
}

// 2^n for n within the normal range of double.
double PowerOfTwo(int n) { return std::bit_cast<double>(static_cast<uint64_t>(n + 1023) << 52); }

// a + b = s.hi + s.lo exactly, for |a| >= |b| or a = 0.
DoubleDouble FastTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// a + b = s.hi + s.lo exactly (Knuth).
DoubleDouble TwoSum(double a, double b) {
  const double s = a + b;
  const double b_part = s - a;
  return {s, (a - (s - b_part)) + (b - b_part)};
}

// a = hi + lo with hi of 26 significant bits (Veltkamp); no overflow for |a| < 2^995.
DoubleDouble Split(double a) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double hi = c - (c - a);
  return {hi, a - hi};
}

// a · b = p.hi + p.lo exactly (Dekker).
DoubleDouble TwoProduct(double a, double b) {
  const double p = a * b;
  const DoubleDouble as = Split(a);
  const DoubleDouble bs = Split(b);
  return {p, ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo};
}

// The long double nearest to hi + lo, if every value within eps of hi + lo rounds to it too.
// The x87 sum of two doubles is their exact sum rounded once; rounding is monotonic, so the
// two ends of the interval decide for all of it. lo ± eps is rounded to double, which moves
// it by at most 2^-53 |lo|: the callers' eps carry that in their margin.
bool RoundToExtended(double hi, double lo, double eps, long double& result) {
  const long double below = static_cast<long double>(hi) + static_cast<long double>(lo - eps);
  const long double above = static_cast<long double>(hi) + static_cast<long double>(lo + eps);
  result = below;
  return below == above;
}

// x = ±(xh + xl) exactly, xh the significand's top 53 bits, for exponents in [-70, 13].
DoubleDouble SplitArgument(const X87Fields& f, int exponent) {
  double hi =
      static_cast<double>(static_cast<int64_t>(f.significand >> 11)) * PowerOfTwo(exponent - 52);
  double lo =
      static_cast<double>(static_cast<int64_t>(f.significand & 0x7ff)) * PowerOfTwo(exponent - 63);
  if (f.sign_exponent & 0x8000) hi = -hi, lo = -lo;
  return {hi, lo};
}

// e^x = (y.hi + y.lo) · 2^scale for x = xh + xl, -11354 <= x < 11356; returns the scale.
// Absolute error on y below 2^-87 (y in [0.9999, 2)):
//   r = a + rl: a exact; rl = xl - k C2, rounding below 2^-92, neglected k C3 below 2^-93;
//   e^r = 1 + q.hi + small: truncation 2^-90.7, cubic part 2^-94, roundings in small
//     (|small| < 2^-38.3) 2^-90.2, neglected a rl²/2 2^-91.8;
//   y = T e^r: T to 2^-104, roundings of the low part (|.| < 2^-37) 2^-88.2.
// Together below 2^-87; kExpErrorBound = 2^-86 leaves a factor of 2.
int ExpKernel(DoubleDouble x, DoubleDouble& y) {
  // k = round(x · 4096/ln2) by the 1.5 · 2^52 shift; |k| < 2^27.
  const double shifted = x.hi * k4096ByLn2 + 0x1.8p52;
  const int64_t k = std::bit_cast<int64_t>(shifted) - std::bit_cast<int64_t>(0x1.8p52);
  const double kd = shifted - 0x1.8p52;
  // a = xh - k (C1a + C1b) is exact: k times each 26-bit part is, the first difference by
  // Sterbenz's lemma, and the result is a multiple of 2^-66 below 2^-13.5.
  const double a = (x.hi - kd * kLn2By4096Hi) - kd * kLn2By4096Mid;
  const double rl = x.lo - kd * kLn2By4096Lo;  // |rl| < 2^-38.4

  // e^a - 1 = q.hi + q.lo + a³/6 + a⁴/24 + a⁵/120, a² = sq.hi + sq.lo exactly.
  const DoubleDouble sq = TwoProduct(a, a);
  const DoubleDouble q = FastTwoSum(a, 0.5 * sq.hi);
  const double cubic = a * sq.hi * (1.0 / 6.0 + a * (1.0 / 24.0 + a * (1.0 / 120.0)));
  // e^(a + rl) - 1 = e^a - 1 + rl e^a + rl²/2 + ... = q.hi + small.
  const double rl_factor = 1.0 + (q.hi + (cubic + 0.5 * rl));
  const double small = rl * rl_factor + (cubic + (0.5 * sq.lo + q.lo));

  // T = 2^(i/64) · 2^(j/4096) = t.hi + t_lo to 2^-104.
  const int j = static_cast<int>(k & 4095);
  const DoubleDouble& coarse = kExp2Coarse[j >> 6];
  const DoubleDouble& fine = kExp2Fine[j & 63];
  const DoubleDouble t = TwoProduct(coarse.hi, fine.hi);
  const double t_lo = t.lo + (coarse.hi * fine.lo + coarse.lo * fine.hi);

  // y = T (1 + q.hi + small), the products with t.hi exact where they count.
  const DoubleDouble m = TwoProduct(t.hi, q.hi);
  y = FastTwoSum(t.hi, m.hi);
  y.lo = y.lo + (m.lo + (t_lo + (t.hi * small + t_lo * q.hi)));
  return static_cast<int>(k >> 12);
}

// (-1)^neg x · 2^-112 as a double-double, to 2^-105 |x|.
DoubleDouble FixedToDoubleDouble(Int128 x) {
  if (x == 0) return {0.0, 0.0};
  const bool negative = x < 0;
  UInt128 u = negative ? -static_cast<UInt128>(x) : static_cast<UInt128>(x);
  const uint64_t top_word = static_cast<uint64_t>(u >> 64);
  const int lz =
      top_word != 0 ? std::countl_zero(top_word) : 64 + std::countl_zero(static_cast<uint64_t>(u));
  u <<= lz;
  const uint64_t top = static_cast<uint64_t>(u >> 64);
  const uint64_t next = static_cast<uint64_t>(u);
  // Bits 127 ... 75 of u carry 2^(75 - 112 - lz), the next 63 bits 2^(12 - 112 - lz).
  double hi = static_cast<double>(static_cast<int64_t>(top >> 11)) * PowerOfTwo(-37 - lz);
  double lo = static_cast<double>(static_cast<int64_t>(((top & 0x7ff) << 52) | (next >> 12))) *
              PowerOfTwo(-100 - lz);
  if (negative) hi = -hi, lo = -lo;
  return {hi, lo};
}

Int128 FixedLog(const LnReductionStep& step) {
  return static_cast<Int128>((static_cast<UInt128>(step.minus_log_hi) << 64) | step.minus_log_lo);
}

// ln x = y.hi + y.lo for x = significand · 2^(exponent - 63), significand >= 2^63. Relative
// error below 2^-91.6:
//   F = e ln2 - ln r1 - ln r2 - ln r3 with ln 2 and each table value rounded to 2^-113, as a
//   double-double to 2^-104 |F|; ln(1 + z) to 2^-94 |z| (truncation 2^-104, cubic part
//   2^-94.9, the rest 2^-96). Where F != 0, x lies outside the bins whose reciprocals are all
//   1, so |ln x| > 2^-21.01 (2^-14.01 if step 2's table counts, 2^-8 if step 1's or e does);
//   the roundings of F thus stay below 2^-92 |ln x|, |ln(1 + z)| < 1.1 |ln x| and
//   |F| < 2.1 |ln x|. Where F = 0, ln x = ln(1 + z).
// kLnErrorBound = 2^-90 leaves a factor of 3.
DoubleDouble LnKernel(uint64_t significand, int exponent) {
  // Step 1: m in [1, 2) in bins of 1/128; from m >= 1.4140625 on, m/2 and e + 1.
  const unsigned i1 = static_cast<unsigned>(significand >> 56) & 127;
  const LnReductionStep& s1 = kLnStep1[i1];
  const int e = exponent + (i1 >= 53 ? 1 : 0);
  const UInt128 p1 = static_cast<UInt128>(significand) * s1.reciprocal;  // (1 + z1) 2^74
  // Step 2: index round(z1 · 2^13), reciprocal R2 · 2^-20.
  const UInt128 half = 1;
  const unsigned i2 = static_cast<unsigned>((p1 + (half << 60)) >> 61) - 8192 + 64;
  const LnReductionStep& s2 = kLnStep2[i2];
  const UInt128 p2 = p1 * s2.reciprocal;  // (1 + z2) 2^94
  // Step 3: index round(z2 · 2^20), reciprocal R3 · 2^-27.
  const unsigned i3 = static_cast<unsigned>((p2 + (half << 73)) >> 74) - (1u << 20) + 65;
  const LnReductionStep& s3 = kLnStep3[i3];
  const Int128 z_fixed = static_cast<Int128>(p2 * s3.reciprocal - (half << 121));  // z · 2^121

  const Int128 ln2 =
      static_cast<Int128>((static_cast<UInt128>(kLn2Fixed112Hi) << 64) | kLn2Fixed112Lo);
  const DoubleDouble f = FixedToDoubleDouble(e * ln2 + FixedLog(s1) + FixedLog(s2) + FixedLog(s3));

  // z exactly: |z_fixed| < 2^100.03, its top bits convert exactly, the low 48 too.
  const double z_top = static_cast<double>(static_cast<int64_t>(z_fixed >> 48)) * 0x1p-73;
  const double z_bottom =
      static_cast<double>(static_cast<int64_t>(static_cast<uint64_t>(z_fixed) & 0xffffffffffff)) *
      0x1p-121;
  const DoubleDouble z = FastTwoSum(z_top, z_bottom);

  // ln(1 + z) = p.hi + p_lo; z² = sq.hi + sq.lo + 2 z.hi z.lo to 2^-106 z².
  const DoubleDouble sq = TwoProduct(z.hi, z.hi);
  const DoubleDouble p = FastTwoSum(z.hi, -0.5 * sq.hi);
  const double cubic = z.hi * sq.hi * (1.0 / 3.0 - z.hi * (0.25 - z.hi * 0.2));
  const double p_lo = p.lo + ((z.lo - (0.5 * sq.lo + z.hi * z.lo)) + cubic);

  DoubleDouble y = TwoSum(f.hi, p.hi);
  y.lo = y.lo + (f.lo + p_lo);
  return y;
}

long double Overflow() {
  std::feraiseexcept(FE_OVERFLOW);
  return std::numeric_limits<long double>::infinity();
}

long double InvalidOperation() {
  std::feraiseexcept(FE_INVALID);
  return std::numeric_limits<long double>::quiet_NaN();
}

// e^x where the fast path does not apply by the exponent alone.
long double ExpOfSpecial(long double x, const X87Fields& f) {
  const int biased = f.sign_exponent & 0x7fff;
  const bool negative = (f.sign_exponent & 0x8000) != 0;
  if (biased == 0x7fff) {
    if ((f.significand << 1) != 0) return x + x;  // NaN
    return negative ? 0.0L : x;                   // e^-inf = 0, e^+inf = +inf
  }
  if (biased != 0 && (f.significand >> 63) == 0) return x + x;  // unnormal: invalid
  if (biased < 16383 - 70) return 1.0L;  // |x| < 2^-70: e^x within 2^-69 of 1
  return negative ? 0.0L : Overflow();   // |x| >= 2^14
}

// ln x for zero, subnormal, negative, infinite or NaN x, and unnormal encodings.
long double LnOfSpecial(long double x, const X87Fields& f) {
  const int biased = f.sign_exponent & 0x7fff;
  const bool negative = (f.sign_exponent & 0x8000) != 0;
  if (biased == 0x7fff && (f.significand << 1) != 0) {  // NaN: quiet, with its payload
    std::feraiseexcept(FE_INVALID);
    return x + x;
  }
  if (f.significand == 0 && biased == 0) {
    std::feraiseexcept(FE_DIVBYZERO);
    return -std::numeric_limits<long double>::infinity();
  }
  if (negative || (biased != 0 && (f.significand >> 63) == 0)) return InvalidOperation();
  if (biased == 0x7fff) return x;  // ln +inf = +inf
  return LnExact(x);               // subnormal: rare enough for the exact path
}

}  // namespace

bool ExpApproximation(long double x, DoubleDouble& y, int& scale) {
  const X87Fields f = FieldsOf(x);
  const int exponent = (f.sign_exponent & 0x7fff) - 16383;
  if (exponent < -70 || exponent > 13 || (f.significand >> 63) == 0) return false;
  const DoubleDouble split = SplitArgument(f, exponent);
  if (split.hi >= 11356.0 || split.hi < -11354.0) return false;
  scale = ExpKernel(split, y);
  return true;
}

bool LnApproximation(long double x, DoubleDouble& y) {
  const X87Fields f = FieldsOf(x);
  if (f.sign_exponent - 1u >= 0x7ffeu || (f.significand >> 63) == 0) return false;
  y = LnKernel(f.significand, f.sign_exponent - 16383);
  return true;
}

}  // namespace extended_math

long double ExpExtended(long double x) {
  using namespace extended_math;
  const X87Fields f = FieldsOf(x);
  const int exponent = (f.sign_exponent & 0x7fff) - 16383;
  if (exponent < -70 || exponent > 13 || (f.significand >> 63) == 0) return ExpOfSpecial(x, f);
  const DoubleDouble split = SplitArgument(f, exponent);
  // Outside, the result may overflow or be subnormal: the exact path rounds those.
  if (split.hi >= 11356.0) return split.hi > 11357.0 ? Overflow() : ExpExact(x);
  if (split.hi < -11354.0) return split.hi < -11400.0 ? 0.0L : ExpExact(x);
  DoubleDouble y;
  const int scale = ExpKernel(split, y);
  long double mantissa;
  if (!RoundToExtended(y.hi, y.lo, kExpErrorBound, mantissa)) return ExpExact(x);
  return mantissa * ExtendedPowerOfTwo(scale);  // exact: the result is normal
}

long double LnExtended(long double x) {
  using namespace extended_math;
  const X87Fields f = FieldsOf(x);
  // Positive normal numbers have a biased exponent from 1 to 0x7ffe and the leading bit set.
  if (f.sign_exponent - 1u >= 0x7ffeu || (f.significand >> 63) == 0) return LnOfSpecial(x, f);
  const DoubleDouble y = LnKernel(f.significand, f.sign_exponent - 16383);
  long double result;
  if (!RoundToExtended(y.hi, y.lo, std::fabs(y.hi) * kLnErrorBound, result)) return LnExact(x);
  return result;
}

}  // namespace vellmor
