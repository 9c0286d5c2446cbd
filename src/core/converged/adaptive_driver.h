#pragma once

// The driver of an adaptive pass along the line: odeint's Dormand–Prince 5(4) error stepper
// under step-size control, driven step by step over whatever state a model declares. It lands
// on the ends of the model's stretches (where its laws jump), watches the model's events on
// each step's dense output, and tells an observer the state at requested positions. It knows
// nothing of spinlines: the model gives the layout, the system of each smooth piece and the
// events, and is told where they happen.

#include <cstddef>
#include <span>

#include "vellmor/converged/event_list.h"
#include "vellmor/converged/state_layout.h"

namespace vellmor {

// Error control of the adaptive integration: a step is accepted when every controlled
// component's error estimate is within Absolute × its scale + Relative × (|y| + |h y'|).
struct TIntegrationTolerance {
  double Relative = 1e-8;
  double Absolute = 1e-8;  // V, F and T are all well above 1 in their units
};

// Told of the state at each requested position of a pass, in order.
class StateObserver {
 public:
  virtual ~StateObserver() = default;
  virtual void OnState(double x, const TState& y) = 0;
};

// What the driver integrates.
class AdaptiveModel {
 public:
  virtual ~AdaptiveModel() = default;

  virtual const TStateLayout& Layout() const = 0;
  // The ends of the stretches of the line, ascending; the last is the end of the pass.
  virtual std::span<const double> StretchEnds() const = 0;
  // The events to watch, in the order that breaks ties between events at one position.
  virtual std::span<const TEvent> Events() const = 0;

  // A smooth piece of the line starts at x with state y inside stretch `stretch`: at each
  // stretch's start and after each restarting event. Derivatives are those of this piece
  // until the next.
  virtual void BeginPiece(std::size_t stretch, double x, const TState& y) = 0;
  // dy/dx at state y and position x, of the current piece.
  virtual void Derivatives(const TState& y, TState& dydx, double x) const = 0;
  // Event `event` of the list happens at x with state y (before the next piece begins).
  virtual void OnEvent(std::size_t event, double x, const TState& y) = 0;
  // Each point the pass keeps: a piece's start (new_piece), each accepted step's end, and the
  // position of a restart or stop, with dy/dx of the piece that reached it.
  virtual void OnPoint(double /*x*/, const TState& /*y*/, const TState& /*dydx*/,
                       bool /*new_piece*/) {}
};

// How a pass ended: at the last stretch end, or where a stopping event happened.
struct TDriverEnd {
  double X = 0.0;
  TState State;
  std::size_t StopEvent = kNoEvent;  // the event that stopped it, kNoEvent at the end

  static constexpr std::size_t kNoEvent = static_cast<std::size_t>(-1);
};

// Integrates model from x0 with state y0 to its last stretch end. If observer is given, it is
// told the state at each of sample_x (ascending; positions outside x0 … the end are taken at
// the nearer one) that the pass reaches. An event already past at x0 does not happen there.
//
// Throws CalculationError on a floating-point fault or a state that is not finite in an
// accepted step (kInvalidOperation, kDivisionByZero, kOverflow) and when the step size
// underflows, the steps run out, or a restarting event keeps happening (kStepSizeUnderflow).
TDriverEnd IntegrateAdaptive(AdaptiveModel& model, const TIntegrationTolerance& tolerance,
                             double x0, const TState& y0, std::span<const double> sample_x = {},
                             StateObserver* observer = nullptr);

}  // namespace vellmor
