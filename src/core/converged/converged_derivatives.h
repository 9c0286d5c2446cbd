#pragma once

// The exact derivatives of a converged solution with respect to its parameters: every numeric
// input the converged model reads and every number of its card (converged_parameters.h),
// from the forward sensitivities of its pass (pass_sensitivities.h) rather than from
// neighbouring solutions:
//
//   - the spinneret exit's velocity and mass flow by the same formulas over dual numbers
//     (spinneret_exit_of.h), the exit temperature being the melt's;
//   - the state's derivatives along the line, integrated over the steps of the solution's own
//     pass, with their jumps where the glass point, the crystallization window's edge or a
//     zone end moves, and the take-up end moving with zone 3's end;
//   - the spinneret tension from the shooting's condition V(L; F0, p) = V_takeup(p):
//       dF0/dp = (dV_takeup/dp − ∂V(L)/∂p) / (∂V(L)/∂F0),
//     and every other number as ∂y/∂p + ∂y/∂F0 dF0/dp.
//
// They are the derivatives of the solution the integration approximates, right to about its
// tolerance relative to their size (1e-8 by default: six digits or better). Not covered: the
// onset of crystallization, the peak strain rate and the air's numbers of the samples; a
// sample at a fixed position just at the moving freeze point takes the side it is on; a
// zone end on another zone's end is moved as the first zone's; a choice of the card (the
// birefringence law) is no parameter. With the structure, its laws (either birefringence law)
// are differentiated through a copy of them (structure_terms.h); should they differ from it,
// Covered says so.
//
//   TConvergedOptions options;             // those the solution was solved with
//   const TConvergedSolution solution = SolveConverged(condition, options);
//   const auto parameters = ConvergedParameters(options.Structure);
//   const TConvergedDerivatives d = DerivativesOf(condition, options, solution, parameters);
//   d.Of[j].TakeUpTension;                 // dyn per unit of parameters[j]
//
// Costs one pass to trace the solution's steps and one followed pass per kDerivativeLanes
// directions (the parameters and the spinneret tension). Throws CalculationError on a
// floating-point fault, or when the pass at the solution's spinneret tension runs away.

#include <optional>
#include <span>
#include <vector>

#include "vellmor/converged/converged_parameters.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/inputs/spin_condition.h"

namespace vellmor {

// d/dp of the filament at one position.
struct TSampleDerivative {
  double V = 0.0;  // cm/s
  double F = 0.0;  // dyn
  double T = 0.0;  // °C
  double D = 0.0;  // cm
  // With the structure:
  double Birefringence = 0.0;
  double Crystallinity = 0.0;
};

// d/dp of the structure at take-up.
struct TStructureDerivative {
  double Birefringence = 0.0;
  double Orientation = 0.0;
  double Crystallinity = 0.0;
};

// d/dp of a solution's numbers for one parameter p, in their units per unit of p.
struct TSolutionDerivative {
  double SpinneretTension = 0.0;  // dyn
  double TakeUpTension = 0.0;     // dyn
  double FinalVelocity = 0.0;     // cm/s: that of the take-up velocity
  double FinalTemperature = 0.0;  // °C
  double FinalDiameter = 0.0;     // cm
  double ResidenceTime = 0.0;     // s
  double ExitVelocity = 0.0;      // cm/s
  // Where the solution freezes past the spinneret: how the freeze point moves (cm), and the
  // filament and its stress there as it moves.
  std::optional<double> FreezePoint;
  TSampleDerivative FreezeState;
  double FreezeStressMPa = 0.0;
  std::vector<TSampleDerivative> Profile;         // at each of the options' SampleX
  std::optional<TStructureDerivative> Structure;  // when the structure was followed
  // False where a number through the structure is not exact: its laws differ from the copy
  // here, or the parameter is a constant of the structure the copy does not know.
  bool Covered = true;
};

struct TConvergedDerivatives {
  std::vector<TConvergedParameter> Parameters;
  std::vector<TSolutionDerivative> Of;  // Of[j]: with respect to Parameters[j]
  long Evaluations = 0;                 // of the spinline equations, the traced pass's included
};

// The derivatives of solution, the converged solution of condition with options, with respect
// to parameters; those of its samples at options.SampleX (none without: the samples'
// derivatives cost a dense output each).
TConvergedDerivatives DerivativesOf(const TSpinCondition& condition,
                                    const TConvergedOptions& options,
                                    const TConvergedSolution& solution,
                                    std::span<const TConvergedParameter> parameters);

}  // namespace vellmor
