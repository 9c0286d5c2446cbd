#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <vector>

#include "vellmor/converged/converged_run.h"
#include "vellmor/exports/json_parts.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/sensitivity/sensitivities.h"
#include "vellmor/uncertainty/propagation.h"

namespace vellmor {

// The card as used, every key: {"name": …, "density": {"intercept_g_cm3": 1.36, …}, …,
// "gravity_cm_s2": 980, "structure": {…, "coupled": false}}, doubles to the bit, a choice by
// its name.
// With the card's uncertainty, where it has one, as its YAML holds it.
nlohmann::ordered_json ModelCardJson(const ModelCard& card);
// The constants alone.
nlohmann::ordered_json ModelCardConstantsJson(const ModelCard& card);

// Everything the JSON document of one converged run records.
struct TConvergedRecord {
  const TInputTexts& Texts;  // as typed
  char DecimalSeparator;     // the texts were converted with
  const TConvergedRun& Run;
  const ModelCard& Card;
  const TSensitivities* Sensitivities = nullptr;        // when they were asked for
  const TPropagatedUncertainty* Uncertainty = nullptr;  // the intervals, with such a card
  // false: the profile is null, for a caller that hands the samples on in another form.
  bool WithProfile = true;
  const TProgram* Program = nullptr;  // who wrote the document; none: no program key
  // What the user should know: the constants the card left out, the elasticities not found.
  std::vector<std::string> Warnings = {};
};

// The converged run in the layout of the classical run's document (schema_version,
// decimal_separator, inputs, status, message, summary, process_numbers with the same keys,
// profile), with the card as used (model) and the elasticities (sensitivities:
// {output: {parameter: elasticity}}, null where there is none) when asked for. What the run
// did not reach is null. docs/json-export.md describes the keys.
nlohmann::ordered_json ConvergedRunJson(const TConvergedRecord& record);

// The document as the exports write it: indented by two blanks, ending with a line break.
std::string ConvergedRunJsonText(const TConvergedRecord& record);

}  // namespace vellmor
