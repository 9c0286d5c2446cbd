#pragma once

// The converged model as a run of its own: the input texts read and checked as for the
// classical run, the condition solved to convergence with a model card's constants, the
// process numbers and the profile at the positions asked for. No file is written; the front
// ends write what they like of the outcome.

#include <optional>
#include <string>
#include <vector>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/run/run_sequence.h"

namespace vellmor {

// Where the profile is sampled: At (cm, any order) when it is not empty, else Points evenly
// spaced positions from the spinneret to the take-up point (none for 0, the spinneret alone
// for 1).
struct TProfilePositions {
  int Points = 1001;
  std::vector<double> At;
};

struct TConvergedRunOptions {
  char DecimalSeparator = '.';  // of the input texts
  TModelConstants Model;
  TProfilePositions Positions;
  // Follow the fibre's structure along the line (always when the card couples it).
  bool Structure = false;
};

struct TConvergedRun {
  RunStatus Status = RunStatus::kRefused;
  RunFailureKind Failure = RunFailureKind::kNone;  // kInputRefused or kCalculation
  std::optional<CalculationFault> Fault;           // with kCalculation
  std::optional<double> FaultPositionCm;           // with it, where known (cm)
  std::optional<int> FaultPass;                    // with it, where known
  std::string Message;                             // the one message of a run that did not succeed
  TSpinCondition Condition;                        // as read; complete once the texts passed
  std::optional<TConvergedSolution> Solution;      // on success, its profile at the positions
  std::optional<TProcessNumbers> Numbers;          // on success
  // What a solution holds that its user should know, one line each: a filament that reaches
  // the take-up point still molten.
  std::vector<std::string> Warnings;
};

// Reads texts with the checks of the classical run (the increment is read and checked but
// makes no points), IV within the card's valid range instead of the window's, and solves the
// condition with options.Model. A refused text, a profile
// position beyond the line and a failed solution each end the run with its one message.
TConvergedRun RunConverged(const TInputTexts& texts, const TConvergedRunOptions& options = {});

// The positions of the profile on a line of length cm, ascending; or the message that refuses
// one beyond it.
std::variant<std::vector<double>, std::string> ProfilePositions(const TProfilePositions& positions,
                                                                double length);

}  // namespace vellmor
