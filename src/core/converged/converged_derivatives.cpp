// The derivatives of a converged solution: the directions (the spinneret tension F0 first,
// then the parameters) in groups of kDerivativeLanes, each group's numbers seeded as dual
// numbers and its pass followed; then the shooting's condition V(L) = V_takeup turns the
// derivatives at fixed F0 into those of the solution.

#include "vellmor/converged/converged_derivatives.h"

#include <cmath>

#include "vellmor/base/floating_point_check.h"
#include "vellmor/base/run_error.h"
#include "vellmor/base/vector_state.h"
#include "vellmor/converged/adaptive_pass.h"
#include "vellmor/converged/pass_sensitivities.h"
#include "vellmor/converged/spinneret_exit_of.h"
#include "vellmor/solver/init_spinline.h"

namespace vellmor {
namespace {

// The pass's numbers seeded for the directions from first on, and what the take-up velocity
// does in them.
struct TSeeded {
  TDualPassModel Model;
  TLaneDual TakeUpVelocity;
  std::array<bool, kDerivativeLanes> Covered{};
};

TSeeded Seeded(const TSpinCondition& condition, const TModelConstants& constants,
               bool with_structure, const TSpinneretExit& exit, double tension,
               std::span<const TConvergedParameter> parameters, std::size_t first) {
  TSeeded seeded;
  TDualPassModel& model = seeded.Model;
  model.K = ConstantsOf<TLaneDual>(constants.Laws);
  if (with_structure) {
    model.Structure = StructureParametersOf<TLaneDual>(constants.Structure);
    model.PlainStructure = &constants.Structure;
  }
  model.Condition = ConditionNumbersOf<TLaneDual>(condition);
  TLaneDual f0(tension);
  for (int lane = 0; lane < kDerivativeLanes; ++lane) {
    const std::size_t direction = first + static_cast<std::size_t>(lane);
    if (direction > parameters.size()) break;
    bool& covered = seeded.Covered[static_cast<std::size_t>(lane)];
    covered = true;
    if (direction == 0) {
      f0.d[lane] = 1.0;
      continue;
    }
    const TConvergedParameter& parameter = parameters[direction - 1];
    if (parameter.Input != nullptr) {
      TLaneDual* number = model.Condition.At(
          condition, &parameter.Input->Of(const_cast<TSpinCondition&>(condition)));
      if (number != nullptr) number->d[lane] = 1.0;
      covered = number != nullptr;
    } else if (parameter.Key->Value != nullptr) {
      (model.K.*ConstantMemberOf<TLaneDual>(parameter.Key->Value)).d[lane] = 1.0;
    } else if (parameter.Key->Structure != nullptr && with_structure) {
      const auto member = StructureMemberOf<TLaneDual>(parameter.Key->Structure);
      if (member != nullptr) ((*model.Structure).*member).d[lane] = 1.0;
      covered = member != nullptr;
    }
  }
  TSpinneretExitOf<TLaneDual> exit_of = SpinneretExitOf(model.Condition, model.K);
  // The values are the exit's own, in its arithmetic; the derivatives those of its formulas.
  exit_of.Velocity.v = exit.Velocity;
  exit_of.MassFlow.v = exit.MassFlow;
  exit_of.TakeUpVelocity.v = exit.TakeUpVelocity;
  model.MassFlow = exit_of.MassFlow;
  model.ViscosityFactor =
      laws::ViscosityFactor(model.K, pow(model.Condition.IV, model.K.IvExponent));
  model.Start = {exit_of.Velocity, f0, model.Condition.MeltTemperature, TLaneDual(0.0),
                 TLaneDual(0.0)};
  seeded.TakeUpVelocity = exit_of.TakeUpVelocity;
  return seeded;
}

TSampleDerivative LaneOf(const TDualSample& s, int i) {
  return {s.V.d[i], s.F.d[i], s.T.d[i], s.D.d[i], s.Birefringence.d[i], s.Crystallinity.d[i]};
}

// The derivatives at fixed F0 in lane i of a followed pass.
TSolutionDerivative LaneOf(const TFollowedPass& followed, const TSeeded& seeded,
                           bool with_structure, bool freezes, int i) {
  TSolutionDerivative d;
  d.SpinneretTension = seeded.Model.Start[1].d[i];
  d.TakeUpTension = followed.End.F.d[i];
  d.FinalVelocity = followed.End.V.d[i];
  d.FinalTemperature = followed.End.T.d[i];
  d.FinalDiameter = followed.End.D.d[i];
  d.ResidenceTime = followed.EndTime.d[i];
  d.ExitVelocity = seeded.Model.Start[0].d[i];
  if (freezes) {
    d.FreezePoint = followed.FreezePoint.d[i];
    d.FreezeState = LaneOf(followed.FreezeState, i);
    d.FreezeStressMPa = followed.FreezeStressMPa.d[i];
  }
  d.Profile.reserve(followed.Samples.size());
  for (const TDualSample& sample : followed.Samples) d.Profile.push_back(LaneOf(sample, i));
  if (with_structure) {
    d.Structure = TStructureDerivative{followed.Birefringence.d[i], followed.Orientation.d[i],
                                       followed.Crystallinity.d[i]};
  }
  d.Covered = seeded.Covered[static_cast<std::size_t>(i)] &&
              (followed.StructureLawsAgree || !with_structure);
  return d;
}

void AddTo(TSampleDerivative& out, double factor, const TSampleDerivative& in) {
  out.V += factor * in.V;
  out.F += factor * in.F;
  out.T += factor * in.T;
  out.D += factor * in.D;
  out.Birefringence += factor * in.Birefringence;
  out.Crystallinity += factor * in.Crystallinity;
}

// out += factor in, number by number.
void AddTo(TSolutionDerivative& out, double factor, const TSolutionDerivative& in) {
  out.SpinneretTension += factor * in.SpinneretTension;
  out.TakeUpTension += factor * in.TakeUpTension;
  out.FinalVelocity += factor * in.FinalVelocity;
  out.FinalTemperature += factor * in.FinalTemperature;
  out.FinalDiameter += factor * in.FinalDiameter;
  out.ResidenceTime += factor * in.ResidenceTime;
  out.ExitVelocity += factor * in.ExitVelocity;
  if (out.FreezePoint && in.FreezePoint) {
    *out.FreezePoint += factor * *in.FreezePoint;
    AddTo(out.FreezeState, factor, in.FreezeState);
    out.FreezeStressMPa += factor * in.FreezeStressMPa;
  }
  for (std::size_t s = 0; s < out.Profile.size(); ++s) AddTo(out.Profile[s], factor, in.Profile[s]);
  if (out.Structure && in.Structure) {
    out.Structure->Birefringence += factor * in.Structure->Birefringence;
    out.Structure->Orientation += factor * in.Structure->Orientation;
    out.Structure->Crystallinity += factor * in.Structure->Crystallinity;
  }
  out.Covered = out.Covered && in.Covered;
}

}  // namespace

TConvergedDerivatives DerivativesOf(const TSpinCondition& condition,
                                    const TConvergedOptions& options,
                                    const TConvergedSolution& solution,
                                    std::span<const TConvergedParameter> parameters) {
  ClearUpperVectorState();
  ClearFloatingPointFaults();
  const TModelConstants& constants = options.Model;
  const bool with_structure = options.Structure || constants.Structure.Coupled;
  const TSpinneretExit exit = SpinneretExit(condition, constants.Exit);
  ThrowOnFloatingPointFault();
  const AdaptivePass pass(condition, exit, options.Tolerance, constants.Laws,
                          with_structure ? std::optional(constants.Structure) : std::nullopt);

  TConvergedDerivatives derivatives;
  derivatives.Parameters.assign(parameters.begin(), parameters.end());
  TPassTrace trace;
  const TAdaptivePassEnd end =
      pass.Run(solution.SpinneretTension, derivatives.Evaluations, {}, nullptr, &trace);
  if (end.RanAway) {
    throw CalculationError(CalculationFault::kNoConvergence,
                           "Derivatives of the converged solution: its pass did not reach the "
                           "take-up end");
  }
  const std::vector<double>& sample_x = options.SampleX;
  const bool freezes = end.FreezePoint && *end.FreezePoint > 0.0;

  // At fixed F0: direction 0 is F0 itself, direction j + 1 parameter j.
  const std::size_t directions = parameters.size() + 1;
  std::vector<TSolutionDerivative> at_fixed_tension(directions);
  std::vector<double> take_up_velocity(directions);
  for (std::size_t first = 0; first < directions; first += kDerivativeLanes) {
    const TSeeded seeded = Seeded(condition, constants, with_structure, exit,
                                  solution.SpinneretTension, parameters, first);
    const TFollowedPass followed =
        FollowPass(trace, seeded.Model, condition, sample_x, derivatives.Evaluations);
    for (int lane = 0; lane < kDerivativeLanes; ++lane) {
      const std::size_t direction = first + static_cast<std::size_t>(lane);
      if (direction >= directions) break;
      at_fixed_tension[direction] = LaneOf(followed, seeded, with_structure, freezes, lane);
      take_up_velocity[direction] = seeded.TakeUpVelocity.d[lane];
    }
  }
  ThrowOnFloatingPointFault();

  // V(L; F0, p) = V_takeup(p) at every p.
  const TSolutionDerivative& by_tension = at_fixed_tension[0];
  derivatives.Of.reserve(parameters.size());
  for (std::size_t j = 1; j < directions; ++j) {
    TSolutionDerivative d = at_fixed_tension[j];
    AddTo(d, (take_up_velocity[j] - d.FinalVelocity) / by_tension.FinalVelocity, by_tension);
    derivatives.Of.push_back(std::move(d));
  }
  return derivatives;
}

}  // namespace vellmor
