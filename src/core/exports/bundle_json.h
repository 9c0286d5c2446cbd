#pragma once

// The documents of a bundle: its JSON (docs/bundle.md describes the keys) and every row's
// profile as one CSV, a column row before the converged profile's.

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "vellmor/bundle/bundle_run.h"
#include "vellmor/exports/json_parts.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {

struct TBundleRecord {
  const TInputTexts& Texts;  // as typed
  char DecimalSeparator;     // the texts were converted with
  const TBundleRun& Run;
  const ModelCard& Card;
  const TProgram* Program = nullptr;  // who wrote the document; none: no program key
  std::vector<std::string> Warnings = {};
};

// schema_version, program, decimal_separator, inputs, status and message as the converged
// run's document; then rows (each row's numbers, process numbers, structure and profile), air
// (each zone of cross flow: its positions and the air's temperature and velocity met by every
// row and leaving the last), spread, energy_balance, model and warnings. What the run did not
// reach is null.
nlohmann::ordered_json BundleJson(const TBundleRecord& record);

// Every row's profile: row, then the columns of ConvergedProfileCsv (with the structure's when
// followed), the rows one after the other.
std::string BundleProfileCsv(const TBundleRun& run, bool with_structure);

}  // namespace vellmor
