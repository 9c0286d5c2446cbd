#pragma once

// The bundle as a run of its own, as RunConverged is for one filament: the input texts read
// and checked as for the converged run, every row solved, the spread of the rows and the
// energy balance. No file is written.

#include <optional>
#include <string>
#include <vector>

#include "vellmor/bundle/bundle_energy.h"
#include "vellmor/bundle/bundle_solution.h"
#include "vellmor/bundle/bundle_spread.h"
#include "vellmor/converged/converged_run.h"

namespace vellmor {

struct TBundleRunOptions {
  char DecimalSeparator = '.';  // of the input texts
  TModelConstants Model;        // with the bundle's constants
  TProfilePositions Positions;  // of each row's profile
  bool Structure = false;
};

struct TBundleRun {
  RunStatus Status = RunStatus::kRefused;
  RunFailureKind Failure = RunFailureKind::kNone;  // kInputRefused or kCalculation
  std::optional<CalculationFault> Fault;           // with kCalculation
  std::optional<double> FaultPositionCm;
  std::optional<int> FaultPass;
  std::string Message;                      // the one message of a run that did not succeed
  TSpinCondition Condition;                 // as read
  std::optional<TBundleSolution> Solution;  // on success
  std::optional<TBundleSpread> Spread;
  std::optional<TEnergyBalance> Energy;
  // The rows that reach the take-up point still molten, in one line.
  std::vector<std::string> Warnings;
};

TBundleRun RunBundle(const TInputTexts& texts, const TBundleRunOptions& options = {});

}  // namespace vellmor
