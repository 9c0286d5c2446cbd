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
  TInputTexts Texts;       // the base inputs every case starts from
  bool TextsGiven = true;  // any of them given, rather than all the window's defaults
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

// What refuses a fit before fitting, as one line.
struct TFitRefusal {
  std::string Message;
  // The measurements are of a kind the line can not give (plausibility.h), rather than a text
  // that does not read: data of another unit or line.
  bool Implausible = false;
};

// The fit, or what refuses what it was given before fitting: a measurement, cases or
// candidates text that does not read, a case named by a measurement but given by no cases
// text, a case whose inputs or card are refused, a constant that does not parse, a
// measurement the line can not give.
std::variant<TFitRun, TFitRefusal> RunFit(const TFitInputs& inputs);

}  // namespace vellmor
