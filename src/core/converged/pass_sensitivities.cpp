// A traced pass followed again in dual numbers, piece by piece: Dormand–Prince steps over the
// recorded step ends, samples from each step's dense output, and at each piece's end the jump
//
//   S⁺ = S⁻ + (f⁻ − f⁺) dx_e/dp,
//   dx_e/dp = −(S_T − dT_level/dp) / f⁻_T      at the glass point and the window's edge
//   dx_e/dp = d(zone end)/dp                    at a zone end
//
// The filament at the moving freeze point is y(x_f) + f⁻ dx_f/dp, at the moving take-up end
// y(L) + f dL/dp.

#include "vellmor/converged/pass_sensitivities.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "vellmor/converged/dual_dopri5.h"
#include "vellmor/converged/local_spinline_system.h"
#include "vellmor/converged/spinline_equations.h"

namespace vellmor {
namespace {

using TEquations = TSpinlineEquations<TLaneDual, TStructureParametersOf<TLaneDual>>;
using TStep = TDopri5Step<TLaneDual, 5>;

constexpr std::size_t kV = 0;
constexpr std::size_t kF = 1;
constexpr std::size_t kT = 2;
constexpr std::size_t kTime = 3;
constexpr std::size_t kPsi = 4;

constexpr double kMPaPerDynPerSquareCm = 1e-7;
// Halvings of the first step into the crystallization window.
constexpr int kEdgeRefinements = 16;

// The state plus the derivatives its position's motion adds: y + f moves.
TDualFilament Moved(TDualFilament y, const TDualFilament& f, const TLaneDual& moves) {
  for (std::size_t m = 0; m < y.size(); ++m) {
    for (int i = 0; i < kDerivativeLanes; ++i) y[m].d[i] += f[m].v * moves.d[i];
  }
  return y;
}

class Follower {
 public:
  Follower(const TPassTrace& trace, const TDualPassModel& model, const TSpinCondition& condition,
           std::span<const double> sample_x, long& evaluations)
      : trace_(trace),
        model_(model),
        condition_(condition),
        sample_x_(sample_x),
        evaluations_(evaluations) {}

  TFollowedPass Run() {
    const std::vector<TPassPiece>& pieces = trace_.Pieces;
    assert(!pieces.empty());
    const double length = trace_.StretchEnds.back();
    double x = 0.0;
    TDualFilament y = model_.Start;
    EmitSamplesAt(x, y);
    if (pieces.front().Glassy) Freeze(0.0, y, TLaneDual(0.0));
    TEquations equations = EquationsOf(pieces.front());
    TStep step;
    for (std::size_t p = 0; p < pieces.size(); ++p) {
      const TPassPiece& piece = pieces[p];
      x = piece.Start;
      TDualFilament f = Rates(equations, x, y);
      const auto advance = [&](double to) {
        Dopri5([&](double at, const TDualFilament& s) { return Rates(equations, at, s); }, x,
               to - x, y, f, step);
        EmitSamplesIn(step, to);
        x = to;
        y = step.End;
        f = step.K[6];
      };
      // Where crystallization starts, ∂ψⁿ⁻¹/∂n = ψⁿ⁻¹ ln ψ has a logarithmic singularity
      // (ψ grows from 0 there), which a coupled line's derivatives take in through the latent
      // heat: the first step inside the window is cut at geometrically shrinking lengths
      // towards the edge.
      const bool from_edge = p > 0 && pieces[p - 1].End == TPieceEnd::kWindowEdge &&
                             piece.InWindow && model_.Structure && model_.Structure->Coupled;
      for (std::size_t s = 0; s < piece.StepEnds.size(); ++s) {
        const double to = piece.StepEnds[s];
        if (s == 0 && from_edge) {
          const double start = x;
          for (int k = kEdgeRefinements; k > 0; --k) advance(start + std::ldexp(to - start, -k));
        }
        advance(to);
      }
      const bool last = p + 1 == pieces.size();
      const double boundary = last ? length : pieces[p + 1].Start;
      // The driver steps a hair before a stretch end over without a step.
      if (x < boundary) {
        x = boundary;
        f = Rates(equations, x, y);
      }
      EmitSamplesAt(x, y);
      if (last) {
        at_end_ = SampleOf(y);
        end_ = Moved(y, f, model_.Condition.Zones[3].EndPosition);
        followed_.End = SampleOf(end_);
        followed_.EndTime = end_[kTime];
        break;
      }
      const TLaneDual moves = BoundaryMoves(piece, boundary, y, f);
      if (piece.End == TPieceEnd::kGlassPoint && pieces[p + 1].Glassy && !followed_.Froze) {
        Freeze(boundary, Moved(y, f, moves), moves);
      }
      equations = EquationsOf(pieces[p + 1]);
      JumpAt(y, f, Rates(equations, x, y), moves);
    }
    Finish();
    return followed_;
  }

 private:
  // The equations of a piece, in the air of its stretch's zone.
  TEquations EquationsOf(const TPassPiece& piece) const {
    const std::size_t s = piece.Stretch;
    const double start = s == 0 ? 0.0 : trace_.StretchEnds[s - 1];
    const int zone = ZoneAt(condition_, start + 0.5 * (trace_.StretchEnds[s] - start));
    const TZoneNumbers<TLaneDual>& equation = model_.Condition.Zones[zone == 1 ? 1 : 2];
    TEquations equations;
    equations.K = &model_.K;
    equations.ViscosityFactor = model_.ViscosityFactor;
    equations.Glassy = piece.Glassy;
    equations.MassFlow = model_.MassFlow;
    equations.Zone = {equation.A1, equation.A2, equation.A3,
                      model_.Condition.Zones[static_cast<std::size_t>(zone)].AirVelocity};
    if (model_.Structure) {
      equations.Structure = &*model_.Structure;
      equations.InWindow = piece.InWindow;
      if (piece.Frozen) equations.FrozenBirefringence = frozen_birefringence_;
    }
    return equations;
  }

  TDualFilament Rates(const TEquations& equations, double x, const TDualFilament& y) const {
    ++evaluations_;
    const TFilamentRates<TLaneDual> r = equations.Rates(y[kV], y[kF], y[kT], y[kPsi], x);
    return {r.V, r.F, r.T, r.Time, r.Psi};
  }

  // How the piece's end at boundary moves with the parameters.
  TLaneDual BoundaryMoves(const TPassPiece& piece, double boundary, const TDualFilament& y,
                          const TDualFilament& f) const {
    switch (piece.End) {
      case TPieceEnd::kGlassPoint:
        return EventMoves(y, f, kT, model_.K.SolidificationC);
      case TPieceEnd::kWindowEdge:
        return EventMoves(y, f, kT, model_.Structure->UpperC);
      case TPieceEnd::kStretchEnd:
        break;
    }
    for (std::size_t zone = 1; zone <= 3; ++zone) {
      if (condition_.Zones[static_cast<int>(zone)].EndPosition == boundary) {
        return model_.Condition.Zones[zone].EndPosition;
      }
    }
    return TLaneDual(0.0);
  }

  // The filament first solidifies at x, moving by moves, in state y there (moved with it).
  void Freeze(double x, const TDualFilament& y, const TLaneDual& moves) {
    followed_.Froze = true;
    followed_.FreezePoint = moves;
    followed_.FreezePoint.v = x;
    followed_.FreezeState = SampleOf(y);
    const TDualSample& at = followed_.FreezeState;
    followed_.FreezeStressMPa = at.F / laws::CrossSection(model_.K, at.D) * kMPaPerDynPerSquareCm;
    if (model_.Structure) {
      frozen_birefringence_ = at.Birefringence;
      CheckStructureLaws(y);
    }
  }

  TDualSample SampleOf(const TDualFilament& y) const {
    using std::sqrt;
    const TLaneDual rho = laws::Density(model_.K, y[kT]);
    TDualSample sample{
        y[kV],          y[kF],
        y[kT],          sqrt(laws::DiameterSquared(model_.K, model_.MassFlow, y[kV], rho)),
        TLaneDual(0.0), TLaneDual(0.0)};
    if (model_.Structure) {
      const TStructureParametersOf<TLaneDual>& k = *model_.Structure;
      sample.Birefringence = structure_terms::Birefringence(
          k, structure_terms::TensileStress(y[kF], rho, y[kV], model_.MassFlow),
          y[kT] + model_.K.KelvinOffset);
      sample.Crystallinity = structure_terms::Crystallinity(k, y[kPsi]);
    }
    return sample;
  }

  void CheckStructureLaws(const TDualFilament& y) {
    const double rho = laws::Density(model_.K, y[kT]).v;
    const double stress = structure_laws::TensileStress(y[kF].v, rho, y[kV].v, model_.MassFlow.v);
    followed_.StructureLawsAgree =
        followed_.StructureLawsAgree &&
        structure_terms::LawsAgree(*model_.PlainStructure, stress, y[kT].v,
                                   y[kT].v + model_.K.KelvinOffset.v, y[kPsi].v);
  }

  // The samples at positions up to x that the steps so far have passed, in state y.
  void EmitSamplesAt(double x, const TDualFilament& y) {
    while (next_sample_ < sample_x_.size() && sample_x_[next_sample_] <= x) {
      followed_.Samples.push_back(SampleOf(y));
      ++next_sample_;
    }
  }
  // Those inside the step just taken, up to its end to, from its dense output.
  void EmitSamplesIn(const TStep& step, double to) {
    while (next_sample_ < sample_x_.size() && sample_x_[next_sample_] <= to) {
      const double at = std::max(sample_x_[next_sample_], step.X);
      followed_.Samples.push_back(SampleOf(Dopri5Dense(step, at)));
      ++next_sample_;
    }
  }

  // The samples past the end at the end (where it is); the structure's summary; the orientation
  // frozen in at the freeze point stays in the samples from there on.
  void Finish() {
    while (next_sample_ < sample_x_.size()) {
      followed_.Samples.push_back(at_end_);
      ++next_sample_;
    }
    if (!model_.Structure) return;
    CheckStructureLaws(end_);
    const TStructureParametersOf<TLaneDual>& k = *model_.Structure;
    followed_.Birefringence = followed_.Froze ? frozen_birefringence_ : followed_.End.Birefringence;
    followed_.Orientation = structure_terms::Orientation(k, followed_.Birefringence);
    followed_.Crystallinity = followed_.End.Crystallinity;
    if (followed_.Froze) {
      for (std::size_t i = 0; i < followed_.Samples.size(); ++i) {
        if (sample_x_[i] >= followed_.FreezePoint.v) {
          followed_.Samples[i].Birefringence = frozen_birefringence_;
        }
      }
    }
  }

  const TPassTrace& trace_;
  const TDualPassModel& model_;
  const TSpinCondition& condition_;
  std::span<const double> sample_x_;
  long& evaluations_;
  std::size_t next_sample_ = 0;
  TLaneDual frozen_birefringence_;
  TDualFilament end_;   // at the take-up end as it moves
  TDualSample at_end_;  // at the take-up end where it is
  TFollowedPass followed_;
};

}  // namespace

TFollowedPass FollowPass(const TPassTrace& trace, const TDualPassModel& model,
                         const TSpinCondition& condition, std::span<const double> sample_x,
                         long& evaluations) {
  return Follower(trace, model, condition, sample_x, evaluations).Run();
}

}  // namespace vellmor
