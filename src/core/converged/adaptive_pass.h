#pragma once

#include <cmath>
#include <optional>
#include <span>
#include <vector>

#include "core/converged/local_spinline_system.h"
#include "core/inputs/spin_condition.h"
#include "core/solver/init_spinline.h"

namespace vellmor {

// Error control of the adaptive integration: a step is accepted when every component's error
// estimate is within Absolute + Relative × (|y| + |h y'|).
struct TIntegrationTolerance {
  double Relative = 1e-8;
  double Absolute = 1e-8;  // V, F and T are all well above 1 in their units
};

// Told of the state at each requested position of a pass, in order.
class SpinlineStateObserver {
 public:
  virtual ~SpinlineStateObserver() = default;
  // y is the state (V, F, T) at position x (cm).
  virtual void OnState(double x, const TSpinlineState& y) = 0;
};

// The largest strain rate dV/dx of a pass and where it is (cm).
struct TStrainRatePeak {
  double Rate = 0.0;  // 1/s
  double X = 0.0;
};

// How a pass ended.
struct TAdaptivePassEnd {
  bool RanAway = false;    // stopped where the filament passed 1.2 × the take-up velocity
  double X = 0.0;          // where the pass stopped: the take-up end unless it ran away (cm)
  TSpinlineState State{};  // V, F, T and the time there
  // Where T first fell below the solidification temperature (cm), if it did, and the state
  // there.
  std::optional<double> FreezePoint;
  TSpinlineState FreezeState{};
  // The largest dV/dx: at the accepted steps' ends and the solidification crossing, where the
  // rate peaks inside a stretch at the vertex of the parabola through the three steps' ends
  // around it.
  TStrainRatePeak PeakStrainRate;
  // With the structure: the birefringence frozen in at the freeze point (at the exit when the
  // melt leaves colder), and where the crystallinity first reached the onset's, if it did.
  std::optional<double> FrozenBirefringence;
  std::optional<double> Onset;
};

// One pass down the spinline at a given spinneret tension with an adaptive embedded
// Runge–Kutta method (Dormand–Prince 5(4) with its dense output), every coefficient taken from
// the current state and the laws' constants k. The line is integrated stretch by stretch
// between the zone ends, which are discontinuities of the air; the solidification crossing
// (the glass point) is an event located on the dense output, and the integration restarts
// there with the other viscosity. With the structure, the crystallization window's upper
// edge is a located event in the same way, ψ is a controlled component of the state, and
// the onset of crystallization is located on the dense output. The pass stops at the end of the
// first step where the filament runs away (faster than 1.2 × the take-up velocity); a melt
// that leaves the spinneret faster than that has run away at x = 0, whatever the tension.
//
// Throws CalculationError on a floating-point fault in an accepted step (kInvalidOperation,
// kDivisionByZero, kOverflow) and when the step size underflows (kStepSizeUnderflow).
class AdaptivePass {
 public:
  AdaptivePass(const TSpinCondition& condition, const TSpinneretExit& exit,
               const TIntegrationTolerance& tolerance,
               const TSpinlineConstants<double>& k = kBuiltInConstants,
               std::optional<TStructureConstants> structure = std::nullopt);

  // The pass at spinneret_tension (dyn); each evaluation of the equations adds one to
  // evaluations. If observer is given, it is told the state at each of sample_x (cm, in
  // ascending order; positions outside 0 … the take-up end are taken at the nearer end) that
  // the pass reaches. Clears this thread's floating-point flags first.
  TAdaptivePassEnd Run(double spinneret_tension, long& evaluations,
                       std::span<const double> sample_x = {},
                       SpinlineStateObserver* observer = nullptr) const;

  // The take-up end of the line: the end position of zone 3 (cm).
  double Length() const { return length_; }

 private:
  // A stretch of the line with one zone's air.
  struct TStretch {
    double End = 0.0;  // cm
    TZoneAir Air;
  };

  // Which side of the crystallization window's edges the filament is on: below the
  // solidification temperature, inside the window (or simply molten without the structure),
  // at or above its upper edge. Every change is a located event.
  int Band(double t) const;
  // The edge between band and the next one in direction (+1 up, -1 down).
  double EdgeBetween(int band, int direction) const;

  TSpinlineConstants<double> k_;
  std::optional<TStructureConstants> structure_;
  double onset_psi_ = HUGE_VAL;
  std::size_t controlled_ = kControlledComponents;
  double iv_;
  double mass_flow_;
  double length_;
  double runaway_velocity_;  // cm/s
  TSpinlineState exit_state_without_tension_{};
  TIntegrationTolerance tolerance_;
  std::vector<TStretch> stretches_;
};

}  // namespace vellmor
