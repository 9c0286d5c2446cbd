#pragma once

// A fit as a front end asks for it, from the texts it has read (the measurements, the cases,
// the candidates) to the fit: the one place that decides how the cases and the measurements
// are matched, so that every front end refuses the same things with the same words.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vellmor/fit/spinline_fit.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {

struct TFitInputs {
  TInputTexts Texts;  // the base inputs every case starts from
  char DecimalSeparator = '.';
  ModelCard Card;  // the base card
  std::string_view Measured;
  std::string MeasuredSource;  // the name problems give it: the file's
  // The operating conditions, one per row with a column case; none: the base inputs alone.
  std::optional<std::string_view> Cases;
  std::string CasesSource;
  std::vector<std::string> Fits;  // KEY[=START[:LO:HI]] each
  TFitOptions Options;            // its Candidates come from Candidates below
  std::optional<std::string_view> Candidates;
  std::string CandidatesSource;
};

struct TFitRun {
  std::variant<TFitResult, TFitFailure> Fit;
  std::size_t CaseCount = 0;
  std::size_t MeasurementCount = 0;
};

// The fit, or the one line that refuses what it was given before fitting: a measurement,
// cases or candidates text that does not read, a case named by a measurement but given by no
// cases text, a case whose inputs or card are refused, a constant that does not parse.
std::variant<TFitRun, std::string> RunFit(const TFitInputs& inputs);

}  // namespace vellmor
