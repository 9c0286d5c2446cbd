#pragma once

// How far a classical result is from the converged solution of the same condition, and the
// increment that would bring its spinneret tension within 1 % of it.
//
//   CalculateSpinline(state);                                  // the classical result
//   TConvergedOptions options;
//   options.SampleX = ClassicalGrid(state.Profile);            // for a profile beside the table
//   const TConvergedSolution converged = SolveConverged(state.Condition, options);
//   const TAccuracyReport report = CompareWithClassical(state, converged);
//   std::cout << FormatAccuracySummary(report) << '\n';
//
// The classical values are those of its last point, N = ZoneEndPoint[3], at X[N]; the
// converged ones are at the end position of zone 3 itself.

#include <optional>
#include <string>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/solver/run_state.h"

namespace vellmor {

// One quantity of both solutions.
struct TComparedValue {
  double Converged = 0.0;
  double Classical = 0.0;
  // 100 × (classical − converged) / converged: negative when the classical result is low.
  // NaN when the converged value is 0.
  double ErrorPercent = 0.0;
};

struct TAccuracyReport {
  TComparedValue SpinneretTension;  // dyn
  TComparedValue TakeUpTension;     // dyn
  TComparedValue FinalTemperature;  // °C
  TComparedValue FinalDiameter;     // cm

  // Where the filament first falls below 70 °C (cm); empty where it never does. The classical
  // one is interpolated between the points of its profile.
  std::optional<double> ConvergedFreezePoint;
  std::optional<double> ClassicalFreezePoint;
  // 100 × (classical − converged) / converged, when both exist and the converged one is not 0.
  std::optional<double> FreezePointErrorPercent;

  double Increment = 0.0;  // of the classical result (cm)
  // The largest increment (cm), of one significant digit, at which the classical spinneret
  // tension is expected within 1 % of the converged one: the first-order estimate of
  // SuggestIncrement, refined by marches at the suggested increment where a profile holds it.
  double SuggestedIncrement = 0.0;
  // Points of a classical profile at the suggested increment, and whether a profile holds them
  // (at most MaxPoints).
  int SuggestedPoints = 0;
  bool SuggestedIncrementFits = false;
  // The classical spinneret tension's error (%) at the suggested increment, when the march was
  // run there.
  std::optional<double> SuggestedIncrementErrorPercent;
};

struct TAccuracyOptions {
  // Run the march at the suggested increment when a profile holds it; while it is not within
  // 1 %, estimate again from that finer march (at most a few times). Each check costs one
  // classical calculation at a fine increment.
  bool CheckSuggestedIncrement = true;
};

// The classical result of state (a run whose tension search converged) beside the converged
// solution of the same condition.
TAccuracyReport CompareWithClassical(const TRunState& classical,
                                     const TConvergedSolution& converged,
                                     const TAccuracyOptions& options = {});

// The same for a classical result known only by its samples, points 1 … N in order (the rows
// of a result file read back, say), computed at condition's increment.
TAccuracyReport CompareWithClassical(const TSpinCondition& condition,
                                     const TSpinlineSamples& classical,
                                     const TConvergedSolution& converged,
                                     const TAccuracyOptions& options = {});

// The increment at which a first-order error of error_percent at increment (cm) would come
// down to 1 %: increment × 1 / |error_percent|, with a margin of 0.8 because the error per cm
// of increment still grows as the increment shrinks (by about 15 % between 1 cm and 0.1 cm
// in the cases of this tool, far more from coarse increments of several cm), rounded down to
// one significant digit. The increment itself when the error is 0 or not finite.
double SuggestIncrement(double increment, double error_percent);

// One line for the runner, e.g. "Converged solution: spinneret tension 40.437 dyn; this
// increment's result is 9.8 % low; an increment of 0.08 cm would be within 1 % (1251 points,
// more than the 1001 a profile holds)", or "…; an increment of 0.07 cm is within 1 % (0.8 %
// low)" when the march was run there, "… is still 1.1 % low" when even the finest check
// missed. No line end.
std::string FormatAccuracySummary(const TAccuracyReport& report, char decimal_separator = '.');

}  // namespace vellmor
