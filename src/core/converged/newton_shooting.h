#pragma once

// Shooting on n unknowns u (the conditions at one end of the line) until n residuals r(u) (the
// misses at the other end) vanish: Newton's method on r(u) = 0, the Jacobian taken by forward
// differences unless the caller knows one, and then kept by Broyden's update from each step
// taken, so that an iteration costs one evaluation (one pass down the line). A step that does
// not lessen |r| is halved; one that would leave the box of the unknowns goes at most halfway
// to its wall.
//
// With one unknown the slope is that of the parabola through the last three points at the
// newest (Broyden's update would be the secant through the last two), and two residuals of
// opposite signs bracket the root: from then on every step stays inside the bracket, and a
// step that leaves it or is not half the one two steps before is a bisection.
//
//   TShootingResult shot = Shoot(
//       [](std::span<const double> u, std::span<double> r) { ... }, {{1.0, 2.0}}, {});

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace vellmor {

struct TShootingOptions {
  // Evaluations of the residuals allowed in all, differences included.
  int MaxEvaluations = 100;
  // Met when every |r_i| is at most this; 0 for a residual that decides itself, returning
  // exactly 0 when met.
  double Tolerance = 0.0;
  // The difference step of unknown j: DifferenceStep × max(|u_j|, 1).
  double DifferenceStep = 1e-7;
  // Bounds of the unknowns (empty: none): the residuals are evaluated strictly inside.
  std::vector<double> Lower;
  std::vector<double> Upper;

  // With one unknown: a root already bracketed, r(Low) and r(High) of opposite signs.
  struct TBracket {
    double Low = 0.0;
    double LowResidual = 0.0;
    double High = 0.0;
    double HighResidual = 0.0;
  };
  std::optional<TBracket> Bracket;
};

struct TShootingResult {
  bool Met = false;
  std::vector<double> Unknowns;   // the last evaluated, the root when met
  std::vector<double> Residuals;  // there
  int Evaluations = 0;
  // With one unknown: the last bracket of the root, if one was found.
  std::optional<TShootingOptions::TBracket> Bracket;
};

// Where the shooting starts, and what is known there already.
struct TShootingStart {
  std::vector<double> Unknowns;
  // r there, if known (empty: the first evaluation). A looser evaluation will do: it only
  // directs the first step.
  std::vector<double> Residuals;
  // ∂r_i/∂u_j, row by row, if known (empty: by differences, or with one unknown from the
  // points before).
  std::vector<double> Jacobian;
  // With one unknown: points (u, r) evaluated before the start, oldest first (a bracketing's
  // last passes), which the slopes take into account.
  struct TPoint {
    double U = 0.0;
    double R = 0.0;
  };
  std::vector<TPoint> Before;
};

// The slope r'(u) at the newest of two or three points of one unknown, oldest first: that of
// the parabola through all three, or the secant through the last two where there are two or
// where the parabola's slope has the other sign (it turns over between the points and is no
// guide). The points' u must differ.
double SlopeAtNewest(std::span<const TShootingStart::TPoint> points);

// r = residuals(u), both of the size of the start's unknowns.
using TResidualFunction = std::function<void(std::span<const double> u, std::span<double> r)>;

// The shooting from start. Not met when the evaluations run out, when no step lessens |r|
// even with a fresh Jacobian, or when the steps no longer move the unknowns. What residuals
// throws passes through.
TShootingResult Shoot(const TResidualFunction& residuals, TShootingStart start,
                      const TShootingOptions& options);

}  // namespace vellmor
