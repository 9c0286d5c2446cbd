#pragma once

// The JSON document of the stability command: the case and card as solve's document records
// them, the steady line's draw ratio, the sections and intervals of the grids, the leading
// eigenvalues on both grids with the verdict and margin, and where asked the critical point
// and the response to a disturbance. Rates in 1/s, frequencies in Hz, phases in degrees.

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>
#include <vector>

#include "vellmor/exports/json_parts.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/stability/critical_point.h"
#include "vellmor/stability/disturbance_response.h"

namespace vellmor {

struct TStabilityRecord {
  const TInputTexts& Texts;
  char DecimalSeparator;
  const ModelCard& Card;
  const TLineStability& Line;
  std::string_view CriticalKey;               // empty: none asked
  const TCriticalPoint* Critical = nullptr;   // with it
  std::optional<Disturbance> Response;        // none asked: null
  const std::vector<TResponsePoint>& Points;  // of the response
  const TProgram* Program = nullptr;
  std::vector<std::string> Warnings = {};
};

nlohmann::ordered_json StabilityJson(const TStabilityRecord& record);

}  // namespace vellmor
