#pragma once

// The converged solution of the spinline: the same model as the classical march, with every
// coefficient taken from the current state and position instead of being held over a step,
// integrated by an adaptive method to a stated tolerance and shot onto the take-up velocity to
// a relative 1e-10, the root then polished by one Newton step: the solution does not depend on
// where the shooting started and moves smoothly with the condition and the constants (what a
// fit's differences need). It measures how far the classical result of the same condition is
// from the truth (see accuracy_report.h).
//
//   CalculateSpinline(state);                         // the classical result, as ever
//   TConvergedOptions options;
//   options.SampleX = ClassicalGrid(state.Profile);  // the classical table's positions
//   const TConvergedSolution solution = SolveConverged(state.Condition, options);
//   // solution.Profile[i] sits beside row i + 1 of the classical table (a CSV of V, F, T, D,
//   // TA, H); CompareWithClassical(state, solution) gives the errors and the summary line.
//
// Qt-free and silent like the rest of the core; failures are CalculationError (the runner
// shows what(), as for the classical calculation). No global state: independent conditions may
// be solved on separate threads (the floating-point flags it checks are the thread's own).
// The classical calculation and its result file are untouched by it.

#include <optional>
#include <vector>

#include "vellmor/converged/converged_types.h"
#include "vellmor/converged/local_air.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/solver/calculate_spinline.h"
#include "vellmor/solver/spinline_profile.h"
#include "vellmor/structure/structure_summary.h"

namespace vellmor {

struct TConvergedOptions {
  // Error control of each pass. The default makes the spinneret tension right to a few 1e-9
  // relative in the cases of this tool.
  TIntegrationTolerance Tolerance{};
  // How closely V at the take-up end must meet the take-up velocity, relative.
  double VelocityTolerance = 1e-10;
  // Passes allowed for bracketing and root finding together, as for the classical search.
  int MaxPasses = kMaxPasses;
  // Positions (cm, ascending) at which to sample the converged profile; empty for none.
  // Positions outside 0 … the take-up end are taken at the nearer end. Sampling costs one
  // more pass at the spinneret tension found.
  std::vector<double> SampleX;
  // The constants of the laws and of the spinneret exit: a model card's.
  TModelConstants Model;
  // Whether to follow the fibre's structure along the line (always, when the card couples
  // it to the line). Without it the passes are those of the spinline alone.
  bool Structure = false;
  // Where to start the shooting for a condition next to one already solved: that solution's
  // spinneret tension and residual slope. The shooting's steps from there at the full
  // tolerance, a few passes in all, instead of the bracketing from 25 dyn.
  struct TStart {
    double Tension = 0.0;  // dyn
    double Slope = 0.0;    // of r(F0) = 1 - V_takeup / V_end, 1/dyn
  };
  std::optional<TStart> Start;
  // Whether to polish the root where that takes a pass more. Where samples are wanted it is
  // always polished: their pass is at the polished root. Unpolished, the spinneret tension
  // lies anywhere within the velocity tolerance over the slope (a few 1e-12 relative), as the
  // shooting's steps came from its start; polished, to the passes' own rounding (1e-15).
  bool Polish = true;
  // The air the filament meets where it is not the zones' own (a row of a bundle downstream
  // in the quench); null: the zones' air alone. It must outlive the solution's computation.
  const TLocalAir* Air = nullptr;
};

// The converged solution at one position.
struct TConvergedSample {
  double X = 0.0;   // distance from the spinneret (cm), as requested
  double V = 0.0;   // filament velocity (cm/s)
  double F = 0.0;   // tension (dyn)
  double T = 0.0;   // filament temperature (°C)
  double D = 0.0;   // diameter (cm)
  double TA = 0.0;  // air temperature (°C), of the zone that holds X (a zone end: the next)
  double H = 0.0;   // heat-transfer coefficient (cal/(cm²·s·°C))
  // With the structure (else 0):
  double Stress = 0.0;         // tensile stress σ = F/A (dyn/cm²)
  double Birefringence = 0.0;  // Δn, frozen from the freeze point on
  double Orientation = 0.0;    // amorphous orientation f
  double Crystallinity = 0.0;  // mass fraction X
};

struct TConvergedSolution {
  double SpinneretTension = 0.0;  // F at x = 0 (dyn)
  double TakeUpTension = 0.0;     // F at the take-up end (dyn)
  double FinalVelocity = 0.0;     // V at the take-up end (cm/s)
  double FinalTemperature = 0.0;  // T at the take-up end (°C)
  double FinalDiameter = 0.0;     // D at the take-up end (cm)
  double Length = 0.0;            // the take-up end: the end position of zone 3 (cm)
  // Where the filament first falls below the solidification temperature (cm): 0 when it
  // leaves the spinneret colder, empty when it never does.
  std::optional<double> FreezePoint;
  TConvergedSample FreezeState;    // the filament there (X, V, F, T, D; TA and H of its air)
  double ExitVelocity = 0.0;       // V at the spinneret exit (cm/s)
  double ResidenceTime = 0.0;      // the filament's time from the spinneret to the end (s)
  TStrainRatePeak PeakStrainRate;  // the largest dV/dx (1/s) and where (cm)
  // ∂r/∂F0 of r = 1 - V_takeup / V_end near the root (1/dyn; there the same as that of
  // ln(V_end / V_takeup)), from the last two passes at the full
  // tolerance: where a neighbouring condition starts its shooting. 0 when unknown.
  double ResidualSlope = 0.0;
  // Passes of the shooting, bracketing included; a loose bracketing pass that lands near the
  // take-up velocity and is repeated at the full tolerance counts twice. The pass at the
  // polished root is not one of them (nor is the sampling pass, which it is).
  int Passes = 0;
  long Evaluations = 0;  // evaluations of the spinline equations, sampling pass included
  std::vector<TConvergedSample> Profile;       // one sample per position of TConvergedOptions
  std::optional<TStructureSummary> Structure;  // when it was followed
};

// The converged solution of a validated condition. The spinneret tension is bracketed as the
// classical search does (25 dyn, then steps of 2.5 dyn until the take-up end changes side),
// then found by the shooting of newton_shooting.h inside the bracket and polished by one Newton
// step from the pass that met the take-up velocity. Throws CalculationError on a floating-point
// fault, a step-size underflow, or when the take-up velocity is not met within
// options.MaxPasses passes (kNoConvergence).
TConvergedSolution SolveConverged(const TSpinCondition& condition,
                                  const TConvergedOptions& options = {});

// The positions X[1 … N] of a classical profile, N = ZoneEndPoint[3]: the converged profile
// sampled there sits beside the classical table row by row.
std::vector<double> ClassicalGrid(const TSpinlineProfile& profile);

}  // namespace vellmor
