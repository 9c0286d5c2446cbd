// Shooting on the spinneret tension F0 until the converged pass meets the take-up velocity:
//
//   r(F0) = ln(V_end / V_takeup),  V_end = V at the take-up end, or where the pass ran away
//
// First fixed steps of 2.5 dyn from 25 dyn, as the classical search, until r changes sign;
// then TOMS 748 on the bracket. The logarithm keeps r nearly linear in F0 over the wide range
// of velocities the bracket spans; a pass within the velocity tolerance counts as a root.

#include "core/converged/converged_solution.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include <boost/math/tools/toms748_solve.hpp>

#include "core/analysis/air_pole.h"
#include "core/base/floating_point_check.h"
#include "core/base/run_error.h"
#include "core/base/vector_state.h"
#include "core/solver/init_spinline.h"

namespace vellmor {
namespace {

constexpr double kFirstTension = 25.0;  // dyn, as the classical search
constexpr double kTensionStep = 2.5;    // dyn
// Bracketing passes only need to know on which side of the take-up velocity they arrive.
constexpr TIntegrationTolerance kBracketingTolerance{1e-5, 1e-5};

// Keeps the converged profile's samples, with the air of the zone that holds each position.
class SampleRecorder : public SpinlineStateObserver {
 public:
  SampleRecorder(const TSpinCondition& condition, double mass_flow,
                 const TSpinlineConstants<double>& k, const TStructureConstants* structure,
                 std::vector<TConvergedSample>& samples)
      : condition_(condition),
        mass_flow_(mass_flow),
        k_(k),
        structure_(structure),
        samples_(samples) {}

  void OnState(double x, const TSpinlineState& y) override {
    samples_.push_back(SampleOf(condition_, mass_flow_, k_, structure_, x, y));
  }

  // The sample of state y at x, with the air of the zone that holds x; with the structure,
  // its birefringence that of the stress there (the caller freezes it past the freeze point).
  static TConvergedSample SampleOf(const TSpinCondition& condition, double mass_flow,
                                   const TSpinlineConstants<double>& k,
                                   const TStructureConstants* structure, double x,
                                   const TSpinlineState& y) {
    const LocalSpinlineSystem system(condition.IV, mass_flow, ZoneAirAt(condition, x),
                                     y[2] < k.SolidificationC, nullptr, k,
                                     TStructureMode{structure, false, std::nullopt});
    const TLocalPoint point = system.PointAt(y, x);
    TConvergedSample sample{x, y[0], y[1], y[2], point.D, point.TA, point.H};
    if (structure != nullptr) {
      sample.Stress = point.Stress;
      sample.Birefringence = point.Birefringence;
      sample.Orientation = point.Orientation;
      sample.Crystallinity = structure_laws::Crystallinity(*structure, y[kPsi]);
    }
    return sample;
  }

 private:
  const TSpinCondition& condition_;
  double mass_flow_;
  const TSpinlineConstants<double>& k_;
  const TStructureConstants* structure_;
  std::vector<TConvergedSample>& samples_;
};

// The passes of the shooting, their count and the pass that met the take-up velocity.
// Bracketing passes only need the side on which they arrive, so they run at a loose
// tolerance; one that lands close to the take-up velocity is repeated at the full one.
class Shooting {
 public:
  Shooting(const AdaptivePass& bracketing_pass, const AdaptivePass& pass, double take_up_velocity,
           const TConvergedOptions& options, long& evaluations)
      : bracketing_pass_(bracketing_pass),
        pass_(pass),
        take_up_velocity_(take_up_velocity),
        options_(options),
        evaluations_(evaluations) {}

  // r(F0) of a bracketing pass.
  double BracketingResidual(double tension) {
    const double residual = Residual(bracketing_pass_, tension);
    if (residual != 0.0 && std::fabs(residual) > kSureSide) return residual;
    return Residual(tension);
  }

  // r(F0) at the full tolerance, or exactly 0 when the pass meets the take-up velocity within
  // the velocity tolerance.
  double Residual(double tension) { return Residual(pass_, tension); }

  const std::optional<double>& Root() const { return root_; }
  // The slope of r between the last two passes at the full tolerance that reached the take-up
  // end at different tensions; 0 without two such passes.
  double Slope() const {
    if (full_count_ < 2 || full_[0].Tension == full_[1].Tension) return 0.0;
    return (full_[1].Residual - full_[0].Residual) / (full_[1].Tension - full_[0].Tension);
  }
  const TAdaptivePassEnd& RootEnd() const { return root_end_; }
  int Passes() const { return passes_; }

  // From here on the passes are those of the root finder.
  void MarkBracketed() { bracketed_ = true; }

  [[noreturn]] void ThrowNoConvergence() const {
    const std::string passes = std::to_string(passes_) + " passes";
    throw CalculationError(
        CalculationFault::kNoConvergence,
        bracketed_ ? "Converged solution: the take-up speed could not be met after " + passes
                   : "Converged solution: no spinneret tension brought the filament to the "
                     "take-up speed from both sides in " +
                         passes);
  }

 private:
  // A bracketing pass whose velocity at the take-up end is this far from the take-up velocity
  // (in r, about 1 %) is on its side whatever the tolerance.
  static constexpr double kSureSide = 0.01;

  double Residual(const AdaptivePass& pass, double tension) {
    if (passes_ >= options_.MaxPasses) ThrowNoConvergence();
    ++passes_;
    const TAdaptivePassEnd end = pass.Run(tension, evaluations_);
    const double ratio = end.State[0] / take_up_velocity_;
    if (!end.RanAway) {
      if (&pass == &pass_) {
        full_[0] = full_[1];
        full_[1] = {tension, std::log(ratio)};
        ++full_count_;
      }
      if (&pass == &pass_ && std::fabs(ratio - 1.0) < options_.VelocityTolerance) {
        root_ = tension;
        root_end_ = end;
        return 0.0;
      }
      return std::log(ratio);
    }
    // A runaway stops the pass; the earlier it ran away, the farther above the take-up
    // velocity its end would have been. Scaling by the share of the line it covered keeps r
    // growing with the tension and meets the full passes at the runaway limit.
    return std::log(ratio) * pass.Length() / std::max(end.X, 1e-3 * pass.Length());
  }

  const AdaptivePass& bracketing_pass_;
  const AdaptivePass& pass_;
  double take_up_velocity_;
  const TConvergedOptions& options_;
  long& evaluations_;
  int passes_ = 0;
  struct TFullPass {
    double Tension = 0.0;
    double Residual = 0.0;
  };
  TFullPass full_[2];  // the last two full passes that reached the end, the latest second
  int full_count_ = 0;
  bool bracketed_ = false;
  std::optional<double> root_;
  TAdaptivePassEnd root_end_;
};

// The root inside the bracket [low, high] whose residuals have opposite signs, by TOMS 748.
double RootInBracket(Shooting& shooting, double low, double low_residual, double high,
                     double high_residual) {
  if (low > high) {
    std::swap(low, high);
    std::swap(low_residual, high_residual);
  }
  shooting.MarkBracketed();
  // The shooting keeps the pass bound; TOMS 748 needs no bound of its own.
  std::uintmax_t iterations = std::numeric_limits<std::uintmax_t>::max();
  // The bracket shrinks to adjacent doubles only if the take-up end cannot be resolved to the
  // velocity tolerance: TOMS 748 stops there, and so does the search.
  boost::math::tools::toms748_solve(
      [&shooting](double f0) { return shooting.Residual(f0); }, low, high, low_residual,
      high_residual, [](double a, double b) { return b - a <= 4.0 * DBL_EPSILON * std::fabs(b); },
      iterations);
  if (!shooting.Root()) shooting.ThrowNoConvergence();
  return *shooting.Root();
}

// Secant steps from a neighbour's root until the root is met or bracketed; nullopt when they
// wander off, and the usual bracketing takes over.
std::optional<double> RootFromNeighbour(Shooting& shooting,
                                        const TConvergedOptions::TStart& start) {
  constexpr int kSecantSteps = 6;
  double a = start.Tension;
  double residual_a = shooting.Residual(a);
  if (residual_a == 0.0) return a;
  if (!(start.Slope > 0.0)) return std::nullopt;
  double b = a - residual_a / start.Slope;
  for (int step = 0; step < kSecantSteps && std::isfinite(b); ++step) {
    const double residual_b = shooting.Residual(b);
    if (residual_b == 0.0) return b;
    if (std::signbit(residual_a) != std::signbit(residual_b)) {
      return RootInBracket(shooting, a, residual_a, b, residual_b);
    }
    const double next = b - residual_b * (b - a) / (residual_b - residual_a);
    a = b;
    residual_a = residual_b;
    b = next;
  }
  return std::nullopt;
}

// The spinneret tension that meets the take-up velocity.
double FindSpinneretTension(Shooting& shooting, const TConvergedOptions& options) {
  if (options.Start) {
    if (const std::optional<double> root = RootFromNeighbour(shooting, *options.Start)) {
      return *root;
    }
  }
  // Fixed steps until one pass arrives too fast and one too slow, as the classical search.
  double tension = kFirstTension;
  double residual = shooting.BracketingResidual(tension);
  double other_tension = tension;
  double other_residual = residual;
  while (residual != 0.0 && std::signbit(residual) == std::signbit(other_residual)) {
    other_tension = tension;
    other_residual = residual;
    tension += residual > 0.0 ? -kTensionStep : kTensionStep;
    residual = shooting.BracketingResidual(tension);
  }
  if (residual == 0.0) return tension;
  return RootInBracket(shooting, tension, residual, other_tension, other_residual);
}

}  // namespace

TConvergedSolution SolveConverged(const TSpinCondition& condition,
                                  const TConvergedOptions& options) {
  // The air runs to ±infinity at the pole: no error control passes it, and a solution that
  // stepped over it would be no spinline.
  if (const std::optional<TAirPole> pole = AirPoleAlongTheLine(condition)) {
    CalculationError error(CalculationFault::kAirPoleOnTheLine, AirPoleRefusal(*pole));
    error.AddPosition("", pole->PositionCm);
    throw error;
  }
  ClearUpperVectorState();
  ClearFloatingPointFaults();
  const TSpinlineConstants<double>& k = options.Model.Laws;
  const TStructureConstants& structure_constants = options.Model.Structure;
  const bool with_structure = options.Structure || structure_constants.Coupled;
  const TStructureConstants* structure = with_structure ? &structure_constants : nullptr;
  // One-way, the structure follows the line without changing it: the bracketing passes,
  // which only look at the velocity, can leave it out.
  const std::optional<TStructureConstants> in_passes =
      with_structure ? std::optional(structure_constants) : std::nullopt;
  const std::optional<TStructureConstants> in_bracketing =
      structure_constants.Coupled ? in_passes : std::nullopt;
  const TSpinneretExit exit = SpinneretExit(condition, options.Model.Exit);
  ThrowOnFloatingPointFault();
  const AdaptivePass pass(condition, exit, options.Tolerance, k, in_passes);
  const AdaptivePass bracketing_pass(
      condition, exit,
      {std::max(options.Tolerance.Relative, kBracketingTolerance.Relative),
       std::max(options.Tolerance.Absolute, kBracketingTolerance.Absolute)},
      k, in_bracketing);

  TConvergedSolution solution;
  Shooting shooting(bracketing_pass, pass, exit.TakeUpVelocity, options, solution.Evaluations);
  try {
    solution.SpinneretTension = FindSpinneretTension(shooting, options);
  } catch (CalculationError& error) {
    if (error.Fault() != CalculationFault::kNoConvergence) {
      error.AddPass(", pass " + std::to_string(shooting.Passes()) + " of the converged solution",
                    shooting.Passes());
    }
    throw;
  }
  solution.Passes = shooting.Passes();
  solution.ResidualSlope = shooting.Slope();

  // The pass of the root once more if samples are wanted, now telling the recorder of them.
  TAdaptivePassEnd end = shooting.RootEnd();
  if (!options.SampleX.empty()) {
    solution.Profile.reserve(options.SampleX.size());
    SampleRecorder recorder(condition, exit.MassFlow, k, structure, solution.Profile);
    end = pass.Run(solution.SpinneretTension, solution.Evaluations, options.SampleX, &recorder);
    // The orientation frozen in at the freeze point stays, whatever the stress does after.
    if (end.FrozenBirefringence) {
      for (TConvergedSample& sample : solution.Profile) {
        if (!(sample.X >= *end.FreezePoint)) continue;
        sample.Birefringence = *end.FrozenBirefringence;
        sample.Orientation = structure_laws::Orientation(structure_constants, sample.Birefringence);
      }
    }
  }
  solution.FinalVelocity = end.State[0];
  solution.TakeUpTension = end.State[1];
  solution.FinalTemperature = end.State[2];
  solution.Length = pass.Length();
  solution.FreezePoint = end.FreezePoint;
  if (end.FreezePoint) {
    solution.FreezeState = SampleRecorder::SampleOf(condition, exit.MassFlow, k, structure,
                                                    *end.FreezePoint, end.FreezeState);
  }
  const TConvergedSample at_end =
      SampleRecorder::SampleOf(condition, exit.MassFlow, k, structure, end.X, end.State);
  solution.FinalDiameter = at_end.D;
  if (structure != nullptr) {
    TStructureSummary summary;
    summary.Birefringence = end.FrozenBirefringence.value_or(at_end.Birefringence);
    summary.Orientation = structure_laws::Orientation(*structure, summary.Birefringence);
    summary.Crystallinity = at_end.Crystallinity;
    summary.Coupled = structure->Coupled;
    summary.Onset = end.Onset;
    solution.Structure = summary;
  }
  solution.ExitVelocity = exit.Velocity;
  solution.ResidenceTime = end.State[kTime];
  solution.PeakStrainRate = end.PeakStrainRate;
  ThrowOnFloatingPointFault();
  return solution;
}

std::vector<double> ClassicalGrid(const TSpinlineProfile& profile) {
  const int n = profile.ZoneEndPoint[3];
  std::vector<double> x;
  x.reserve(static_cast<std::size_t>(std::max(n, 0)));
  for (int p = 1; p <= n; ++p) x.push_back(profile.X[p]);
  return x;
}

}  // namespace vellmor
