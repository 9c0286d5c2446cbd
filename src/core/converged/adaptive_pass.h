#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "vellmor/converged/adaptive_driver.h"
#include "vellmor/converged/event_list.h"
#include "vellmor/converged/local_air.h"
#include "vellmor/converged/local_spinline_system.h"
#include "vellmor/converged/state_layout.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/solver/init_spinline.h"

namespace vellmor {

// How a pass ended.
struct TAdaptivePassEnd {
  bool RanAway = false;  // stopped where the filament reached 1.2 × the take-up velocity
  double X = 0.0;        // where the pass stopped: the take-up end unless it ran away (cm)
  TState State;          // the filament there (AdaptivePass::Filament names its components)
  // Where T first fell below the solidification temperature (cm), if it did, and the state
  // there.
  std::optional<double> FreezePoint;
  TState FreezeState;
  // The largest dV/dx: at the accepted steps' ends and the solidification crossing, where the
  // rate peaks inside a stretch at the vertex of the parabola through the three steps' ends
  // around it.
  TStrainRatePeak PeakStrainRate;
  // With the structure: the birefringence frozen in at the freeze point (at the exit when the
  // melt leaves colder), and where the crystallinity first reached the onset's, if it did.
  std::optional<double> FrozenBirefringence;
  std::optional<double> Onset;
};

// What ended a smooth piece of a pass.
enum class TPieceEnd {
  kStretchEnd,  // a zone end, or the take-up end
  kGlassPoint,  // the solidification crossing
  kWindowEdge,  // the crystallization window's upper edge
};

// One smooth piece of a pass as a computation that follows the same steps sees it (the
// derivatives of the solution): its stretch and laws, where it began, the ends of its accepted
// steps, and what ended it at the next piece's start (or the take-up end).
struct TPassPiece {
  std::size_t Stretch = 0;
  bool Glassy = false;    // below the solidification temperature
  bool InWindow = false;  // with the structure: crystallizing
  bool Frozen = false;    // with the structure: the birefringence frozen in
  double Start = 0.0;     // cm
  // The last one short of the piece's end when the driver stepped the last hair to a stretch
  // end without a step.
  std::vector<double> StepEnds;
  TPieceEnd End = TPieceEnd::kStretchEnd;
};

// The pieces of one pass, in order, and the ends of its stretches (the last the take-up end).
struct TPassTrace {
  std::vector<TPassPiece> Pieces;
  std::vector<double> StretchEnds;
};

// One pass down the spinline at a given spinneret tension with an adaptive embedded
// Runge–Kutta method (Dormand–Prince 5(4) with its dense output, adaptive_driver.h), every
// coefficient taken from the current state and the laws' constants k. The line is integrated
// stretch by stretch between the zone ends, which are discontinuities of the air. Its events,
// located on the dense output: the solidification crossing (the glass point), where the
// integration restarts with the other viscosity; with the structure the crystallization
// window's upper edge, a restart in the same way, and the onset of crystallization, only noted
// (ψ is then a controlled component of the state); and the runaway, where the filament reaches
// 1.2 × the take-up velocity and the pass stops. A melt that leaves the spinneret faster than
// that has run away at x = 0, whatever the tension. With a local air (which must outlive the
// pass), each zone that has a table of it reads its air from there.
//
// Throws CalculationError on a floating-point fault in an accepted step (kInvalidOperation,
// kDivisionByZero, kOverflow) and when the step size underflows (kStepSizeUnderflow).
class AdaptivePass {
 public:
  AdaptivePass(const TSpinCondition& condition, const TSpinneretExit& exit,
               const TIntegrationTolerance& tolerance,
               const TSpinlineConstants<double>& k = kBuiltInConstants,
               std::optional<TStructureConstants> structure = std::nullopt,
               const TLocalAir* air = nullptr);

  // The pass at spinneret_tension (dyn); each evaluation of the equations adds one to
  // evaluations. If observer is given, it is told the state at each of sample_x (cm, in
  // ascending order; positions outside 0 … the take-up end are taken at the nearer end) that
  // the pass reaches. If trace is given, it is told the pass's pieces and steps. Clears this
  // thread's floating-point flags first.
  TAdaptivePassEnd Run(double spinneret_tension, long& evaluations,
                       std::span<const double> sample_x = {}, StateObserver* observer = nullptr,
                       TPassTrace* trace = nullptr) const;

  // The take-up end of the line: the end position of zone 3 (cm).
  double Length() const { return ends_.back(); }
  // Where the filament's components sit in the states of this pass: ψ only with the
  // structure.
  const TFilamentBlock& Filament() const { return filament_; }

 private:
  class PassModel;  // one run's model for the driver

  TSpinlineConstants<double> k_;
  std::optional<TStructureConstants> structure_;
  bool window_ = false;  // with the structure, a crystallization window above the glass point
  double iv_;
  double mass_flow_;
  double exit_velocity_;     // cm/s
  double melt_temperature_;  // °C
  double runaway_velocity_;  // cm/s
  TIntegrationTolerance tolerance_;
  TStateLayout layout_;
  TFilamentBlock filament_;
  // The stretches of the line, each with one zone's air: their ends (cm) and airs.
  std::vector<double> ends_;
  std::vector<TZoneAir> airs_;
  std::vector<const TAirAlongZone*> local_airs_;  // null where the zone's own air blows
  // The events and where each is in the list (kNoEvent when not watched).
  std::vector<TEvent> events_;
  std::size_t solidification_ = TDriverEnd::kNoEvent;
  std::size_t window_edge_ = TDriverEnd::kNoEvent;
  std::size_t onset_ = TDriverEnd::kNoEvent;
};

}  // namespace vellmor
