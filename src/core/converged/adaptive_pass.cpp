// One pass of the converged solution, from the spinneret exit (V0, F0, T0) to the take-up end:
// the spinline as a model of the adaptive driver, with its stretches of one air each and its
// events.

#include "vellmor/converged/adaptive_pass.h"

#include <algorithm>
#include <cmath>

#include "vellmor/base/floating_point_check.h"
#include "vellmor/structure/structure_laws.h"

namespace vellmor {
namespace {

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
                           std::optional<TStructureConstants> structure, const TLocalAir* air)
    : k_(k),
      structure_(structure),
      // An upper edge at or below the solidification temperature leaves no window: the melt
      // above it never crystallizes, and its edge is no event.
      window_(structure && structure->UpperC > k.SolidificationC),
      iv_(condition.IV),
      mass_flow_(exit.MassFlow),
      exit_velocity_(exit.Velocity),
      melt_temperature_(condition.MeltTemperature),
      runaway_velocity_(1.2 * exit.TakeUpVelocity),
      tolerance_(tolerance),
      filament_(DeclareFilament(layout_, structure.has_value())) {
  // The zone ends inside the line cut it into stretches of one air each; the air of a stretch
  // is that of its inside, so a zone end belongs to the stretch after it.
  const double length = condition.Zones[3].EndPosition;
  for (int zone = 1; zone <= 2; ++zone) {
    const double end = condition.Zones[zone].EndPosition;
    if (end > 0.0 && end < length) ends_.push_back(end);
  }
  ends_.push_back(length);
  std::sort(ends_.begin(), ends_.end());
  ends_.erase(std::unique(ends_.begin(), ends_.end()), ends_.end());
  double start = 0.0;
  for (const double end : ends_) {
    const double inside = start + 0.5 * (end - start);
    airs_.push_back(ZoneAirAt(condition, inside));
    local_airs_.push_back(air != nullptr ? air->Of(ZoneAt(condition, inside)) : nullptr);
    start = end;
  }

  const TFilamentBlock f = filament_;
  solidification_ = events_.size();
  events_.push_back(LevelEvent("the glass point", f.Temperature(), k_.SolidificationC,
                               TEventDirection::kEither, TEventAction::kRestart));
  if (window_) {
    window_edge_ = events_.size();
    events_.push_back(LevelEvent("the crystallization window's edge", f.Temperature(),
                                 structure->UpperC, TEventDirection::kEither,
                                 TEventAction::kRestart));
  }
  if (structure) {
    onset_ = events_.size();
    events_.push_back(LevelEvent("the onset of crystallization", f.Psi(),
                                 structure_laws::OnsetPsi(*structure), TEventDirection::kRising,
                                 TEventAction::kRecord, true));
  }
  events_.push_back(LevelEvent("the runaway velocity", f.Velocity(), runaway_velocity_,
                               TEventDirection::kRising, TEventAction::kStop, true));
}

// The spinline of one pass: which side of the glass point and of the window's upper edge the
// filament is on, the system of the current piece, and what the pass finds on the way.
class AdaptivePass::PassModel final : public AdaptiveModel {
 public:
  PassModel(const AdaptivePass& pass, long& evaluations, TAdaptivePassEnd& end, const TState& y0,
            TPassTrace* trace)
      : pass_(pass), evaluations_(evaluations), end_(end), trace_(trace) {
    const double t0 = y0[pass.filament_.Temperature()];
    glassy_ = t0 < pass.k_.SolidificationC;
    above_window_ = pass.window_ && t0 >= pass.structure_->UpperC;
    if (glassy_) Freeze(0.0, y0);
  }

  const TStateLayout& Layout() const override { return pass_.layout_; }
  std::span<const double> StretchEnds() const override { return pass_.ends_; }
  std::span<const TEvent> Events() const override { return pass_.events_; }

  void BeginPiece(std::size_t stretch, double x, const TState& /*y*/) override {
    const TStructureMode mode{pass_.structure_ ? &*pass_.structure_ : nullptr,
                              pass_.window_ && !glassy_ && !above_window_,
                              end_.FrozenBirefringence};
    system_.emplace(pass_.filament_, pass_.iv_, pass_.mass_flow_, pass_.airs_[stretch], glassy_,
                    &evaluations_, pass_.k_, mode, pass_.local_airs_[stretch]);
    if (trace_ != nullptr) {
      trace_->Pieces.push_back(
          {stretch, glassy_, mode.InWindow, mode.FrozenBirefringence.has_value(), x, {}, {}});
    }
  }

  void Derivatives(const TState& y, TState& dydx, double x) const override {
    (*system_)(y, dydx, x);
  }

  void OnEvent(std::size_t event, double x, const TState& y) override {
    if (trace_ != nullptr && event == pass_.solidification_) {
      trace_->Pieces.back().End = TPieceEnd::kGlassPoint;
    } else if (trace_ != nullptr && event == pass_.window_edge_) {
      trace_->Pieces.back().End = TPieceEnd::kWindowEdge;
    }
    if (event == pass_.solidification_) {
      glassy_ = !glassy_;
      if (glassy_ && !end_.FreezePoint) Freeze(x, y);
    } else if (event == pass_.window_edge_) {
      above_window_ = !above_window_;
    } else if (event == pass_.onset_) {
      end_.Onset = x;
    }
  }

  void OnPoint(double x, const TState& /*y*/, const TState& dydx, bool new_piece) override {
    peak_.Add(x, dydx[pass_.filament_.Velocity()], new_piece);
    if (trace_ != nullptr && !new_piece) trace_->Pieces.back().StepEnds.push_back(x);
  }

  TStrainRatePeak Peak() const { return peak_.Peak(); }

 private:
  // The filament first solidifies at x. With the structure, the stress orients the melt until
  // then, and the orientation stays frozen in from there.
  void Freeze(double x, const TState& y) {
    end_.FreezePoint = x;
    end_.FreezeState = y;
    if (!pass_.structure_) return;
    const TFilamentBlock& f = pass_.filament_;
    const double t = y[f.Temperature()];
    const double rho = laws::Density(pass_.k_, t);
    end_.FrozenBirefringence = structure_laws::Birefringence(
        *pass_.structure_,
        structure_laws::TensileStress(y[f.Tension()], rho, y[f.Velocity()], pass_.mass_flow_),
        t + pass_.k_.KelvinOffset);
  }

  const AdaptivePass& pass_;
  long& evaluations_;
  TAdaptivePassEnd& end_;
  TPassTrace* trace_;
  bool glassy_ = false;        // below the solidification temperature
  bool above_window_ = false;  // at or above the crystallization window's upper edge
  std::optional<LocalSpinlineSystem> system_;
  PeakFinder peak_;
};

TAdaptivePassEnd AdaptivePass::Run(double spinneret_tension, long& evaluations,
                                   std::span<const double> sample_x, StateObserver* observer,
                                   TPassTrace* trace) const {
  ClearFloatingPointFaults();
  TState y = layout_.Zero();
  y[filament_.Velocity()] = exit_velocity_;
  y[filament_.Tension()] = spinneret_tension;
  y[filament_.Temperature()] = melt_temperature_;
  TAdaptivePassEnd end;
  if (trace != nullptr) *trace = {{}, ends_};
  PassModel model(*this, evaluations, end, y, trace);
  if (y[filament_.Velocity()] > runaway_velocity_) {
    end.RanAway = true;
    end.State = y;
    return end;
  }
  const TDriverEnd driven = IntegrateAdaptive(model, tolerance_, 0.0, y, sample_x, observer);
  end.RanAway = driven.StopEvent != TDriverEnd::kNoEvent;
  end.X = driven.X;
  end.State = driven.State;
  end.PeakStrainRate = model.Peak();
  return end;
}

}  // namespace vellmor
