// Shooting on the spinneret tension F0 until the converged pass meets the take-up velocity:
//
//   r(F0) = 1 - V_takeup / V_end,  V_end = V at the take-up end
//
// (of a pass that ran away, what V_end would have been: below). First fixed steps of 2.5 dyn
// from 25 dyn, as the classical search, until r changes sign; then the shooting of
// newton_shooting.h on the one unknown F0 inside the bracket. Near the root r is nearly
// straight in F0 (ln(V_end / V_takeup) bends up towards the runaways, 1 / V_end hardly), and
// its slope there is that of the logarithm; a pass within the velocity tolerance counts as a
// root. That pass lies anywhere within the tolerance, as the steps happened to come from the
// start; the solution is that of one Newton step further,
//
//   F0* = F0 - r(F0) / r'(F0),   r' of the parabola through the last three full passes,
//
// whose error, r(F0) / r' times the relative error of r' (and the square of r(F0) / r'), lies
// far below the tolerance's: neighbouring conditions (a fit's differences) see a smooth F0*,
// wherever their shootings started.

#include "vellmor/converged/converged_solution.h"

#include "vellmor/converged/adaptive_pass.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <span>
#include <string>

#include "vellmor/analysis/air_pole.h"
#include "vellmor/base/floating_point_check.h"
#include "vellmor/base/run_error.h"
#include "vellmor/base/vector_state.h"
#include "vellmor/converged/newton_shooting.h"
#include "vellmor/solver/init_spinline.h"

namespace vellmor {
namespace {

constexpr double kFirstTension = 25.0;  // dyn, as the classical search
constexpr double kTensionStep = 2.5;    // dyn
// Bracketing passes only need to know on which side of the take-up velocity they arrive.
constexpr TIntegrationTolerance kBracketingTolerance{1e-5, 1e-5};

// Keeps the converged profile's samples, with the air of the zone that holds each position.
class SampleRecorder : public StateObserver {
 public:
  SampleRecorder(const TSpinCondition& condition, const TFilamentBlock& filament, double mass_flow,
                 const TSpinlineConstants<double>& k, const TStructureConstants* structure,
                 const TLocalAir* air, std::vector<TConvergedSample>& samples)
      : condition_(condition),
        filament_(filament),
        mass_flow_(mass_flow),
        k_(k),
        structure_(structure),
        air_(air),
        samples_(samples) {}

  void OnState(double x, const TState& y) override {
    samples_.push_back(SampleOf(condition_, filament_, mass_flow_, k_, structure_, air_, x, y));
  }

  // The sample of state y at x, with the air of the zone that holds x (a local air's where it
  // has that zone); with the structure, its birefringence that of the stress there (the caller
  // freezes it past the freeze point).
  static TConvergedSample SampleOf(const TSpinCondition& condition, const TFilamentBlock& filament,
                                   double mass_flow, const TSpinlineConstants<double>& k,
                                   const TStructureConstants* structure, const TLocalAir* air,
                                   double x, const TState& y) {
    const double t = y[filament.Temperature()];
    const LocalSpinlineSystem system(filament, condition.IV, mass_flow, ZoneAirAt(condition, x),
                                     t < k.SolidificationC, nullptr, k,
                                     TStructureMode{structure, false, std::nullopt},
                                     air != nullptr ? air->Of(ZoneAt(condition, x)) : nullptr);
    const TLocalPoint point = system.PointAt(y, x);
    TConvergedSample sample{
        x, y[filament.Velocity()], y[filament.Tension()], t, point.D, point.TA, point.H};
    if (structure != nullptr) {
      sample.Stress = point.Stress;
      sample.Birefringence = point.Birefringence;
      sample.Orientation = point.Orientation;
      sample.Crystallinity = structure_laws::Crystallinity(*structure, y[filament.Psi()]);
    }
    return sample;
  }

 private:
  const TSpinCondition& condition_;
  TFilamentBlock filament_;
  double mass_flow_;
  const TSpinlineConstants<double>& k_;
  const TStructureConstants* structure_;
  const TLocalAir* air_;
  std::vector<TConvergedSample>& samples_;
};

// A pass of the bracketing: its spinneret tension (dyn), r(F0), and whether it ran away.
struct TTrial {
  double Tension = 0.0;
  double Residual = 0.0;
  bool RanAway = false;
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

  // A bracketing pass at tension.
  TTrial Bracketing(double tension) {
    double residual = Residual(bracketing_pass_, tension);
    if (residual == 0.0 || std::fabs(residual) <= kSureSide) residual = Residual(tension);
    return {tension, residual, last_ran_away_};
  }

  // r(F0) at the full tolerance, or exactly 0 when the pass meets the take-up velocity within
  // the velocity tolerance.
  double Residual(double tension) { return Residual(pass_, tension); }

  const std::optional<double>& Root() const { return root_; }
  // The root one Newton step beyond the pass that met the take-up velocity, with the slope
  // there of the parabola through the last three full passes (the secant through two; with
  // one, the slope given); the met root itself where the slope does not grow with the tension.
  double PolishedRoot(double slope) const {
    if (full_count_ >= 2)
      slope = SlopeAtNewest(std::span(full_).last(static_cast<std::size_t>(full_count_)));
    if (!root_ || !(slope > 0.0) || !std::isfinite(slope)) return root_.value_or(0.0);
    return *root_ - full_[2].R / slope;
  }
  // Whether a full pass that ended so meets the take-up velocity within the tolerance.
  bool Meets(const TAdaptivePassEnd& end) const {
    return !end.RanAway && std::fabs(end.State[pass_.Filament().Velocity()] / take_up_velocity_ -
                                     1.0) < options_.VelocityTolerance;
  }
  // The slope of r between the last two passes at the full tolerance that reached the take-up
  // end at different tensions; 0 without two such passes.
  double Slope() const {
    if (full_count_ < 2) return 0.0;
    return (full_[2].R - full_[1].R) / (full_[2].U - full_[1].U);
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
    const double ratio = end.State[pass.Filament().Velocity()] / take_up_velocity_;
    last_ran_away_ = end.RanAway;
    if (!end.RanAway) {
      if (&pass == &pass_) Remember(tension, 1.0 - 1.0 / ratio);
      if (&pass == &pass_ && std::fabs(ratio - 1.0) < options_.VelocityTolerance) {
        root_ = tension;
        root_end_ = end;
        return 0.0;
      }
      return (1.0 - 1.0 / ratio);
    }
    // A runaway stops the pass; the earlier it ran away, the farther above the take-up
    // velocity its end would have been: as if V grew by the same factor over each share of
    // the line it covered, V_end / V_takeup = ratio^(L / X). That keeps r growing with the
    // tension, below 1, and meets the full passes at the runaway limit.
    return 1.0 - std::pow(ratio, -pass.Length() / std::max(end.X, 1e-3 * pass.Length()));
  }

  // A full pass that reached the take-up end; one at the latest's tension replaces it.
  void Remember(double tension, double residual) {
    if (full_count_ == 0 || full_[2].U != tension) {
      full_[0] = full_[1];
      full_[1] = full_[2];
      full_count_ = std::min(full_count_ + 1, 3);
    }
    full_[2] = {tension, residual};
  }

  const AdaptivePass& bracketing_pass_;
  const AdaptivePass& pass_;
  double take_up_velocity_;
  const TConvergedOptions& options_;
  long& evaluations_;
  int passes_ = 0;
  bool last_ran_away_ = false;
  // The last three full passes that reached the end at different tensions, the latest last:
  // (F0, r).
  TShootingStart::TPoint full_[3];
  int full_count_ = 0;
  bool bracketed_ = false;
  std::optional<double> root_;
  TAdaptivePassEnd root_end_;
};

// r(F0) at the full tolerance as the shooting's one residual of one unknown.
TResidualFunction ResidualOf(Shooting& shooting) {
  return [&shooting](std::span<const double> f0, std::span<double> r) {
    r[0] = shooting.Residual(f0[0]);
  };
}

// The root inside the bracket of the last two bracketing passes, whose residuals have opposite
// signs. The shooting starts from the end nearer the root that reached the take-up end, with
// its residual.
double RootInBracket(Shooting& shooting, std::span<const TTrial> trials) {
  shooting.MarkBracketed();
  const TTrial& last = trials[trials.size() - 1];
  const TTrial& other = trials[trials.size() - 2];
  TShootingOptions options;
  // The shooting keeps the pass bound; the shooter needs no bound of its own. The bracket
  // shrinks to adjacent doubles only if the take-up end cannot be resolved to the velocity
  // tolerance: the shooter stops there, and so does the search.
  options.MaxEvaluations = INT_MAX;
  const bool last_low = last.Tension < other.Tension;
  const TTrial& low = last_low ? last : other;
  const TTrial& high = last_low ? other : last;
  options.Bracket = {low.Tension, low.Residual, high.Tension, high.Residual};
  // Only a pass with a positive residual runs away: one end at least reached the take-up end.
  const bool start_last =
      other.RanAway || (!last.RanAway && std::fabs(last.Residual) < std::fabs(other.Residual));
  const TTrial& start = start_last ? last : other;
  const TTrial& far = start_last ? other : last;
  TShootingStart shot{{start.Tension}, {start.Residual}, {}, {}};
  // The two passes nearest the start that reached the take-up end give the first slope, or
  // the far end alone (the chord).
  std::vector<TTrial> near;
  for (const TTrial& trial : trials) {
    if (!trial.RanAway && trial.Tension != start.Tension) near.push_back(trial);
  }
  std::sort(near.begin(), near.end(), [&start](const TTrial& a, const TTrial& b) {
    return std::fabs(a.Tension - start.Tension) > std::fabs(b.Tension - start.Tension);
  });
  if (near.empty()) near.push_back(far);
  for (std::size_t i = near.size() > 2 ? near.size() - 2 : 0; i < near.size(); ++i) {
    shot.Before.push_back({near[i].Tension, near[i].Residual});
  }
  Shoot(ResidualOf(shooting), shot, options);
  if (!shooting.Root()) shooting.ThrowNoConvergence();
  return *shooting.Root();
}

// The shooting from a neighbour's root with its slope (by a difference when it has none);
// nullopt when its steps wander off without meeting or bracketing the root, and the usual
// bracketing takes over.
std::optional<double> RootFromNeighbour(Shooting& shooting,
                                        const TConvergedOptions::TStart& start) {
  TShootingOptions options;
  options.MaxEvaluations = 7;
  std::vector<double> slope;
  if (start.Slope > 0.0) slope = {start.Slope};
  const TShootingResult shot =
      Shoot(ResidualOf(shooting), {{start.Tension}, {}, slope, {}}, options);
  if (shooting.Root()) return *shooting.Root();
  if (shot.Bracket) {
    const TTrial ends[] = {{shot.Bracket->Low, shot.Bracket->LowResidual, false},
                           {shot.Bracket->High, shot.Bracket->HighResidual, false}};
    return RootInBracket(shooting, ends);
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
  std::vector<TTrial> trials{shooting.Bracketing(kFirstTension)};
  while (trials.back().Residual != 0.0 &&
         (trials.size() == 1 ||
          std::signbit(trials.back().Residual) == std::signbit(trials.end()[-2].Residual))) {
    const TTrial& last = trials.back();
    trials.push_back(
        shooting.Bracketing(last.Tension + (last.Residual > 0.0 ? -kTensionStep : kTensionStep)));
  }
  if (trials.back().Residual == 0.0) return trials.back().Tension;
  return RootInBracket(shooting, trials);
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
  const AdaptivePass pass(condition, exit, options.Tolerance, k, in_passes, options.Air);
  const AdaptivePass bracketing_pass(
      condition, exit,
      {std::max(options.Tolerance.Relative, kBracketingTolerance.Relative),
       std::max(options.Tolerance.Absolute, kBracketingTolerance.Absolute)},
      k, in_bracketing, options.Air);

  TConvergedSolution solution;
  Shooting shooting(bracketing_pass, pass, exit.TakeUpVelocity, options, solution.Evaluations);
  double met = 0.0;
  try {
    met = FindSpinneretTension(shooting, options);
  } catch (CalculationError& error) {
    if (error.Fault() != CalculationFault::kNoConvergence) {
      error.AddPass(", pass " + std::to_string(shooting.Passes()) + " of the converged solution",
                    shooting.Passes());
    }
    throw;
  }
  solution.Passes = shooting.Passes();
  solution.ResidualSlope = shooting.Slope();

  // The pass at the polished root, telling the recorder of the samples; should it miss the
  // take-up velocity (a slope gone wrong), the met root's pass once more.
  const double polished = shooting.PolishedRoot(options.Start ? options.Start->Slope : 0.0);
  solution.SpinneretTension = met;
  TAdaptivePassEnd end = shooting.RootEnd();
  SampleRecorder recorder(condition, pass.Filament(), exit.MassFlow, k, structure, options.Air,
                          solution.Profile);
  StateObserver* observer = options.SampleX.empty() ? nullptr : &recorder;
  if ((options.Polish && polished != met) || observer != nullptr) {
    for (const double tension : {polished, met}) {
      solution.Profile.clear();
      solution.Profile.reserve(options.SampleX.size());
      end = pass.Run(tension, solution.Evaluations, options.SampleX, observer);
      solution.SpinneretTension = tension;
      if (tension == met || shooting.Meets(end)) break;
    }
  }
  // The orientation frozen in at the freeze point stays, whatever the stress does after.
  if (end.FrozenBirefringence) {
    for (TConvergedSample& sample : solution.Profile) {
      if (!(sample.X >= *end.FreezePoint)) continue;
      sample.Birefringence = *end.FrozenBirefringence;
      sample.Orientation = structure_laws::Orientation(structure_constants, sample.Birefringence);
    }
  }
  const TFilamentBlock& filament = pass.Filament();
  solution.FinalVelocity = end.State[filament.Velocity()];
  solution.TakeUpTension = end.State[filament.Tension()];
  solution.FinalTemperature = end.State[filament.Temperature()];
  solution.Length = pass.Length();
  solution.FreezePoint = end.FreezePoint;
  if (end.FreezePoint) {
    solution.FreezeState =
        SampleRecorder::SampleOf(condition, filament, exit.MassFlow, k, structure, options.Air,
                                 *end.FreezePoint, end.FreezeState);
  }
  const TConvergedSample at_end = SampleRecorder::SampleOf(
      condition, filament, exit.MassFlow, k, structure, options.Air, end.X, end.State);
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
  solution.ResidenceTime = end.State[filament.Time()];
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
