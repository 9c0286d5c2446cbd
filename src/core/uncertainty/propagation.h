#pragma once

// How sure a solved case's answers are, given how sure its card's fitted constants are (the
// card's uncertainty section): a 95 % interval for every answer (answers.h).
//
//   - by the delta method: y ± 1.96 √(J Σ Jᵀ), J the answers' derivatives with respect to the
//     constants at the card's values, on the scale each was fitted on (its logarithm where it
//     was fitted so), Σ the covariance on that scale; right where the answers are close to
//     linear in the constants over their spread, and one solve per constant and side;
//   - by Monte Carlo: the constants drawn from the normal distribution of their fitting scale
//     (log-normal for a logarithm's), each draw solved, the 2.5 % and 97.5 % points of each
//     answer's values; no linearity assumed, the draws seeded so that a seed gives the same
//     intervals on any number of threads.
//
// A draw the model cannot solve (or outside a key's range) is counted and named, the
// intervals then of the others; an answer some draws do not have (a line that no longer
// freezes) is taken over those that have it, and said so.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/model_card/card_uncertainty.h"
#include "vellmor/uncertainty/answers.h"

namespace vellmor {

enum class UncertaintyMethod { kDelta, kMonteCarlo };

// "delta" or "monte-carlo", as the commands take it.
std::string_view UncertaintyMethodName(UncertaintyMethod method);

struct TUncertaintySettings {
  UncertaintyMethod Method = UncertaintyMethod::kDelta;
  int Samples = 1000;      // Monte Carlo's draws
  std::uint64_t Seed = 1;  // of its draws
  int Threads = 0;         // solving draws at the same time; 0: every core
};

struct TInterval {
  double Lo = 0.0;
  double Hi = 0.0;
};

struct TPropagatedUncertainty {
  TUncertaintySettings Settings;
  std::vector<std::string> Keys;  // the card's uncertain constants
  double Level = 0.95;
  int FailedSamples = 0;  // of Monte Carlo's draws
  // The intervals, in the answers' shape; none for an answer the solution does not have, or
  // one the draws seldom had.
  TAnswerSet<std::optional<TInterval>> Intervals;
  // The standard deviations the delta method found, in the same shape (Monte Carlo: of the
  // draws' values).
  TAnswerSet<std::optional<double>> StandardDeviations;
  std::vector<std::string> Warnings;
};

// What the case needs besides its solution: the condition, and the options it was solved
// with (its card's constants, the structure, the positions of its samples).
struct TUncertainCase {
  const TSpinCondition* Condition = nullptr;
  const TConvergedOptions* Options = nullptr;
  const TConvergedSolution* Solution = nullptr;
};

// The intervals of the answers of a solved case with the card's uncertainty. Throws nothing:
// what could not be done is a warning and an absent interval.
TPropagatedUncertainty PropagateUncertainty(const TUncertainCase& solved,
                                            const TCardUncertainty& uncertainty,
                                            const TUncertaintySettings& settings);

}  // namespace vellmor
