// One adaptive pass: odeint's Dormand–Prince 5(4) error stepper under step-size control, driven
// step by step so that the pass can land on the stretch ends and cut a step at an event.

#include "vellmor/converged/adaptive_driver.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include <boost/numeric/odeint/stepper/controlled_runge_kutta.hpp>
#include <boost/numeric/odeint/stepper/runge_kutta_dopri5.hpp>

#include "vellmor/base/floating_point_check.h"
#include "vellmor/base/run_error.h"
#include "vellmor/converged/state_algebra.h"
#include "vellmor/report/format_fixed.h"

namespace vellmor {
namespace {

namespace odeint = boost::numeric::odeint;

// The default weighted error norm of odeint over the controlled components, except that an
// estimate that is not finite (a trial step that overflowed or left the domain of a power)
// rejects the step with the largest cut instead of passing unseen through the maximum.
class FiniteErrorChecker {
 public:
  FiniteErrorChecker() = default;
  FiniteErrorChecker(const TIntegrationTolerance& tolerance, const TStateLayout& layout)
      : relative_(tolerance.Relative) {
    for (std::size_t i = 0; i < layout.Size(); ++i) {
      if (!layout[i].Controlled) continue;
      controlled_[count_] = i;
      absolute_[count_] = layout[i].AbsoluteScale * tolerance.Absolute;
      ++count_;
    }
  }

  template <class Algebra>
  double error(Algebra& /*algebra*/, const TState& y_old, const TState& dydx_old, TState& y_err,
               double dt) const {
    double worst = 0.0;
    for (std::size_t c = 0; c < count_; ++c) {
      const std::size_t i = controlled_[c];
      const double scale =
          absolute_[c] + relative_ * (std::fabs(y_old[i]) + std::fabs(dt * dydx_old[i]));
      const double ratio = std::fabs(y_err[i]) / scale;
      if (!(ratio <= DBL_MAX)) return DBL_MAX;
      worst = std::max(worst, ratio);
    }
    return worst;
  }

  // A first step that the controller then adjusts: one hundredth of the distance over which
  // the fastest-changing controlled component, measured against its tolerance, would change
  // by its own size; at most room.
  double StartingStep(const TState& y, const TState& dydx, double room) const {
    double state_norm = 0.0;
    double rate_norm = 0.0;
    for (std::size_t c = 0; c < count_; ++c) {
      const std::size_t i = controlled_[c];
      const double scale = absolute_[c] + relative_ * std::fabs(y[i]);
      state_norm = std::max(state_norm, std::fabs(y[i]) / scale);
      rate_norm = std::max(rate_norm, std::fabs(dydx[i]) / scale);
    }
    // A state at 0 (a perturbation) counts as one tolerance from it.
    const double step = rate_norm > 0.0 ? 0.01 * std::max(state_norm, 1.0) / rate_norm : room;
    return std::min(step, room);
  }

 private:
  double relative_ = 0.0;
  std::size_t controlled_[kMaxStateComponents] = {};
  double absolute_[kMaxStateComponents] = {};
  std::size_t count_ = 0;
};

using Dopri5 = odeint::runge_kutta_dopri5<TState, double, TState, double, TStateAlgebra>;
using ControlledDopri5 = odeint::controlled_runge_kutta<Dopri5, FiniteErrorChecker>;

// No pass of a spinline a metre long needs anywhere near this many trial steps.
constexpr long kMaxTrialsPerPass = 1'000'000;
// Restarting events in one pass: more means the state hovers at one, as a filament at 70 °C.
constexpr int kMaxRestartsPerPass = 1000;

std::string At(double x) { return " at x = " + FormatFixed(x, 15, 6) + " cm"; }

[[noreturn]] void ThrowStalled(const std::string& why, double x) {
  CalculationError error(CalculationFault::kStepSizeUnderflow,
                         "Converged solution stopped: " + why);
  error.AddPosition(At(x), x);
  throw error;
}

// A floating-point fault raised since the last check, or a state that is not finite, in what
// the pass keeps: the integration cannot go on.
void CheckAccepted(const TState& y, const TState& dydx, double x) {
  if (FloatingPointFaultRaised()) {
    try {
      ThrowOnFloatingPointFault();
    } catch (CalculationError& error) {
      error.AddPosition(At(x), x);
      throw;
    }
  }
  for (std::size_t i = 0; i < y.size(); ++i) {
    if (!std::isfinite(y[i]) || !std::isfinite(dydx[i])) {
      CalculationError error(CalculationFault::kInvalidOperation,
                             "Calculation stopped: invalid floating-point operation");
      error.AddPosition(At(x), x);
      throw error;
    }
  }
}

// Which side of each event the pass is on, and which are still watched.
class EventWatch {
 public:
  EventWatch(std::span<const TEvent> events, double x, const TState& y)
      : events_(events), side_(events.size()), armed_(events.size(), 1), g_(events.size()) {
    for (std::size_t i = 0; i < events.size(); ++i) side_[i] = NotNegative(events[i](x, y));
  }

  // Evaluates every watched event at (x, y); their values are those Crossed judges. Whether
  // any is on another side than the pass.
  bool Evaluate(double x, const TState& y) {
    bool changed = false;
    for (std::size_t i = 0; i < events_.size(); ++i) {
      if (!armed_[i]) continue;
      g_[i] = events_[i](x, y);
      changed = changed || NotNegative(g_[i]) != static_cast<bool>(side_[i]);
    }
    return changed;
  }
  double G(std::size_t i) const { return g_[i]; }
  // Whether event i's value of the last Evaluate is the event happening.
  bool Crossed(std::size_t i) const {
    if (!armed_[i] || NotNegative(g_[i]) == static_cast<bool>(side_[i])) return false;
    switch (events_[i].Direction) {
      case TEventDirection::kRising:
        return !side_[i];
      case TEventDirection::kFalling:
        return side_[i];
      case TEventDirection::kEither:
        break;
    }
    return true;
  }
  // Event i happened: the pass is on its other side.
  void Happened(std::size_t i) {
    side_[i] = !side_[i];
    if (events_[i].Once) armed_[i] = 0;
  }
  // After the step is kept: a change of side that is no event (the other direction) moves
  // the side along; a crossing not acted on (past the position kept) stays to be found again.
  void Follow() {
    for (std::size_t i = 0; i < events_.size(); ++i) {
      if (armed_[i] && NotNegative(g_[i]) != static_cast<bool>(side_[i]) && !Crossed(i)) {
        side_[i] = !side_[i];
      }
    }
  }

 private:
  std::span<const TEvent> events_;
  std::vector<char> side_;  // not negative
  std::vector<char> armed_;
  std::vector<double> g_;
};

// One run of the driver: where the pass is, its state and its stepper, piece by piece of the
// line and step by step.
class DriverPass {
 public:
  DriverPass(AdaptiveModel& model, const TIntegrationTolerance& tolerance, double x0,
             const TState& y0, std::span<const double> sample_x, StateObserver* observer)
      : model_(model),
        events_(model.Events()),
        ends_(model.StretchEnds()),
        x0_(x0),
        sample_x_(observer != nullptr ? sample_x : std::span<const double>()),
        observer_(observer),
        checker_(tolerance, model.Layout()),
        stepper_(checker_),
        // Steps shorter than this no longer move x by much more than its rounding.
        min_step_(16.0 * DBL_EPSILON * ends_.back()),
        x_(x0),
        y_(y0),
        dydx_(model.Layout().Zero()),
        y_new_(dydx_),
        dydx_new_(dydx_),
        y_cut_(dydx_),
        watch_(events_, x0, y0) {}

  TDriverEnd Run() {
    EmitSamples(x_, [this](double) { return y_; });
    for (std::size_t stretch = 0; stretch < ends_.size(); ++stretch) {
      while (x_ < ends_[stretch]) {
        const std::size_t stop = Piece(stretch);
        if (stop != TDriverEnd::kNoEvent) return {x_, y_, stop};
      }
    }
    EmitSamples(HUGE_VAL, [this](double) { return y_; });
    return {x_, y_, TDriverEnd::kNoEvent};
  }

 private:
  // A piece of the line from x_ in stretch: to the stretch's end or the first restart or
  // stop. The stopping event, if one ended it.
  std::size_t Piece(std::size_t stretch) {
    const double end = ends_[stretch];
    // A new piece at every stretch and every restart: the step before it used other laws,
    // so its last derivative is not this piece's first.
    model_.BeginPiece(stretch, x_, y_);
    model_.Derivatives(y_, dydx_, x_);
    CheckAccepted(y_, dydx_, x_);
    model_.OnPoint(x_, y_, dydx_, true);
    if (dt_ == 0.0) dt_ = checker_.StartingStep(y_, dydx_, end - x_);
    while (x_ < end) {
      // An event found a hair before a stretch end leaves nothing to integrate.
      if (end - x_ <= min_step_) {
        x_ = end;
        break;
      }
      Step(end);
      CheckAccepted(y_new_, dydx_new_, x_new_);
      double x_reached = x_new_;
      const std::size_t cut = ActOnEvents(x_reached);
      const TState& y_reached = cut != TDriverEnd::kNoEvent ? y_cut_ : y_new_;
      EmitSamples(x_reached, [this](double s) { return Dense(s); });
      // An uncut step's state was checked above; what the model and the observer computed
      // since is checked for its faults.
      if (cut != TDriverEnd::kNoEvent || FloatingPointFaultRaised()) {
        CheckAccepted(y_reached, dydx_new_, x_reached);
      }
      y_ = y_reached;
      dydx_ = dydx_new_;
      x_ = x_reached;
      if (cut != TDriverEnd::kNoEvent) {
        return events_[cut].Action == TEventAction::kStop ? cut : TDriverEnd::kNoEvent;
      }
    }
    return TDriverEnd::kNoEvent;
  }

  // One accepted step from x_ into x_new_, y_new_ and dydx_new_, landing exactly on end when it
  // reaches it.
  void Step(double end) {
    auto system = [this](const TState& s, TState& dsdx, double at) {
      model_.Derivatives(s, dsdx, at);
    };
    for (;;) {
      if (++trials_ > kMaxTrialsPerPass) ThrowStalled("too many steps", x_);
      const double room = end - x_;
      const bool landing = dt_ >= room;
      double step = landing ? room : dt_;
      if (step < min_step_) ThrowStalled("step size underflow", x_);
      double x_try = x_;
      if (stepper_.try_step(system, y_, dydx_, x_try, y_new_, dydx_new_, step) == odeint::success) {
        x_new_ = landing ? end : x_try;
        dt_ = landing ? std::max(step, dt_) : step;
        return;
      }
      // A rejected trial leaves nothing behind, its floating-point flags included.
      ClearFloatingPointFaults();
      dt_ = step;
    }
  }

  // The events in the step just taken: the model is told of those that only mark a position up
  // to where the step is kept, and of the first restart or stop, which cuts the step there
  // (x_reached, the state y_cut_). That event, kNoEvent if none.
  std::size_t ActOnEvents(double& x_reached) {
    if (!watch_.Evaluate(x_new_, y_new_)) {
      model_.OnPoint(x_new_, y_new_, dydx_new_, false);
      return TDriverEnd::kNoEvent;
    }
    std::size_t first = TDriverEnd::kNoEvent;
    for (std::size_t i = 0; i < events_.size(); ++i) {
      if (events_[i].Action == TEventAction::kRecord || !watch_.Crossed(i)) continue;
      if (++restarts_ > kMaxRestartsPerPass) {
        ThrowStalled("no way past " + std::string(events_[i].Name), x_);
      }
      const double at = Locate(i, x_new_, watch_.G(i));
      if (first == TDriverEnd::kNoEvent || at < x_reached) {
        first = i;
        x_reached = at;
      }
    }
    if (first != TDriverEnd::kNoEvent) {
      y_cut_ = Dense(x_reached);
      watch_.Evaluate(x_reached, y_cut_);
    }
    for (std::size_t i = 0; i < events_.size(); ++i) {
      if (events_[i].Action != TEventAction::kRecord || !watch_.Crossed(i)) continue;
      const double at = Locate(i, x_reached, watch_.G(i));
      model_.OnEvent(i, at, Dense(at));
      watch_.Happened(i);
    }
    if (first == TDriverEnd::kNoEvent) {
      model_.OnPoint(x_new_, y_new_, dydx_new_, false);
    } else {
      // The rate on this step's side of the event, which the model may want.
      TState dydx_cut = dydx_new_;
      model_.Derivatives(y_cut_, dydx_cut, x_reached);
      model_.OnPoint(x_reached, y_cut_, dydx_cut, false);
      model_.OnEvent(first, x_reached, y_cut_);
      watch_.Happened(first);
    }
    watch_.Follow();
    return first;
  }

  // The state at s in [x_, x_new_] from the step's dense output.
  TState Dense(double s) const {
    if (s >= x_new_) return y_new_;
    TState y_s = y_new_;
    stepper_.stepper().calc_state(s, y_s, y_, dydx_, x_, y_new_, dydx_new_, x_new_);
    return y_s;
  }

  // Where event i happens between x_ and to, with g_to its value there.
  double Locate(std::size_t i, double to, double g_to) const {
    const TEvent& event = events_[i];
    return LocateCrossing([&](double s) { return event(s, Dense(s)); }, x_, to, event(x_, y_),
                          g_to);
  }

  // Tells the observer of every sample up to position up_to, with state_at(x) the state there.
  template <class F>
  void EmitSamples(double up_to, F&& state_at) {
    while (next_sample_ < sample_x_.size() && sample_x_[next_sample_] <= up_to) {
      const double x = std::clamp(sample_x_[next_sample_], x0_, ends_.back());
      observer_->OnState(sample_x_[next_sample_], state_at(x));
      ++next_sample_;
    }
  }

  AdaptiveModel& model_;
  std::span<const TEvent> events_;
  std::span<const double> ends_;
  double x0_;
  std::span<const double> sample_x_;
  StateObserver* observer_;
  std::size_t next_sample_ = 0;
  FiniteErrorChecker checker_;
  ControlledDopri5 stepper_;
  double min_step_;
  double dt_ = 0.0;  // the controller's next step; 0 until the first piece sets it
  long trials_ = 0;
  int restarts_ = 0;
  // The pass at x_, and the step from there to x_new_.
  double x_;
  TState y_;
  TState dydx_;
  double x_new_ = 0.0;
  TState y_new_;
  TState dydx_new_;
  TState y_cut_;  // the state where an event cuts the step
  EventWatch watch_;
};

}  // namespace

TDriverEnd IntegrateAdaptive(AdaptiveModel& model, const TIntegrationTolerance& tolerance,
                             double x0, const TState& y0, std::span<const double> sample_x,
                             StateObserver* observer) {
  return DriverPass(model, tolerance, x0, y0, sample_x, observer).Run();
}

}  // namespace vellmor
