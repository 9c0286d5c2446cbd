#pragma once

// What the spinline did to the fibre, at the take-up end, and the four numbers every front
// end shows of it under one name each: the solve summary, the JSON's structure object, the
// sweep's columns and the viewer's table.

#include <array>
#include <optional>
#include <string_view>

namespace vellmor {

struct TStructureSummary {
  double Birefringence = 0.0;  // as frozen in at the freeze point, or at the end if never
  double Orientation = 0.0;    // amorphous orientation f
  double Crystallinity = 0.0;  // mass fraction X
  bool Coupled = false;        // whether the crystallization acted back on the line
  // Where the crystallinity first reached 1 % (cm); empty when it never did.
  std::optional<double> Onset;
};

struct TStructureNumberInfo {
  std::string_view Key;    // "onset_cm": the exports' name, with its unit
  std::string_view Label;  // "Onset of crystallization (cm)": a reader's
  int Decimals;            // as the summary and the viewer show it
  std::optional<double> (*Value)(const TStructureSummary&);  // nullopt: no onset
};

inline constexpr std::array<TStructureNumberInfo, 4> kStructureNumbers{{
    {"birefringence", "Birefringence", 5,
     [](const TStructureSummary& s) -> std::optional<double> { return s.Birefringence; }},
    {"orientation", "Orientation", 4,
     [](const TStructureSummary& s) -> std::optional<double> { return s.Orientation; }},
    {"crystallinity", "Crystallinity", 5,
     [](const TStructureSummary& s) -> std::optional<double> { return s.Crystallinity; }},
    {"onset_cm", "Onset of crystallization (cm)", 2,
     [](const TStructureSummary& s) { return s.Onset; }},
}};

}  // namespace vellmor
