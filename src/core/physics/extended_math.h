#pragma once

#include <array>
#include <utility>

namespace vellmor {

// ln x and e^x of an x87 extended-precision argument (64-bit significand), correctly rounded:
// the long double nearest to the exact value. (There are no ties to break: apart from ln 1 = 0
// and e^0 = 1 the exact values are transcendental.) Results that underflow are rounded to the
// subnormal grid like any other.
//
// Floating-point exceptions as the run's fault checks expect them: ln of a negative number or
// of a NaN is an invalid operation (NaN), ln 0 a division by zero (-inf), e^x above the largest
// long double an overflow (+inf). Nothing else raises invalid, division by zero or overflow.
long double LnExtended(long double x);
long double ExpExtended(long double x);

// The power law of the correlations, base^exponent = e^(exponent · ln base) with a base of
// exactly 0 giving 0: ExpExtended(exponent * LnExtended(base)) with the product rounded to long
// double as the x87 rounds it, to the same bits and exceptions (none for a base of 0). Faster
// than that composition: the base's bits are read once, and ln base and the product stay in
// integer registers instead of passing through the x87.
long double PowerExtended(long double base, long double exponent);
// The same for a base that is a double (a stored velocity, say): its bits are read straight
// from the register it arrives in, which spares the trip through memory that an x87 argument
// takes, on the critical path of every stage.
long double PowerExtended(double base, long double exponent);

// One power law base^exponent of several evaluated together.
struct TPowerLaw {
  long double base = 0.0L;
  long double exponent = 0.0L;
};

// Work of the caller's own to be done while a batch is on its way: Step(k), k = 1 ... 5, is
// called between the batch's own steps, in order, so that the processor runs both side by
// side. (A chain of dependent operations of the caller's, put after the batch, would wait
// for it; put before, the batch would wait for the chain.)
class InterleavedWork {
 public:
  virtual void Step(int k) = 0;

 protected:
  ~InterleavedWork() = default;
};

// The work of a callable taking k.
template <class Work>
class InterleavedCallable final : public InterleavedWork {
 public:
  explicit InterleavedCallable(Work work) : work_(std::move(work)) {}
  void Step(int k) override { work_(k); }

 private:
  Work work_;
};

template <class Work>
InterleavedCallable<Work> Interleave(Work work) {
  return InterleavedCallable<Work>(std::move(work));
}

// Independent power laws, or an exponential, evaluated together, each to exactly what
// PowerExtended(base, exponent) or ExpExtended returns for it, with the same floating-point
// exceptions: their logarithms and exponentials run side by side, each waiting on its own
// operations only, and beside the caller's work. A step of the spinline offers three, two and
// one at a time.
std::array<long double, 3> PowersTogether(const std::array<TPowerLaw, 3>& laws);
std::array<long double, 2> PowersTogether(const std::array<TPowerLaw, 2>& laws,
                                          InterleavedWork& work);
long double ExpTogether(long double x, InterleavedWork& work);

}  // namespace vellmor
