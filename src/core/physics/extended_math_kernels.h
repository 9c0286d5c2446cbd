#pragma once

// The kernels of the correctly rounded ln, exp and power (extended_math.cpp), for the code that
// runs them inline with work of its own: the spinline step, and the tests that look into
// them. Everything here is inline; the rare ways out of the fast paths are in the .cpp.

#include <array>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "vellmor/physics/extended_math_internal.h"

namespace vellmor::extended_math {

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

// The two fields of an x87 extended-precision number: the 64-bit significand with its explicit
// leading bit, and sign and biased exponent (bias 16383).
struct X87Fields {
  uint64_t significand;
  uint16_t sign_exponent;
};

inline X87Fields FieldsOf(long double x) {
  X87Fields f;
  std::memcpy(&f.significand, &x, sizeof f.significand);
  std::memcpy(&f.sign_exponent, reinterpret_cast<const char*>(&x) + 8, sizeof f.sign_exponent);
  return f;
}

inline long double LongDoubleOf(const X87Fields& f) {
  long double x = 0.0L;
  std::memcpy(&x, &f.significand, sizeof f.significand);
  std::memcpy(reinterpret_cast<char*>(&x) + 8, &f.sign_exponent, sizeof f.sign_exponent);
  return x;
}

// 2^n for n within the normal range of long double.
inline long double ExtendedPowerOfTwo(int n) {
  return LongDoubleOf({uint64_t{1} << 63, static_cast<uint16_t>(n + 16383)});
}

// 2^n for n within the normal range of double.
constexpr double PowerOfTwo(int n) {
  return std::bit_cast<double>(static_cast<uint64_t>(n + 1023) << 52);
}

// a + b = s.hi + s.lo exactly, for |a| >= |b| or a = 0.
[[gnu::always_inline]] inline DoubleDouble FastTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// a + b = s.hi + s.lo exactly (Knuth).
[[gnu::always_inline]] inline DoubleDouble TwoSum(double a, double b) {
  const double s = a + b;
  const double b_part = s - a;
  return {s, (a - (s - b_part)) + (b - b_part)};
}

// a = hi + lo with hi of 26 significant bits (Veltkamp); no overflow for |a| < 2^995.
[[gnu::always_inline]] inline DoubleDouble Split(double a) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  const double hi = c - (c - a);
  return {hi, a - hi};
}

// a · b = p.hi + p.lo exactly: with the processor's fused multiply-add (kWithFma, in code
// compiled for it) in two operations, else by Dekker's splitting in seventeen. Both give the
// exact error of the product, so the same two doubles.
template <bool kWithFma>
[[gnu::always_inline]] inline DoubleDouble TwoProduct(double a, double b) {
  const double p = a * b;
  if constexpr (kWithFma) {
    return {p, __builtin_fma(a, b, -p)};
  } else {
    const DoubleDouble as = Split(a);
    const DoubleDouble bs = Split(b);
    return {p, ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo};
  }
}

// The long double nearest to hi + lo, if every value within eps of hi + lo rounds to it too.
// The x87 sum of two doubles is their exact sum rounded once; rounding is monotonic, so the
// two ends of the interval decide for all of it. lo ± eps is rounded to double, which moves
// it by at most 2^-53 |lo|: the callers' eps carry that in their margin.
[[gnu::always_inline]] inline bool RoundToExtended(double hi, double lo, double eps,
                                                   long double& result) {
  const long double below = static_cast<long double>(hi) + static_cast<long double>(lo - eps);
  const long double above = static_cast<long double>(hi) + static_cast<long double>(lo + eps);
  result = below;
  return below == above;
}

// x = xh + xl exactly, xh the significand's top 53 bits, for exponents in [-70, 13].
[[gnu::always_inline]] inline DoubleDouble SplitArgument(const X87Fields& f, int exponent) {
  const int64_t negative = -static_cast<int64_t>(f.sign_exponent >> 15);  // 0 or -1
  const int64_t top = (static_cast<int64_t>(f.significand >> 11) ^ negative) - negative;
  const int64_t bottom = (static_cast<int64_t>(f.significand & 0x7ff) ^ negative) - negative;
  return {static_cast<double>(top) * PowerOfTwo(exponent - 52),
          static_cast<double>(bottom) * PowerOfTwo(exponent - 63)};
}

// e^x = (y.hi + y.lo) · 2^scale for x = xh + xl, -11354 <= x < 11356; returns the scale.
// Absolute error on y below 2^-87.5 (y in [0.9999, 2)):
//   r = a + rl: a exact; rl = xl - k C2, rounding below 2^-92, neglected k C3 below 2^-93;
//   e^r = 1 + a + a²/2 + cubic + rl w with w = e^a + rl/2 to 2^-53: truncation 2^-90.7,
//     cubic 2^-94, neglected a rl²/2 2^-91.8;
//   T e^r with T = t.hi + t_lo to 2^-104: the products of t.hi by a and a²/2 exact, the
//     roundings of the low part (|.| < 2^-37.2) 2^-88.8.
// kExpErrorBound = 2^-86 leaves a factor of 2.8.
// The first half of ExpKernel: the reduced argument r = a + rl and the table value
// T = 2^(i/64) · 2^(j/4096) = t_hi + t_lo of k = 64 i + j, and the scale k div 4096.
struct ExpReduction {
  double a;
  double rl;
  double t_hi;
  double t_lo;
  int scale;
};

template <bool kWithFma>
[[gnu::always_inline]] inline ExpReduction ExpReduce(DoubleDouble x) {
  // k = round(x · 4096/ln2) by the 1.5 · 2^52 shift; |k| < 2^27.
  const double shifted = x.hi * k4096ByLn2 + 0x1.8p52;
  const int64_t k = std::bit_cast<int64_t>(shifted) - std::bit_cast<int64_t>(0x1.8p52);
  const double kd = shifted - 0x1.8p52;
  ExpReduction r;
  // a = xh - k (C1a + C1b) is exact: k times each 26-bit part is, the first difference by
  // Sterbenz's lemma, and the result is a multiple of 2^-66 below 2^-13.5.
  r.a = (x.hi - kd * kLn2By4096Hi) - kd * kLn2By4096Mid;
  r.rl = x.lo - kd * kLn2By4096Lo;  // |rl| < 2^-38.4

  // T = 2^(i/64) · 2^(j/4096) = t.hi + t_lo.
  const int j = static_cast<int>(k & 4095);
  const DoubleDouble& coarse = kExp2Coarse[j >> 6];
  const DoubleDouble& fine = kExp2Fine[j & 63];
  const DoubleDouble t = TwoProduct<kWithFma>(coarse.hi, fine.hi);
  r.t_hi = t.hi;
  r.t_lo = t.lo + (coarse.hi * fine.lo + coarse.lo * fine.hi);
  r.scale = static_cast<int>(k >> 12);
  return r;
}

// The second half: y = T e^r.
template <bool kWithFma>
[[gnu::always_inline]] inline DoubleDouble ExpSum(const ExpReduction& r) {
  const double a = r.a;
  // a²/2 = half_square.hi + half_square.lo; cubic = a³/6 + a⁴/24 + a⁵/120.
  const DoubleDouble half_square = TwoProduct<kWithFma>(0.5 * a, a);
  const double cubic = (a * half_square.hi) * (1.0 / 3.0 + a * (1.0 / 12.0 + a * (1.0 / 60.0)));
  const double w = (1.0 + a) + (half_square.hi + (cubic + 0.5 * r.rl));

  // y = T e^r: t.hi + t.hi a + t.hi a²/2 summed exactly, the rest as a correction.
  const DoubleDouble linear = TwoProduct<kWithFma>(r.t_hi, a);
  const DoubleDouble quadratic = TwoProduct<kWithFma>(r.t_hi, half_square.hi);
  const DoubleDouble u = FastTwoSum(linear.hi, quadratic.hi);
  const double low =
      (linear.lo + quadratic.lo) + (r.t_hi * ((half_square.lo + cubic) + r.rl * w) + r.t_lo * w);
  DoubleDouble y = FastTwoSum(r.t_hi, u.hi);
  y.lo = y.lo + (u.lo + low);
  return y;
}

// e^x = (y.hi + y.lo) · 2^scale for x = xh + xl, -11354 <= x < 11356; returns the scale.
// Absolute error on y below 2^-87.5 (y in [0.9999, 2)):
//   r = a + rl: a exact; rl = xl - k C2, rounding below 2^-92, neglected k C3 below 2^-93;
//   e^r = 1 + a + a²/2 + cubic + rl w with w = e^a + rl/2 to 2^-53: truncation 2^-90.7,
//     cubic 2^-94, neglected a rl²/2 2^-91.8;
//   T e^r with T = t.hi + t_lo to 2^-104: the products of t.hi by a and a²/2 exact, the
//     roundings of the low part (|.| < 2^-37.2) 2^-88.8.
// kExpErrorBound = 2^-86 leaves a factor of 2.8.
template <bool kWithFma>
[[gnu::always_inline]] inline int ExpKernel(DoubleDouble x, DoubleDouble& y) {
  const ExpReduction r = ExpReduce<kWithFma>(x);
  y = ExpSum<kWithFma>(r);
  return r.scale;
}

// |x| · 2^-112 as a double-double to 2^-105 |x|, with x's sign, for 2^91 <= |x| < 2^126.
constexpr DoubleDouble FixedToDoubleDouble(Int128 x) {
  const UInt128 sign = static_cast<UInt128>(x >> 127);  // all ones if negative
  UInt128 u = (static_cast<UInt128>(x) ^ sign) - sign;
  const int lz = std::countl_zero(static_cast<uint64_t>(u >> 64));
  u <<= lz;
  const uint64_t top = static_cast<uint64_t>(u >> 64);
  const uint64_t next = static_cast<uint64_t>(u);
  // Bits 127 ... 75 of u carry 2^(75 - 112 - lz), the next 63 bits 2^(12 - 112 - lz).
  const double hi = static_cast<double>(static_cast<int64_t>(top >> 11)) * PowerOfTwo(-37 - lz);
  const double lo =
      static_cast<double>(static_cast<int64_t>(((top & 0x7ff) << 52) | (next >> 12))) *
      PowerOfTwo(-100 - lz);
  const uint64_t sign_bit = static_cast<uint64_t>(sign) & (uint64_t{1} << 63);
  return {std::bit_cast<double>(std::bit_cast<uint64_t>(hi) | sign_bit),
          std::bit_cast<double>(std::bit_cast<uint64_t>(lo) | sign_bit)};
}

constexpr Int128 FixedLog(const LnReductionStep& step) {
  return static_cast<Int128>((static_cast<UInt128>(step.minus_log_hi) << 64) | step.minus_log_lo);
}

// -ln r of each bin of the two reduction steps as a double-double, to 2^-105 of itself.
template <std::size_t N>
constexpr std::array<DoubleDouble, N> MinusLogs(const LnReductionStep (&steps)[N]) {
  std::array<DoubleDouble, N> logs{};
  for (std::size_t i = 0; i < N; ++i) {
    const Int128 fixed = FixedLog(steps[i]);
    logs[i] = fixed == 0 ? DoubleDouble{0.0, 0.0} : FixedToDoubleDouble(fixed);
  }
  return logs;
}
inline constexpr std::array<DoubleDouble, 128> kMinusLog1 = MinusLogs(kLnStep1);
inline constexpr std::array<DoubleDouble, 129> kMinusLog2 = MinusLogs(kLnStep2);

// ln 2 = kLn2Hi + kLn2Mid + kLn2Lo to 2^-113, in parts of 38, 38 and 36 bits: e times each is
// exact for |e| <= 2^14.
inline constexpr UInt128 kLn2Fixed112 =
    (static_cast<UInt128>(kLn2Fixed112Hi) << 64) | kLn2Fixed112Lo;  // < 2^112
inline constexpr double kLn2Hi =
    static_cast<double>(static_cast<uint64_t>(kLn2Fixed112 >> 74)) * 0x1p-38;
inline constexpr double kLn2Mid =
    static_cast<double>(static_cast<uint64_t>(kLn2Fixed112 >> 36) & ((uint64_t{1} << 38) - 1)) *
    0x1p-76;
inline constexpr double kLn2Lo =
    static_cast<double>(static_cast<uint64_t>(kLn2Fixed112) & ((uint64_t{1} << 36) - 1)) * 0x1p-112;

// The integer half of LnKernel: x = 2^e r1^-1 r2^-1 (1 + z) with z · 2^94 exact.
struct LnReduction {
  int e;
  unsigned i1;  // the bins of the two steps
  unsigned i2;
  Int128 z_fixed;  // z · 2^94, |z| < 2^-13.97
};

[[gnu::always_inline]] inline LnReduction LnReduce(uint64_t significand, int exponent) {
  // Step 1: m in [1, 2) in bins of 1/128; from m >= 1.4140625 on, m/2 and e + 1.
  const unsigned i1 = static_cast<unsigned>(significand >> 56) & 127;
  const UInt128 p1 = static_cast<UInt128>(significand) * kLnStep1[i1].reciprocal;  // (1 + z1) 2^74
  // Step 2: index round(z1 · 2^13), reciprocal R2 · 2^-20.
  const UInt128 half = 1;
  const unsigned i2 = static_cast<unsigned>((p1 + (half << 60)) >> 61) - 8192 + 64;
  const UInt128 p2 = p1 * kLnStep2[i2].reciprocal;  // (1 + z) 2^94
  return {exponent + (i1 >= 53 ? 1 : 0), i1, i2, static_cast<Int128>(p2 - (half << 94))};
}

// ln x = y.hi + y.lo with |y - ln x| <= bound.
struct LnEstimate {
  DoubleDouble y;
  double bound;
};

// The floating-point half: F + ln(1 + z), F = e ln 2 - ln r1 - ln r2. Error:
//   ln(1 + z) to z⁵/5: truncation |z|⁶/6 < 2^-86.4; the cubic part (|.| < 2^-43.5) to
//   2^-94, and zh² zl neglected, below 2^-94 (zh carries the bits of z above 2^-66, zl the
//   rest); F exact in its parts but for the tables' 2^-105 relative (2^-106 absolute) and
//   ln 2 to |e| 2^-113 against |ln x| > 0.34 |e|; the sums in the low part below
//   2^-93 + 2^-100 |F|.
//   Where F != 0, |ln x| > 2^-14.01, and the bound is 2^-85 + 2^-96 |ln x|.
//   Where F = 0, z = x - 1 exactly and every error term is relative: |z|⁵/6 of the
//   truncation, 2^-66 |z| of zl and 2^-96 of the rest; the bound is their sum, with |zh|⁵
//   counted twice over for |z|⁵/6.
template <bool kWithFma>
[[gnu::always_inline]] inline LnEstimate LnSum(const LnReduction& r) {
  // z = zh + zl exactly: |z_fixed| < 2^80.03, so its bits above 2^28 convert exactly, and so
  // do the 28 below.
  const double zh = static_cast<double>(static_cast<int64_t>(r.z_fixed >> 28)) * 0x1p-66;
  const double zl =
      static_cast<double>(static_cast<int64_t>(static_cast<uint64_t>(r.z_fixed) & 0xfffffff)) *
      0x1p-94;
  const DoubleDouble& t1 = kMinusLog1[r.i1];
  const DoubleDouble& t2 = kMinusLog2[r.i2];
  const double e = r.e;

  // ln x = e ln2 + t1 + t2 + zh - zh²/2 + (zl - zh zl + z³/3 - z⁴/4 + z⁵/5),
  // -zh²/2 = m.hi + m.lo exactly; the large parts summed exactly, their errors kept.
  const DoubleDouble m = TwoProduct<kWithFma>(-0.5 * zh, zh);
  const double cubic = zh * (zh * zh) * (1.0 / 3.0 - zh * (0.25 - zh * 0.2));
  DoubleDouble s = TwoSum(e * kLn2Hi, t1.hi);
  double errors = s.lo;
  s = TwoSum(s.hi, e * kLn2Mid);
  errors += s.lo;
  s = TwoSum(s.hi, t2.hi);
  errors += s.lo;
  s = TwoSum(s.hi, zh);
  errors += s.lo;
  // |s.hi| >= |m.hi|: s.hi is zh where F = 0, and larger than 2^-14.1 elsewhere.
  LnEstimate ln;
  ln.y = FastTwoSum(s.hi, m.hi);
  ln.y.lo =
      ln.y.lo + ((errors + ((e * kLn2Lo + t1.lo) + t2.lo)) + (m.lo + ((zl - zh * zl) + cubic)));
  const bool f_is_zero = r.e == 0 && t1.hi == 0.0 && t2.hi == 0.0;
  const double relative =
      f_is_zero ? 0x1p-96 + std::fabs(zh) * (0x1p-66 + (zh * zh) * (zh * zh)) : 0x1p-96;
  ln.bound = (f_is_zero ? 0.0 : 0x1p-85) + std::fabs(ln.y.hi) * relative;
  return ln;
}

// ln x, its approximation and bound, for x = significand · 2^(exponent - 63),
// significand >= 2^63.
template <bool kWithFma>
[[gnu::always_inline]] inline LnEstimate LnKernel(uint64_t significand, int exponent) {
  return LnSum<kWithFma>(LnReduce(significand, exponent));
}

// The rare ways out of the fast paths, out of line.
long double Overflow();

long double InvalidOperation();

// e^x where the fast path does not apply by the exponent alone.
long double ExpOfSpecial(long double x, const X87Fields& f);

// ln x for zero, subnormal, negative, infinite or NaN x, and unnormal encodings.
long double LnOfSpecial(long double x, const X87Fields& f);

// e^x where the fast path does not take x.
long double ExpOutsideFastRange(const X87Fields& f);

// The fast path applies to 2^-70 <= |x| with -11354 <= x < 11356, where e^x is normal.
inline bool InExpFastRange(const X87Fields& f, int exponent) {
  return exponent >= -70 && exponent <= 13 && (f.significand >> 63) != 0;
}

// The reduction of e^x where the fast path takes x: 2^-70 <= |x|, -11354 <= x < 11356;
// false elsewhere, where the result may also overflow or be subnormal.
template <bool kWithFma>
[[gnu::always_inline]] inline bool ExpStart(const X87Fields& f, ExpReduction& r) {
  const int exponent = (f.sign_exponent & 0x7fff) - 16383;
  if (!InExpFastRange(f, exponent)) return false;
  const DoubleDouble split = SplitArgument(f, exponent);
  if (split.hi >= 11356.0 || split.hi < -11354.0) return false;
  r = ExpReduce<kWithFma>(split);
  return true;
}

// e^x from its reduction, if the approximation decides the rounding.
template <bool kWithFma>
[[gnu::always_inline]] inline bool ExpFinish(const ExpReduction& r, long double& result) {
  const DoubleDouble y = ExpSum<kWithFma>(r);
  if (r.scale >= -960 && r.scale <= 960) {
    // Scaled in double arithmetic, exactly but for a subnormal y.lo 2^scale (below 2^-1074,
    // far inside the margin); the x87 sum then yields the result itself.
    const double factor = PowerOfTwo(r.scale);
    return RoundToExtended(y.hi * factor, y.lo * factor, kExpErrorBound * factor, result);
  }
  if (!RoundToExtended(y.hi, y.lo, kExpErrorBound, result)) return false;
  result *= ExtendedPowerOfTwo(r.scale);  // exact: the result is normal
  return true;
}

template <bool kWithFma>
[[gnu::always_inline]] inline long double ExpOf(const X87Fields& f) {
  ExpReduction r;
  if (!ExpStart<kWithFma>(f, r)) return ExpOutsideFastRange(f);
  long double result;
  if (ExpFinish<kWithFma>(r, result)) return result;
  return ExpExact(LongDoubleOf(f));
}

// Positive normal numbers have a biased exponent from 1 to 0x7ffe and the leading bit set.
inline bool PositiveNormal(const X87Fields& f) {
  return f.sign_exponent - 1u < 0x7ffeu && (f.significand >> 63) != 0;
}

template <bool kWithFma>
[[gnu::always_inline]] inline long double Ln(long double x) {
  const X87Fields f = FieldsOf(x);
  if (!PositiveNormal(f)) return LnOfSpecial(x, f);
  const LnEstimate ln = LnKernel<kWithFma>(f.significand, f.sign_exponent - 16383);
  long double result;
  if (!RoundToExtended(ln.y.hi, ln.y.lo, ln.bound, result)) return LnExact(x);
  return result;
}

// The fields of the long double nearest to ln = y.hi + y.lo (y.hi normal,
// |y.lo| < 2^-50 |y|), if all of y ± bound round to it; the same decision as RoundToExtended,
// in integer arithmetic. With |lo| <= half a unit of hi's last place, the
// 64-bit significand is hi's 53 bits and 11 more from lo: lo in units of 2^(e - 63), rounded
// to an integer r, is added to hi's significand shifted by 11 bits. Just below a power of two
// hi the unit halves.
[[gnu::always_inline]] inline bool RoundToFields(const LnEstimate& ln, X87Fields& result) {
  const DoubleDouble y = FastTwoSum(ln.y.hi, ln.y.lo);
  const uint64_t bits = std::bit_cast<uint64_t>(y.hi);
  const uint16_t sign = static_cast<uint16_t>((bits >> 48) & 0x8000);
  int e = static_cast<int>((bits >> 52) & 0x7ff) - 1023;  // |hi| in [2^e, 2^(e+1))
  const uint64_t hi_significand = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  // lo towards or away from zero as seen from hi
  const double lo = sign ? -y.lo : y.lo;
  int shift = 11;
  if (hi_significand == uint64_t{1} << 52 && lo < 0) shift = 12, --e;
  const double t = lo * PowerOfTwo(63 - e);  // exact, |t| <= 2^11
  const double shifted = t + 0x1.8p52;
  const int64_t r = std::bit_cast<int64_t>(shifted) - std::bit_cast<int64_t>(0x1.8p52);
  // t - r is exact; the bound in units, to 2^-52 of itself, far inside its margin.
  if (!(std::fabs(t - (shifted - 0x1.8p52)) < 0.5 - ln.bound * PowerOfTwo(63 - e))) return false;
  uint64_t significand = (hi_significand << shift) + static_cast<uint64_t>(r);  // mod 2^64
  if (significand == 0) significand = uint64_t{1} << 63, ++e;                   // exactly 2^(e + 1)
  result = {significand, static_cast<uint16_t>((e + 16383) | sign)};
  return true;
}

// a · b rounded to the nearest long double (ties to even), as the x87 multiplies, for
// positive or negative normal a and b; false if the product leaves the normal range.
[[gnu::always_inline]] inline bool MultiplyRounded(const X87Fields& a, const X87Fields& b,
                                                   X87Fields& product) {
  const UInt128 p = static_cast<UInt128>(a.significand) * b.significand;  // [2^126, 2^128)
  const int top = static_cast<int>(p >> 127);
  uint64_t significand = static_cast<uint64_t>(p >> (63 + top));
  const uint64_t rest = static_cast<uint64_t>(p << (1 - top));  // the bits below, from bit 63
  const uint64_t half = uint64_t{1} << 63;
  int biased = (a.sign_exponent & 0x7fff) + (b.sign_exponent & 0x7fff) - 16383 + top;
  if (rest > half || (rest == half && (significand & 1))) {
    if (++significand == 0) significand = half, ++biased;
  }
  if (biased < 1 || biased > 0x7ffe) return false;
  product = {significand,
             static_cast<uint16_t>(biased | ((a.sign_exponent ^ b.sign_exponent) & 0x8000))};
  return true;
}

// The fields of a double widened to long double, without passing through the x87.
[[gnu::always_inline]] inline X87Fields FieldsOfDouble(double x) {
  const uint64_t bits = std::bit_cast<uint64_t>(x);
  const unsigned biased = static_cast<unsigned>(bits >> 52) & 0x7ff;
  // Zero, subnormals, infinities and NaNs are rare enough for the x87 to widen.
  if (biased == 0 || biased == 0x7ff) return FieldsOf(static_cast<long double>(x));
  const uint64_t significand = ((bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52)) << 11;
  return {significand, static_cast<uint16_t>((biased - 1023 + 16383) | ((bits >> 48) & 0x8000))};
}

// Bases and exponents the fast path of Power takes: positive normal bases other than 1
// (whose power is 1 straight away), normal exponents.
[[gnu::always_inline]] inline bool PowerFastApplies(const X87Fields& a, const X87Fields& b) {
  return PositiveNormal(a) && !(a.sign_exponent == 0x3fff && a.significand == uint64_t{1} << 63) &&
         ((b.sign_exponent & 0x7fff) - 1u < 0x7ffeu) && (b.significand >> 63) != 0;
}

// base^exponent: 0 for a base of 0 or -0, else e^(exponent · ln base) as
// Exp(exponent * Ln(base)) computes it, the x87 product included, without passing ln base and
// the product through the x87: the rounding of ln base and the product are done on the fields.
template <bool kWithFma>
[[gnu::always_inline]] inline long double Power(const X87Fields& a, const X87Fields& b) {
  if ((a.sign_exponent & 0x7fff) == 0 && a.significand == 0) return 0.0L;
  if (a.sign_exponent == 0x3fff && a.significand == uint64_t{1} << 63) return 1.0L;  // e^(b · 0)
  if (PositiveNormal(a) && ((b.sign_exponent & 0x7fff) - 1u < 0x7ffeu) &&
      (b.significand >> 63) != 0) {
    X87Fields ln;
    if (!RoundToFields(LnKernel<kWithFma>(a.significand, a.sign_exponent - 16383), ln)) {
      ln = FieldsOf(LnExact(LongDoubleOf(a)));
    }
    X87Fields u;
    if (MultiplyRounded(ln, b, u)) return ExpOf<kWithFma>(u);
  }
  return ExpOf<kWithFma>(FieldsOf(LongDoubleOf(b) * Ln<kWithFma>(LongDoubleOf(a))));
}

// Several independent powers and exponentials as Power and ExpOf give each: the same steps,
// taken for all of them before the next step, so that the processor works on them side by
// side. (One after another, each one's chain of dependent operations is longer than the
// processor looks ahead, and it waits on each in turn.) One that leaves the fast path on the
// way is done again alone from the start, which raises the exceptions the single call raises.
// The P powers of laws come first in results, then the E exponentials e^x. work(k), k = 1 ... 5,
// is called between the steps, in order: work of the caller's own, a chain of dependent
// operations, runs beside the batch (put after the batch, it would wait for it; put before,
// the batch would wait for it). Where kWithFma, call this only from code compiled for the
// fused multiply-add (ProcessorHasFma()).
template <std::size_t P, std::size_t E, bool kWithFma, class Work>
[[gnu::always_inline]] inline void Lanes(const std::array<TPowerLaw, P>& laws,
                                         const std::array<long double, E>& exponents_of_e,
                                         std::array<long double, P + E>& results, Work&& work) {
  constexpr std::size_t N = P + E;
  std::array<X87Fields, P> a{}, b{};
  std::array<LnReduction, P> ln_reduction{};
  std::array<LnEstimate, P> ln{};
  std::array<X87Fields, N> u{};  // the argument of each exponential
  std::array<bool, N> fast{};
  std::array<ExpReduction, N> exp_reduction{};
  for (std::size_t i = 0; i < P; ++i) {
    a[i] = FieldsOf(laws[i].base);
    b[i] = FieldsOf(laws[i].exponent);
    fast[i] = PowerFastApplies(a[i], b[i]);
  }
  for (std::size_t i = 0; i < E; ++i) {
    u[P + i] = FieldsOf(exponents_of_e[i]);
    fast[P + i] = true;
  }
  for (std::size_t i = 0; i < P; ++i) {
    if (fast[i]) ln_reduction[i] = LnReduce(a[i].significand, a[i].sign_exponent - 16383);
  }
  work(1);
  for (std::size_t i = 0; i < P; ++i) {
    if (fast[i]) ln[i] = LnSum<kWithFma>(ln_reduction[i]);
  }
  work(2);
  for (std::size_t i = 0; i < P; ++i) {
    X87Fields rounded;
    if (fast[i]) fast[i] = RoundToFields(ln[i], rounded) && MultiplyRounded(rounded, b[i], u[i]);
  }
  work(3);
  for (std::size_t i = 0; i < N; ++i) {
    if (fast[i]) fast[i] = ExpStart<kWithFma>(u[i], exp_reduction[i]);
  }
  work(4);
  for (std::size_t i = 0; i < N; ++i) {
    if (fast[i]) fast[i] = ExpFinish<kWithFma>(exp_reduction[i], results[i]);
  }
  work(5);
  for (std::size_t i = 0; i < N; ++i) {
    if (fast[i]) continue;
    results[i] = i < P ? Power<kWithFma>(a[i], b[i]) : ExpOf<kWithFma>(u[i]);
  }
}

// Read from what the C runtime found out about the processor at start-up: a load and a test.
inline bool ProcessorHasFma() { return __builtin_cpu_supports("fma"); }

}  // namespace vellmor::extended_math
