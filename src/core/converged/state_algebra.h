#pragma once

// odeint's view of a TState: the stepper's temporaries take the size of the state they are
// given, and its vector operations run over a state in loops of fixed length, 4, 8 or the
// whole capacity, that the compiler unrolls (a filament's state is four or five components).
// Components past a state's size are 0 and stay 0 under these operations.

#include <cstddef>

#include <boost/numeric/odeint/util/is_resizeable.hpp>

#include "vellmor/converged/state_layout.h"

template <>
struct boost::numeric::odeint::is_resizeable<vellmor::TState> : boost::true_type {};

namespace vellmor {

// The algebra of odeint's steppers over TState.
struct TStateAlgebra {
  template <std::size_t kLength, class Op, class... S>
  static void EachOf(Op& op, double* out, const S&... s) {
    for (std::size_t i = 0; i < kLength; ++i) op(out[i], s.data()[i]...);
  }
  template <class Op, class... S>
  static void Each(Op& op, TState& out, const S&... s) {
    static_assert(kMaxStateComponents % 8 == 0);
    if (out.size() <= 4) {
      EachOf<4>(op, out.data(), s...);
    } else if (out.size() <= 8) {
      EachOf<8>(op, out.data(), s...);
    } else {
      EachOf<kMaxStateComponents>(op, out.data(), s...);
    }
  }
  template <class S1, class S2, class S3, class Op>
  static void for_each3(S1& s1, S2& s2, S3& s3, Op op) {
    Each(op, s1, s2, s3);
  }
  template <class S1, class S2, class S3, class S4, class Op>
  static void for_each4(S1& s1, S2& s2, S3& s3, S4& s4, Op op) {
    Each(op, s1, s2, s3, s4);
  }
  template <class S1, class S2, class S3, class S4, class S5, class Op>
  static void for_each5(S1& s1, S2& s2, S3& s3, S4& s4, S5& s5, Op op) {
    Each(op, s1, s2, s3, s4, s5);
  }
  template <class S1, class S2, class S3, class S4, class S5, class S6, class Op>
  static void for_each6(S1& s1, S2& s2, S3& s3, S4& s4, S5& s5, S6& s6, Op op) {
    Each(op, s1, s2, s3, s4, s5, s6);
  }
  template <class S1, class S2, class S3, class S4, class S5, class S6, class S7, class Op>
  static void for_each7(S1& s1, S2& s2, S3& s3, S4& s4, S5& s5, S6& s6, S7& s7, Op op) {
    Each(op, s1, s2, s3, s4, s5, s6, s7);
  }
  template <class S1, class S2, class S3, class S4, class S5, class S6, class S7, class S8,
            class Op>
  static void for_each8(S1& s1, S2& s2, S3& s3, S4& s4, S5& s5, S6& s6, S7& s7, S8& s8, Op op) {
    Each(op, s1, s2, s3, s4, s5, s6, s7, s8);
  }
};

}  // namespace vellmor
