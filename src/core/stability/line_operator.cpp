#include "vellmor/stability/line_operator.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace vellmor {
namespace {

// The rows at a section's ends that a condition takes instead of the collocation.
bool Replaced(std::size_t j, std::size_t last_node, int e) {
  if (j == 0 && (e == kMass || e == kEnergy || e == kViscous)) return true;
  return j == last_node && e == kMomentum;
}

// Which unknown a section's first node holds in place of each equation.
int HeldAtStart(int e) { return e == kMass ? kArea : e == kEnergy ? kTemperature : kVelocity; }

}  // namespace

TLineOperator AssembleLineOperator(const std::vector<TLineSection>& sections) {
  assert(!sections.empty());
  TLineOperator op;
  std::size_t n = 0;
  for (const TLineSection& section : sections) {
    op.Offsets.push_back(n);
    n += section.Grid.X.size() * kLineUnknowns;
    for (const TLineVector& u : section.U) {
      op.TensionScale = std::max(op.TensionScale, std::fabs(u[kTension]));
    }
  }
  op.K = TMatrix(n, n);
  op.M = TMatrix(n, n);
  // Each unknown's scale at a node.
  const auto scale = [&](std::size_t s, std::size_t j, int c) {
    const TLineVector& u = sections[s].U[j];
    switch (c) {
      case kArea:
        return u[kArea];
      case kVelocity:
        return u[kVelocity];
      case kTension:
        return op.TensionScale;
      default:
        return 100.0;
    }
  };
  std::vector<std::vector<TLineVector>> slopes(sections.size());
  for (std::size_t s = 0; s < sections.size(); ++s) {
    const TLineSection& section = sections[s];
    const std::size_t nodes = section.Grid.X.size();
    const std::size_t last = nodes - 1;
    for (std::size_t j = 0; j < nodes; ++j) {
      const double x = section.Grid.X[j];
      const TLineVector ux = SteadySlope(section.Laws[j], x, section.U[j]);
      slopes[s].push_back(ux);
      const TLineLinearisation lin = Linearise(section.Laws[j], x, section.U[j], ux);
      for (int e = 0; e < kLineUnknowns; ++e) {
        if (Replaced(j, last, e)) continue;
        const std::size_t row = op.Index(s, j, e);
        for (int c = 0; c < kLineUnknowns; ++c) {
          op.K(row, op.Index(s, j, c)) -= lin.C0[e][c] * scale(s, j, c);
          op.M(row, op.Index(s, j, c)) = lin.Ct[e][c] * scale(s, j, c);
          if (lin.C1[e][c] == 0.0) continue;
          for (std::size_t i = 0; i < nodes; ++i) {
            op.K(row, op.Index(s, i, c)) -= lin.C1[e][c] * section.Grid.D(j, i) * scale(s, i, c);
          }
        }
      }
    }
  }
  // The spinneret and the take-up.
  for (const int e : {kMass, kEnergy, kViscous}) {
    op.K(op.Index(0, 0, e), op.Index(0, 0, HeldAtStart(e))) = scale(0, 0, HeldAtStart(e));
  }
  op.ExitVelocityRow = op.Index(0, 0, kViscous);
  const std::size_t end = sections.size() - 1;
  const std::size_t end_node = sections[end].Grid.X.size() - 1;
  op.TakeUpRow = op.Index(end, end_node, kMomentum);
  op.K(op.TakeUpRow, op.Index(end, end_node, kVelocity)) = scale(end, end_node, kVelocity);
  // The section ends: δq+ - δq- - J δT- = 0, J = (q_x- - q_x+) / T_x- at the freeze point.
  for (std::size_t s = 1; s < sections.size(); ++s) {
    const std::size_t before_node = sections[s - 1].Grid.X.size() - 1;
    const TLineVector& before = slopes[s - 1][before_node];
    const TLineVector& after = slopes[s][0];
    const bool moves = sections[s - 1].FreezesAtEnd;
    const auto join = [&](std::size_t row, int q) {
      op.K(row, op.Index(s, 0, q)) = scale(s, 0, q);
      op.K(row, op.Index(s - 1, before_node, q)) = -scale(s - 1, before_node, q);
      if (moves && q != kTemperature) {
        const double jump = (before[q] - after[q]) / before[kTemperature];
        op.K(row, op.Index(s - 1, before_node, kTemperature)) +=
            jump * scale(s - 1, before_node, kTemperature);
      }
    };
    for (const int e : {kMass, kEnergy, kViscous}) join(op.Index(s, 0, e), HeldAtStart(e));
    join(op.Index(s - 1, before_node, kMomentum), kTension);
  }
  // Rows of one size: the eigenvalues do not change, the LU's pivots are fairer.
  for (std::size_t row = 0; row < n; ++row) {
    double largest = 0.0;
    for (std::size_t j = 0; j < n; ++j) {
      largest = std::max({largest, std::fabs(op.K(row, j)), std::fabs(op.M(row, j))});
    }
    if (largest == 0.0) continue;
    for (std::size_t j = 0; j < n; ++j) {
      op.K(row, j) /= largest;
      op.M(row, j) /= largest;
    }
  }
  return op;
}

}  // namespace vellmor
