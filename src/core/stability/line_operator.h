#pragma once

// The linearised spinline on a grid: the steady line cut into sections where its coefficients
// jump (the zone ends, where the air changes, and the freeze point, where the viscosity does),
// Chebyshev collocation of the equations of unsteady_spinline.h in each, the perturbations
// δu ∝ e^{λt}. The unknowns at a node are the relative δA/A and δV/V, δF over the line's
// largest tension and δT/(100 °C), so that the matrices' columns are of one size.
//
// Rows that the collocation does not keep:
//   spinneret (x = 0)   δA = δV = δT = 0: mass flow, velocity and temperature held
//   take-up (x = L)     δV = 0: the roll (a harmonic ripple for the response)
//   section ends        δA, δV, δT continuous from the section before, δF continuous into
//                       the section after; at the freeze point, which moves with δT by
//                       δx = -δT / T_x, each is continuous at the moved point:
//                       δq+ - δq- = (q_x- - q_x+) δx.
// The advected δA and δT take their value from upstream, the tension from downstream, as the
// characteristics of the equations run.

#include <cstddef>
#include <vector>

#include "vellmor/stability/chebyshev_grid.h"
#include "vellmor/stability/dense_matrix.h"
#include "vellmor/stability/unsteady_spinline.h"

namespace vellmor {

// One section of the steady line at its nodes.
struct TLineSection {
  TChebyshevGrid Grid;
  std::vector<TLinePointLaws> Laws;  // at each node
  std::vector<TLineVector> U;        // the steady (A, V, F, T) at each node
  bool FreezesAtEnd = false;         // its end is the freeze point
};

// M δu_t = K δu + b e^{iωt}, b the driven boundary rows' right-hand side.
struct TLineOperator {
  TMatrix K, M;
  std::vector<std::size_t> Offsets;  // the first unknown of each section
  // The rows that hold δV/V at the take-up and at the spinneret: a right-hand side of 1 there
  // is a relative ripple of 1.
  std::size_t TakeUpRow = 0;
  std::size_t ExitVelocityRow = 0;
  double TensionScale = 1.0;  // dyn

  // The unknown c (LineUnknown) at node j of section s.
  std::size_t Index(std::size_t s, std::size_t j, int c) const {
    return Offsets[s] + j * kLineUnknowns + static_cast<std::size_t>(c);
  }
};

TLineOperator AssembleLineOperator(const std::vector<TLineSection>& sections);

}  // namespace vellmor
