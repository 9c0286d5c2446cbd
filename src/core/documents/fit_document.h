#pragma once

// The reader of a fit's JSON (vellmor-cli fit --json): the fitted card, and each case with
// its inputs and its measurements beside the model's values; and the cases solved again with
// the fitted card, as the fit left them, for a viewer to draw the lines the fit found.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/documents/varied_inputs.h"
#include "vellmor/fit/measured_data.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {

// One measurement of a fit's case: measured, and where the fit gives it, (model − measured)/σ.
struct TFitPoint {
  Quantity What = Quantity::kDiameterUm;
  double X = 0.0;
  double Measured = 0.0;
  double Sigma = 0.0;  // 0 where the document gives none
  std::optional<double> Normalised;
};

struct TFitDocumentCase {
  std::string Name;
  TInputTexts Texts;   // as the fit read them
  TCaseInputs Inputs;  // their values, where the document gives them
  char DecimalSeparator = '.';
  bool Structure = false;  // a structure quantity was measured: the fit solved it so
  std::vector<TFitPoint> Points;
};

// A fitted constant: its estimate and its 95 % interval (the profile likelihood's where the
// fit found it, else the Wald interval), in the key's own unit.
struct TFittedConstant {
  std::string Key;
  double Estimate = 0.0;
  std::optional<double> Lo, Hi;
  bool Profile = false;  // the interval is the profile likelihood's
};

struct TFitDocument {
  int SchemaVersion = 0;
  TReadCard Card;  // the fitted card, with what it left out
  std::vector<TFitDocumentCase> Cases;
  std::vector<TFittedConstant> Constants;
};

// The document of a fit's JSON, or the message that refuses it, naming the file.
std::variant<TFitDocument, std::string> ReadFitJson(std::string_view bytes,
                                                    std::string_view file_name);

// Each case solved again with the fitted card by the converged model at points positions from
// the spinneret to the take-up point, with the structure where the fit measured it; nullopt
// for a case that no longer solves.
std::vector<std::optional<TConvergedSolution>> SolveFitCases(const TFitDocument& document,
                                                             int points = 1001);

}  // namespace vellmor
