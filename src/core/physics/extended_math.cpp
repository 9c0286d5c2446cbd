// Correctly rounded e^x and ln x in x87 extended precision, and the power law built on them;
// fast path. Both work in double-double arithmetic (error-free sums and products) to about
// 2^-85, and round to the long double only when the approximation's error interval holds no
// midpoint between two long doubles; otherwise, about one call in 2^20 (within 2^-14 of
// ln x = 0, one in 2^8), the exact path decides (Ziv's strategy).
//
//   e^x: k = round(x · 4096/ln2), r = x - k ln2/4096 (|r| <= 2^-13.5),
//        e^x = 2^(k div 4096) · 2^(i/64) · 2^(j/4096) · e^r,  k mod 4096 = 64 i + j,
//        e^r - 1 = r + r²/2 + r³/6 + r⁴/24 + r⁵/120  (truncation below 2^-90.7).
//   ln x: x = 2^e m; two reciprocals r1, r2 of bin centres make 1 + z = m r1 r2 in exact
//        integer arithmetic, |z| < 2^-13.97;
//        ln x = e ln2 - ln r1 - ln r2 + ln(1 + z), e ln2 in three exact parts and the
//        logarithms of the tables as double-doubles summed with their errors kept,
//        ln(1 + z) = z - z²/2 + z³/3 - z⁴/4 + z⁵/5 (truncation below 2^-86.4).
//   a^b: ln a rounded to long double and b times it rounded as the x87 multiplies, both on
//        the integer fields, then e^x of the product.
//
// Each pass of a long double through memory between the x87 and the other registers costs
// about as much as ten floating-point operations here; the code keeps them to one at the
// argument and one at the result. Where the processor has the fused multiply-add, the entry
// points run code compiled for it (the same bits: it only gives a product's exact error in
// two operations instead of seventeen).

#include "vellmor/physics/extended_math.h"

#include <cfenv>
#include <limits>

#include "vellmor/physics/extended_math_kernels.h"

namespace vellmor {
namespace extended_math {

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

// e^x where the fast path does not take x.
long double ExpOutsideFastRange(const X87Fields& f) {
  const int exponent = (f.sign_exponent & 0x7fff) - 16383;
  if (!InExpFastRange(f, exponent)) return ExpOfSpecial(LongDoubleOf(f), f);
  // The result may overflow or be subnormal: the exact path rounds those.
  const DoubleDouble split = SplitArgument(f, exponent);
  if (split.hi > 11357.0) return Overflow();
  if (split.hi < -11400.0) return 0.0L;
  return ExpExact(LongDoubleOf(f));
}

bool ExpApproximation(long double x, DoubleDouble& y, int& scale) {
  const X87Fields f = FieldsOf(x);
  const int exponent = (f.sign_exponent & 0x7fff) - 16383;
  if (!InExpFastRange(f, exponent)) return false;
  const DoubleDouble split = SplitArgument(f, exponent);
  if (split.hi >= 11356.0 || split.hi < -11354.0) return false;
  scale = ExpKernel<false>(split, y);
  return true;
}

bool LnApproximation(long double x, DoubleDouble& y, double& bound) {
  const X87Fields f = FieldsOf(x);
  if (!PositiveNormal(f)) return false;
  const LnEstimate ln = LnKernel<false>(f.significand, f.sign_exponent - 16383);
  y = ln.y;
  bound = ln.bound;
  return true;
}

// The entry points, compiled once for processors with the fused multiply-add and once
// without; they return the same bits.
[[gnu::target("fma")]] long double ExpWithFma(X87Fields x) { return ExpOf<true>(x); }
[[gnu::target("fma")]] long double LnWithFma(long double x) { return Ln<true>(x); }
[[gnu::target("fma")]] long double PowerWithFma(X87Fields base, X87Fields exponent) {
  return Power<true>(base, exponent);
}

long double ExpWithoutFma(long double x) { return ExpOf<false>(FieldsOf(x)); }
long double LnWithoutFma(long double x) { return Ln<false>(x); }
long double PowerWithoutFma(long double base, long double exponent) {
  return Power<false>(FieldsOf(base), FieldsOf(exponent));
}

}  // namespace extended_math

long double ExpExtended(long double x) {
  using namespace extended_math;
  return ProcessorHasFma() ? ExpWithFma(FieldsOf(x)) : ExpWithoutFma(x);
}

long double LnExtended(long double x) {
  using namespace extended_math;
  return ProcessorHasFma() ? LnWithFma(x) : LnWithoutFma(x);
}

long double PowerExtended(long double base, long double exponent) {
  using namespace extended_math;
  if (ProcessorHasFma()) return PowerWithFma(FieldsOf(base), FieldsOf(exponent));
  return PowerWithoutFma(base, exponent);
}

long double PowerExtended(double base, long double exponent) {
  using namespace extended_math;
  if (ProcessorHasFma()) return PowerWithFma(FieldsOfDouble(base), FieldsOf(exponent));
  return Power<false>(FieldsOfDouble(base), FieldsOf(exponent));
}

}  // namespace vellmor
