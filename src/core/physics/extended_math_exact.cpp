// The exact path of the extended-precision e^x and ln x: taken where the fast path's result
// lies too close to a rounding boundary to decide, and for results that overflow or are
// subnormal. Fixed-point numbers of N 64-bit words (one integral word, two's complement)
// carry 64 (N - 1) fraction bits; the rounding is decided once the error interval holds no
// midpoint, with N = 5, 9, 17 (256, 512, 1024 fraction bits) in turn.
//
//   e^v: k = floor(v / ln2), r = v - k ln2 in [0, ln2), s = r / 4096,
//        e^v = 2^k (Σ s^n / n!)^(2^12).
//   ln x: y0 a double close to ln x, t = x e^-y0 - 1 (|t| < 2^-30),
//        ln x = y0 + t - t²/2 + t³/3 - ...
//
// Errors stay below 2^24 units of the last fraction bit for e^v (k ln2 2^14, s 5 units,
// Taylor sums 60, all times 2^12 through the squarings) and 2^26 for ln x.

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "vellmor/physics/extended_math_internal.h"

namespace vellmor::extended_math {
namespace {

__extension__ typedef unsigned __int128 UInt128;

constexpr int kExpErrorLog2 = 24;
constexpr int kLnErrorLog2 = 26;

template <int N>
struct Fixed {
  static constexpr int kFractionBits = 64 * (N - 1);
  std::array<uint64_t, N> word{};  // least significant first; word[N - 1] is the integral part

  bool Negative() const { return (word[N - 1] >> 63) != 0; }
  bool Zero() const {
    return std::all_of(word.begin(), word.end(), [](uint64_t w) { return w == 0; });
  }
  // Bit i, counted from the least significant; bits beyond the top are the sign's.
  bool Bit(int i) const {
    if (i >= 64 * N) return Negative();
    return i >= 0 && ((word[i / 64] >> (i % 64)) & 1) != 0;
  }
  // Index of the highest set bit of a positive number, -1 for zero.
  int TopBit() const {
    for (int i = N - 1; i >= 0; --i) {
      if (word[i] != 0) return 64 * i + 63 - __builtin_clzll(word[i]);
    }
    return -1;
  }
};

template <int N>
Fixed<N> operator+(const Fixed<N>& a, const Fixed<N>& b) {
  Fixed<N> sum;
  UInt128 carry = 0;
  for (int i = 0; i < N; ++i) {
    carry += static_cast<UInt128>(a.word[i]) + b.word[i];
    sum.word[i] = static_cast<uint64_t>(carry);
    carry >>= 64;
  }
  return sum;
}

template <int N>
Fixed<N> operator-(const Fixed<N>& a) {
  Fixed<N> negated;
  for (int i = 0; i < N; ++i) negated.word[i] = ~a.word[i];
  Fixed<N> one;
  one.word[0] = 1;
  return negated + one;
}

template <int N>
Fixed<N> operator-(const Fixed<N>& a, const Fixed<N>& b) {
  return a + (-b);
}

template <int N>
Fixed<N> Abs(const Fixed<N>& a) {
  return a.Negative() ? -a : a;
}

// a · b, truncated towards zero to the last fraction bit.
template <int N>
Fixed<N> operator*(const Fixed<N>& a, const Fixed<N>& b) {
  const Fixed<N> x = Abs(a), y = Abs(b);
  std::array<uint64_t, 2 * N> product{};
  for (int i = 0; i < N; ++i) {
    UInt128 carry = 0;
    for (int j = 0; j < N; ++j) {
      carry += static_cast<UInt128>(x.word[i]) * y.word[j] + product[i + j];
      product[i + j] = static_cast<uint64_t>(carry);
      carry >>= 64;
    }
    product[i + N] = static_cast<uint64_t>(carry);
  }
  Fixed<N> result;
  std::copy(product.begin() + (N - 1), product.begin() + (2 * N - 1), result.word.begin());
  return a.Negative() != b.Negative() ? -result : result;
}

// a · m for a small integer m.
template <int N>
Fixed<N> Times(const Fixed<N>& a, int64_t m) {
  const Fixed<N> x = Abs(a);
  const uint64_t factor = m < 0 ? -static_cast<uint64_t>(m) : static_cast<uint64_t>(m);
  Fixed<N> result;
  UInt128 carry = 0;
  for (int i = 0; i < N; ++i) {
    carry += static_cast<UInt128>(x.word[i]) * factor;
    result.word[i] = static_cast<uint64_t>(carry);
    carry >>= 64;
  }
  return a.Negative() != (m < 0) ? -result : result;
}

// a / d for a positive integer d, truncated.
template <int N>
Fixed<N> DividedBy(const Fixed<N>& a, uint64_t d) {
  const Fixed<N> x = Abs(a);
  Fixed<N> quotient;
  UInt128 remainder = 0;
  for (int i = N - 1; i >= 0; --i) {
    remainder = (remainder << 64) | x.word[i];
    quotient.word[i] = static_cast<uint64_t>(remainder / d);
    remainder %= d;
  }
  return a.Negative() ? -quotient : quotient;
}

// a · 2^shift, truncated; for right shifts a must be positive.
template <int N>
Fixed<N> Scaled(const Fixed<N>& a, int shift) {
  Fixed<N> result;
  for (int i = 0; i < 64 * N; ++i) {
    const int from = i - shift;
    if (a.Bit(from)) result.word[i / 64] |= uint64_t{1} << (i % 64);
  }
  return result;
}

// significand · 2^exponent, truncated to the last fraction bit.
template <int N>
Fixed<N> FromInteger(uint64_t significand, int exponent) {
  Fixed<N> x;
  x.word[0] = significand;
  return Scaled(x, exponent + Fixed<N>::kFractionBits);
}

template <int N>
Fixed<N> FromDouble(double d) {
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(d), &exponent);  // d = fraction 2^exponent
  const Fixed<N> x = FromInteger<N>(static_cast<uint64_t>(std::ldexp(fraction, 53)), exponent - 53);
  return d < 0 ? -x : x;
}

template <int N>
double ToDouble(const Fixed<N>& a) {
  const Fixed<N> x = Abs(a);
  double sum = 0.0;
  for (int i = N - 1; i >= N - 3 && i >= 0; --i) {
    sum += std::ldexp(static_cast<double>(x.word[i]), 64 * i - Fixed<N>::kFractionBits);
  }
  return a.Negative() ? -sum : sum;
}

template <int N>
Fixed<N> One() {
  Fixed<N> one;
  one.word[N - 1] = 1;
  return one;
}

template <int N>
Fixed<N> Ln2() {
  Fixed<N> ln2;
  for (int i = 0; i < N - 1; ++i) ln2.word[N - 2 - i] = kLn2Fraction[i];
  return ln2;
}

long double Assemble(uint64_t significand, int biased_exponent, bool negative) {
  const uint16_t sign_exponent = static_cast<uint16_t>(biased_exponent | (negative ? 0x8000 : 0));
  long double x = 0.0L;
  std::memcpy(&x, &significand, sizeof significand);
  std::memcpy(reinterpret_cast<char*>(&x) + 8, &sign_exponent, sizeof sign_exponent);
  return x;
}

// The long double nearest to ±v · 2^scale for v >= 0 known within 2^error_log2 units of its
// last bit, subnormal and overflowing results included; false where that interval holds a
// midpoint (the result then is the rounding of v itself).
template <int N>
bool Round(const Fixed<N>& v, int scale, int error_log2, bool negative, long double& result) {
  const int top = v.TopBit();
  // The unit of the last place, as a bit index of v: 63 bits below the top, but no finer
  // than 2^-16445 (the subnormal grid).
  const int unit = std::max(top - 63, Fixed<N>::kFractionBits - 16445 - scale);
  const bool decided = unit - 1 > error_log2 + 1;
  uint64_t significand = 0;
  for (int i = std::min(top, unit + 63); i >= unit; --i) {
    significand = (significand << 1) | (v.Bit(i) ? 1 : 0);
  }
  // Ties cannot occur; the error interval holds a midpoint if the bits between the half
  // and the error are all 0 above a set half bit, or all 1 below a clear one.
  const bool half = v.Bit(unit - 1);
  bool all_equal = true;
  for (int i = unit - 2; i > error_log2 && all_equal; --i) all_equal = v.Bit(i) == !half;
  int exponent = unit - Fixed<N>::kFractionBits + scale;  // of the unit
  if (half) {
    ++significand;
    if (significand == 0) significand = uint64_t{1} << 63, ++exponent;  // carried out of 2^64
  }
  int biased = 0;  // subnormal or zero
  if (significand >> 63) biased = exponent + 63 + 16383;
  if (biased >= 0x7fff) {
    std::feraiseexcept(FE_OVERFLOW);
    result = negative ? -std::numeric_limits<long double>::infinity()
                      : std::numeric_limits<long double>::infinity();
  } else {
    result = Assemble(significand, biased, negative);
  }
  return decided && !all_equal;
}

// e^v = 2^k · e with e in [1, 2), |v| < 2^15.
template <int N>
Fixed<N> ExpOfFixed(const Fixed<N>& v, int64_t& k) {
  const Fixed<N> ln2 = Ln2<N>();
  k = static_cast<int64_t>(std::floor(ToDouble(v) / 0.69314718055994530942));
  Fixed<N> r = v - Times(ln2, k);
  while (r.Negative()) r = r + ln2, --k;
  while (!(r - ln2).Negative()) r = r - ln2, ++k;
  const Fixed<N> s = Scaled(r, -12);
  Fixed<N> sum = One<N>(), term = One<N>();
  for (uint64_t n = 1; !term.Zero(); ++n) {
    term = DividedBy(term * s, n);
    sum = sum + term;
  }
  for (int i = 0; i < 12; ++i) sum = sum * sum;
  // Rounding may leave the sum a few units on the other side of 1 or 2.
  if (sum.word[N - 1] >= 2) sum = Scaled(sum, -1), ++k;
  return sum;
}

template <int N>
bool ExpAt(long double x, long double& result) {
  int exponent = 0;
  const long double fraction = std::frexp(x, &exponent);
  const uint64_t significand = static_cast<uint64_t>(std::ldexp(std::fabs(fraction), 64));
  Fixed<N> v = FromInteger<N>(significand, exponent - 64);
  if (x < 0) v = -v;
  int64_t k = 0;
  const Fixed<N> e = ExpOfFixed(v, k);
  return Round(e, static_cast<int>(k), kExpErrorLog2, false, result);
}

// ln x for x = significand · 2^exponent, significand >= 2^63.
template <int N>
bool LnAt(uint64_t significand, int exponent, long double& result) {
  const int e = exponent + 63;  // x = m 2^e, m in [1, 2)
  const double m = std::ldexp(static_cast<double>(significand >> 11), -52);
  const Fixed<N> y0 = FromDouble<N>(e * 0.69314718055994530942 + std::log(m));
  int64_t k = 0;
  const Fixed<N> inverse = ExpOfFixed(-y0, k);  // e^-y0 = 2^k inverse
  const Fixed<N> w = FromInteger<N>(significand, -63) * inverse;
  const Fixed<N> t = Scaled(w, static_cast<int>(k) + e) - One<N>();
  // ln(1 + t) = Σ (-1)^(n+1) t^n / n
  Fixed<N> sum, power = t;
  for (uint64_t n = 1; !power.Zero(); ++n) {
    const Fixed<N> term = DividedBy(power, n);
    sum = n % 2 == 1 ? sum + term : sum - term;
    power = power * t;
  }
  const Fixed<N> y = y0 + sum;
  return Round(Abs(y), 0, kLnErrorLog2, y.Negative(), result);
}

}  // namespace

long double ExpExact(long double x) {
  long double result = 0.0L;
  if (std::fabs(x) >= 16384.0L) {  // far beyond either end of the range
    if (x < 0) return 0.0L;
    std::feraiseexcept(FE_OVERFLOW);
    return std::numeric_limits<long double>::infinity();
  }
  if (ExpAt<5>(x, result) || ExpAt<9>(x, result)) return result;
  ExpAt<17>(x, result);  // undecided at 1024 bits would take a far closer case than exists
  return result;
}

long double LnExact(long double x) {
  int exponent = 0;
  const long double fraction = std::frexp(x, &exponent);  // subnormals come out normalised
  const uint64_t significand = static_cast<uint64_t>(std::ldexp(fraction, 64));
  exponent -= 64;
  long double result = 0.0L;
  if (LnAt<5>(significand, exponent, result) || LnAt<9>(significand, exponent, result)) {
    return result;
  }
  LnAt<17>(significand, exponent, result);
  return result;
}

}  // namespace vellmor::extended_math
