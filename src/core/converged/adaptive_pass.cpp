// One pass of the converged solution, from the spinneret exit (V0, F0, T0) to the take-up end:
// odeint's Dormand–Prince 5(4) error stepper under step-size control, driven step by step so
// that the pass can stop at the zone ends, at the glass point and at a runaway.

#include "core/converged/adaptive_pass.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>

#include <boost/math/tools/toms748_solve.hpp>
#include <boost/numeric/odeint/stepper/controlled_runge_kutta.hpp>
#include <boost/numeric/odeint/stepper/runge_kutta_dopri5.hpp>

#include "core/base/floating_point_check.h"
#include "core/base/run_error.h"
#include "core/report/format_fixed.h"
#include "core/structure/structure_laws.h"

namespace vellmor {
namespace {

namespace odeint = boost::numeric::odeint;

// V, F and T are well above 1 in their units; ψ is a fraction of 1, a tenth at the end of a
// fast line, and a hundredth at the onset: its absolute tolerance is that much finer.
double AbsoluteTolerance(const TIntegrationTolerance& tolerance, std::size_t component) {
  return component == kPsi ? 1e-3 * tolerance.Absolute : tolerance.Absolute;
}

// The default weighted error norm of odeint, except that an estimate that is not finite (a
// trial step that overflowed or left the domain of a power) rejects the step with the
// largest cut instead of passing unseen through the maximum.
class FiniteErrorChecker {
 public:
  FiniteErrorChecker() = default;
  FiniteErrorChecker(const TIntegrationTolerance& tolerance, std::size_t controlled)
      : tolerance_(tolerance), controlled_(controlled) {}

  template <class Algebra>
  double error(Algebra& /*algebra*/, const TSpinlineState& y_old, const TSpinlineState& dydx_old,
               TSpinlineState& y_err, double dt) const {
    double worst = 0.0;
    for (std::size_t i = 0; i < controlled_; ++i) {
      const double scale =
          AbsoluteTolerance(tolerance_, i) +
          tolerance_.Relative * (std::fabs(y_old[i]) + std::fabs(dt * dydx_old[i]));
      const double ratio = std::fabs(y_err[i]) / scale;
      if (!(ratio <= DBL_MAX)) return DBL_MAX;
      worst = std::max(worst, ratio);
    }
    return worst;
  }

 private:
  TIntegrationTolerance tolerance_;
  std::size_t controlled_ = kControlledComponents;
};

using Dopri5 = odeint::runge_kutta_dopri5<TSpinlineState>;
using ControlledDopri5 = odeint::controlled_runge_kutta<Dopri5, FiniteErrorChecker>;

// No pass of a spinline a metre long needs anywhere near this many trial steps.
constexpr long kMaxTrialsPerPass = 1'000'000;
// Glass-point crossings in one pass: more means the filament hovers at 70 °C.
constexpr int kMaxCrossingsPerPass = 1000;

std::string At(double x) { return " at x = " + FormatFixed(x, 15, 6) + " cm"; }

[[noreturn]] void ThrowStalled(const std::string& why, double x) {
  CalculationError error(CalculationFault::kStepSizeUnderflow,
                         "Converged solution stopped: " + why);
  error.AddPosition(At(x), x);
  throw error;
}

// A floating-point fault raised since the last check, or a state that is not finite, in what
// the pass keeps: the integration cannot go on.
void CheckAccepted(const TSpinlineState& y, const TSpinlineState& dydx, double x) {
  try {
    ThrowOnFloatingPointFault();
  } catch (CalculationError& error) {
    error.AddPosition(At(x), x);
    throw;
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

// A first step that the controller then adjusts: one hundredth of the distance over which the
// fastest-changing component, measured against its tolerance, would change by itself.
double StartingStep(const TSpinlineState& y, const TSpinlineState& dydx,
                    const TIntegrationTolerance& tolerance, std::size_t controlled, double room) {
  double state_norm = 0.0;
  double rate_norm = 0.0;
  for (std::size_t i = 0; i < controlled; ++i) {
    const double scale = AbsoluteTolerance(tolerance, i) + tolerance.Relative * std::fabs(y[i]);
    state_norm = std::max(state_norm, std::fabs(y[i]) / scale);
    rate_norm = std::max(rate_norm, std::fabs(dydx[i]) / scale);
  }
  const double step = rate_norm > 0.0 ? 0.01 * state_norm / rate_norm : room;
  return std::min(step, room);
}

// Follows dV/dx along a pass for its peak. Within one stretch on one side of the glass point
// the rate is smooth, and a peak between step ends lies at the vertex of the parabola through
// the three around it; across those boundaries the points are only compared.
class PeakFinder {
 public:
  // The rate at x; new_piece when x starts another smooth piece of the line.
  void Add(double x, double rate, bool new_piece) {
    if (new_piece) count_ = 0;
    if (!found_ || rate > peak_.Rate) {
      peak_ = {rate, x};
      found_ = true;
    }
    x_[0] = x_[1];
    x_[1] = x_[2];
    rate_[0] = rate_[1];
    rate_[1] = rate_[2];
    x_[2] = x;
    rate_[2] = rate;
    if (++count_ >= 3 && rate_[1] >= rate_[0] && rate_[1] >= rate_[2]) Refine();
  }

  TStrainRatePeak Peak() const { return peak_; }

 private:
  void Refine() {
    // Divided differences of the three points; the vertex where the parabola's slope is 0.
    const double d01 = (rate_[1] - rate_[0]) / (x_[1] - x_[0]);
    const double d12 = (rate_[2] - rate_[1]) / (x_[2] - x_[1]);
    const double curvature = (d12 - d01) / (x_[2] - x_[0]);
    if (!(curvature < 0.0)) return;
    const double vertex = 0.5 * (x_[0] + x_[1]) - d01 / (2.0 * curvature);
    if (!(vertex > x_[0] && vertex < x_[2])) return;
    const double rate =
        rate_[0] + d01 * (vertex - x_[0]) + curvature * (vertex - x_[0]) * (vertex - x_[1]);
    if (rate >= peak_.Rate) peak_ = {rate, vertex};
  }

  double x_[3] = {};
  double rate_[3] = {};
  int count_ = 0;
  bool found_ = false;
  TStrainRatePeak peak_;
};

}  // namespace

AdaptivePass::AdaptivePass(const TSpinCondition& condition, const TSpinneretExit& exit,
                           const TIntegrationTolerance& tolerance,
                           const TSpinlineConstants<double>& k,
                           std::optional<TStructureConstants> structure)
    : k_(k),
      structure_(structure),
      onset_psi_(structure ? structure_laws::OnsetPsi(*structure) : HUGE_VAL),
      controlled_(structure ? kControlledWithStructure : kControlledComponents),
      iv_(condition.IV),
      mass_flow_(exit.MassFlow),
      length_(condition.Zones[3].EndPosition),
      runaway_velocity_(1.2 * exit.TakeUpVelocity),
      exit_state_without_tension_{exit.Velocity, 0.0, condition.MeltTemperature, 0.0, 0.0},
      tolerance_(tolerance) {
  // The zone ends inside the line cut it into stretches of one air each; the air of a stretch
  // is that of its inside, so a zone end belongs to the stretch after it.
  std::vector<double> ends;
  for (int zone = 1; zone <= 2; ++zone) {
    const double end = condition.Zones[zone].EndPosition;
    if (end > 0.0 && end < length_) ends.push_back(end);
  }
  ends.push_back(length_);
  std::sort(ends.begin(), ends.end());
  ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
  double start = 0.0;
  for (const double end : ends) {
    stretches_.push_back({end, ZoneAirAt(condition, start + 0.5 * (end - start))});
    start = end;
  }
}

int AdaptivePass::Band(double t) const {
  if (t < k_.SolidificationC) return 0;
  // An upper edge at or below the solidification temperature leaves no window: the melt
  // above it never crystallizes, and its edge is no event.
  return structure_ && structure_->UpperC > k_.SolidificationC && t >= structure_->UpperC ? 2 : 1;
}

double AdaptivePass::EdgeBetween(int band, int direction) const {
  const int lower = direction > 0 ? band : band - 1;
  return lower == 0 ? k_.SolidificationC : structure_->UpperC;
}

TAdaptivePassEnd AdaptivePass::Run(double spinneret_tension, long& evaluations,
                                   std::span<const double> sample_x,
                                   SpinlineStateObserver* observer) const {
  ClearFloatingPointFaults();
  if (observer == nullptr) sample_x = {};
  std::size_t next_sample = 0;
  // Tells the observer of every sample up to position up_to, with state_at(x) the state there.
  auto emit_samples = [&](double up_to, auto&& state_at) {
    while (next_sample < sample_x.size() && sample_x[next_sample] <= up_to) {
      const double x = std::clamp(sample_x[next_sample], 0.0, length_);
      observer->OnState(sample_x[next_sample], state_at(x));
      ++next_sample;
    }
  };

  TSpinlineState y = exit_state_without_tension_;
  y[1] = spinneret_tension;
  double x = 0.0;
  int band = Band(y[2]);
  TAdaptivePassEnd end;
  // With the structure, the stress orients the melt until it solidifies, and the orientation
  // stays frozen in from there.
  auto freeze_birefringence = [&](const TSpinlineState& at) {
    if (!structure_) return;
    const double rho = laws::Density(k_, at[2]);
    end.FrozenBirefringence = structure_laws::Birefringence(
        *structure_, structure_laws::TensileStress(at[1], rho, at[0], mass_flow_));
  };
  if (band == 0) {
    end.FreezePoint = 0.0;
    end.FreezeState = y;
    freeze_birefringence(y);
  }
  PeakFinder peak;
  emit_samples(0.0, [&](double) { return y; });
  auto stop = [&](bool ran_away) {
    end.PeakStrainRate = peak.Peak();
    end.RanAway = ran_away;
    end.X = x;
    end.State = y;
    return end;
  };
  if (y[0] > runaway_velocity_) return stop(true);
  // The rate at the spinneret starts the peak's search.
  bool new_piece = true;

  ControlledDopri5 stepper{FiniteErrorChecker(tolerance_, controlled_)};
  // Steps shorter than this no longer move x by much more than its rounding.
  const double min_step = 16.0 * DBL_EPSILON * length_;
  double dt = 0.0;  // the controller's next step; 0 until the first stretch sets it
  long trials = 0;
  int crossings = 0;
  for (const TStretch& stretch : stretches_) {
    while (x < stretch.End) {
      // A new system at every stretch and every glass-point crossing: the step before it
      // used other coefficients, so its last derivative is not this system's first.
      const bool in_window = band == 1 && structure_ && structure_->UpperC > k_.SolidificationC;
      const TStructureMode mode{structure_ ? &*structure_ : nullptr, in_window,
                                end.FrozenBirefringence};
      const LocalSpinlineSystem system(iv_, mass_flow_, stretch.Air, band == 0, &evaluations, k_,
                                       mode);
      TSpinlineState dydx;
      system(y, dydx, x);
      CheckAccepted(y, dydx, x);
      peak.Add(x, dydx[0], new_piece);
      new_piece = false;
      if (dt == 0.0) dt = StartingStep(y, dydx, tolerance_, controlled_, stretch.End - x);

      bool crossed = false;
      while (!crossed && x < stretch.End) {
        // A glass point found a hair before a zone end leaves nothing to integrate.
        if (stretch.End - x <= min_step) {
          x = stretch.End;
          break;
        }
        // One accepted step, landing exactly on the stretch's end when it reaches it.
        TSpinlineState y_new;
        TSpinlineState dydx_new;
        double x_new = x;
        for (;;) {
          if (++trials > kMaxTrialsPerPass) ThrowStalled("too many steps", x);
          const double room = stretch.End - x;
          const bool landing = dt >= room;
          double step = landing ? room : dt;
          if (step < min_step) ThrowStalled("step size underflow", x);
          double x_try = x;
          if (stepper.try_step(system, y, dydx, x_try, y_new, dydx_new, step) == odeint::success) {
            x_new = landing ? stretch.End : x_try;
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
          TSpinlineState y_s;
          stepper.stepper().calc_state(s, y_s, y, dydx, x, y_new, dydx_new, x_new);
          return y_s;
        };
        double x_reached = x_new;
        TSpinlineState y_reached = y_new;
        if (const int band_new = Band(y_new[2]); band_new != band) {
          // An edge lies in this step (the glass point, or the crystallization window's upper
          // edge): find the first one crossed on the dense output to round-off and restart
          // there with the laws of the other side.
          if (++crossings > kMaxCrossingsPerPass) {
            ThrowStalled(band_new == 0 || band == 0
                             ? "no way past the glass point"
                             : "no way past the crystallization window's edge",
                         x);
          }
          const int direction = band_new > band ? 1 : -1;
          const double edge = EdgeBetween(band, direction);
          auto excess = [&](double s) { return dense(s)[2] - edge; };
          std::uintmax_t iterations = 200;
          const auto bracket = boost::math::tools::toms748_solve(
              excess, x, x_new, y[2] - edge, y_new[2] - edge,
              [](double a, double b) { return b - a <= 4.0 * DBL_EPSILON * std::fabs(b); },
              iterations);
          // The first position on the new side.
          x_reached = bracket.second;
          y_reached = dense(x_reached);
          if (band == 1 && direction < 0 && !end.FreezePoint) {
            end.FreezePoint = x_reached;
            end.FreezeState = y_reached;
            freeze_birefringence(y_reached);
          }
          // The rate on this step's side of the crossing, which the peak may be.
          TSpinlineState dydx_reached;
          system(y_reached, dydx_reached, x_reached);
          peak.Add(x_reached, dydx_reached[0], false);
          band += direction;
          crossed = true;
          new_piece = true;
        } else {
          peak.Add(x_new, dydx_new[0], false);
        }
        if (!end.Onset && y_reached[kPsi] >= onset_psi_) {
          // ψ only grows: the onset is where it passes the onset's value in this step.
          auto short_of_onset = [&](double s) { return dense(s)[kPsi] - onset_psi_; };
          if (y[kPsi] - onset_psi_ >= 0.0 || y_reached[kPsi] - onset_psi_ == 0.0) {
            end.Onset = y_reached[kPsi] - onset_psi_ == 0.0 ? x_reached : x;
          } else {
            std::uintmax_t iterations = 200;
            const auto bracket = boost::math::tools::toms748_solve(
                short_of_onset, x, x_reached, y[kPsi] - onset_psi_, y_reached[kPsi] - onset_psi_,
                [](double a, double b) { return b - a <= 4.0 * DBL_EPSILON * std::fabs(b); },
                iterations);
            end.Onset = bracket.second;
          }
        }
        emit_samples(x_reached, dense);
        CheckAccepted(y_reached, dydx_new, x_reached);
        y = y_reached;
        dydx = dydx_new;
        x = x_reached;
        if (y[0] > runaway_velocity_) return stop(true);
      }
      new_piece = true;  // the next system starts another smooth piece
    }
  }
  emit_samples(HUGE_VAL, [&](double) { return y; });
  return stop(false);
}

}  // namespace vellmor
