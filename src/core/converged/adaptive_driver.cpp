// One adaptive pass: odeint's Dormand–Prince 5(4) error stepper under step-size control, driven
// step by step so that the pass can land on the stretch ends and cut a step at an event.

#include "core/converged/adaptive_driver.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include <boost/numeric/odeint/stepper/controlled_runge_kutta.hpp>
#include <boost/numeric/odeint/stepper/runge_kutta_dopri5.hpp>

#include "core/base/floating_point_check.h"
#include "core/base/run_error.h"
#include "core/converged/state_algebra.h"
#include "core/report/format_fixed.h"

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

}  // namespace

TDriverEnd IntegrateAdaptive(AdaptiveModel& model, const TIntegrationTolerance& tolerance,
                             double x0, const TState& y0, std::span<const double> sample_x,
                             StateObserver* observer) {
  const std::span<const double> ends = model.StretchEnds();
  const std::span<const TEvent> events = model.Events();
  const double length = ends.back();
  if (observer == nullptr) sample_x = {};
  std::size_t next_sample = 0;
  // Tells the observer of every sample up to position up_to, with state_at(x) the state there.
  auto emit_samples = [&](double up_to, auto&& state_at) {
    while (next_sample < sample_x.size() && sample_x[next_sample] <= up_to) {
      const double x = std::clamp(sample_x[next_sample], x0, length);
      observer->OnState(sample_x[next_sample], state_at(x));
      ++next_sample;
    }
  };

  double x = x0;
  TState y = y0;
  emit_samples(x, [&](double) { return y; });
  EventWatch watch(events, x, y);
  auto system = [&model](const TState& s, TState& dsdx, double at) {
    model.Derivatives(s, dsdx, at);
  };
  const FiniteErrorChecker checker(tolerance, model.Layout());
  ControlledDopri5 stepper{checker};
  // Steps shorter than this no longer move x by much more than its rounding.
  const double min_step = 16.0 * DBL_EPSILON * length;
  double dt = 0.0;  // the controller's next step; 0 until the first piece sets it
  long trials = 0;
  int restarts = 0;
  TState dydx = model.Layout().Zero();
  TState y_new = dydx;
  TState dydx_new = dydx;
  TState y_cut = dydx;  // the state where an event cuts a step
  for (std::size_t stretch = 0; stretch < ends.size(); ++stretch) {
    const double stretch_end = ends[stretch];
    while (x < stretch_end) {
      // A new piece at every stretch and every restart: the step before it used other laws,
      // so its last derivative is not this piece's first.
      model.BeginPiece(stretch, x, y);
      model.Derivatives(y, dydx, x);
      CheckAccepted(y, dydx, x);
      model.OnPoint(x, y, dydx, true);
      if (dt == 0.0) dt = checker.StartingStep(y, dydx, stretch_end - x);

      bool restarted = false;
      while (!restarted && x < stretch_end) {
        // An event found a hair before a stretch end leaves nothing to integrate.
        if (stretch_end - x <= min_step) {
          x = stretch_end;
          break;
        }
        // One accepted step, landing exactly on the stretch's end when it reaches it.
        double x_new = x;
        for (;;) {
          if (++trials > kMaxTrialsPerPass) ThrowStalled("too many steps", x);
          const double room = stretch_end - x;
          const bool landing = dt >= room;
          double step = landing ? room : dt;
          if (step < min_step) ThrowStalled("step size underflow", x);
          double x_try = x;
          if (stepper.try_step(system, y, dydx, x_try, y_new, dydx_new, step) == odeint::success) {
            x_new = landing ? stretch_end : x_try;
            dt = landing ? std::max(step, dt) : step;
            break;
          }
          // A rejected trial leaves nothing behind, its floating-point flags included.
          ClearFloatingPointFaults();
          dt = step;
        }
        CheckAccepted(y_new, dydx_new, x_new);

        // The state at s in [x, x_new] from the step's dense output.
        auto dense = [&](double s) {
          if (s >= x_new) return y_new;
          TState y_s = y_new;
          stepper.stepper().calc_state(s, y_s, y, dydx, x, y_new, dydx_new, x_new);
          return y_s;
        };
        auto locate = [&](std::size_t i, double to, double g_to) {
          const TEvent& event = events[i];
          return LocateCrossing([&](double s) { return event(s, dense(s)); }, x, to, event(x, y),
                                g_to);
        };
        // The first restart or stop in the step cuts it there; the events that only mark a
        // position are looked for up to where the step is kept.
        std::size_t first = TDriverEnd::kNoEvent;
        double x_reached = x_new;
        const bool changed = watch.Evaluate(x_new, y_new);
        if (changed) {
          for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i].Action == TEventAction::kRecord || !watch.Crossed(i)) continue;
            if (++restarts > kMaxRestartsPerPass) {
              ThrowStalled("no way past " + std::string(events[i].Name), x);
            }
            const double at = locate(i, x_new, watch.G(i));
            if (first == TDriverEnd::kNoEvent || at < x_reached) {
              first = i;
              x_reached = at;
            }
          }
          if (first != TDriverEnd::kNoEvent) {
            y_cut = dense(x_reached);
            watch.Evaluate(x_reached, y_cut);
          }
          for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i].Action != TEventAction::kRecord || !watch.Crossed(i)) continue;
            const double at = locate(i, x_reached, watch.G(i));
            model.OnEvent(i, at, dense(at));
            watch.Happened(i);
          }
        }
        const bool cut = first != TDriverEnd::kNoEvent;
        const TState& y_reached = cut ? y_cut : y_new;
        if (cut) {
          // The rate on this step's side of the event, which the model may want.
          TState dydx_reached = dydx_new;
          model.Derivatives(y_reached, dydx_reached, x_reached);
          model.OnPoint(x_reached, y_reached, dydx_reached, false);
          model.OnEvent(first, x_reached, y_reached);
          watch.Happened(first);
          restarted = true;
        } else {
          model.OnPoint(x_new, y_new, dydx_new, false);
        }
        if (changed) watch.Follow();
        emit_samples(x_reached, dense);
        // An uncut step's state was checked above; what the model and the observer computed
        // since is checked for its faults.
        if (cut || FloatingPointFaultRaised()) CheckAccepted(y_reached, dydx_new, x_reached);
        y = y_reached;
        dydx = dydx_new;
        x = x_reached;
        if (cut && events[first].Action == TEventAction::kStop) {
          return {x, y, first};
        }
      }
    }
  }
  emit_samples(HUGE_VAL, [&](double) { return y; });
  return {x, y, TDriverEnd::kNoEvent};
}

}  // namespace vellmor
