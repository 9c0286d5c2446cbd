#pragma once

// Measurements taken on a spinline, as a CSV file: which quantity, where, at which operating
// condition, how precise. One row per measurement:
//
//   case,x_cm,quantity,value,sigma
//   slow,20,diameter_um,58.1,0.5
//   slow,100,tension_dyn,455.2,
//
// case (optional) names a row of a cases file; sigma (optional) is the standard deviation in
// the quantity's unit. Candidate measurements (what could be measured next) have the same
// format without value.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/physics/units.h"

namespace vellmor {

// What was measured, and the unit it is given in.
// The fibre's birefringence and crystallinity are measured on the yarn (at the take-up end,
// or wherever a sample was taken); fitting them solves the cases with the structure.
enum class Quantity {
  kDiameterUm,
  kTemperatureC,
  kVelocityMMin,
  kTensionDyn,
  kBirefringence,
  kCrystallinity
};

// The one table of what can be measured: each quantity's name in the data (with its unit), and
// the converged model's value of it at a sample, in that unit.
struct TQuantityInfo {
  Quantity What;
  std::string_view Name;  // "diameter_um"
  bool Structure;         // a model of it needs the fibre's structure
  double (*ModelValue)(const TConvergedSample&);
};

inline constexpr TQuantityInfo kQuantityTable[] = {
    {Quantity::kDiameterUm, "diameter_um", false,
     [](const TConvergedSample& s) { return s.D * kMicrometresPerCm; }},
    {Quantity::kTemperatureC, "temperature_C", false,
     [](const TConvergedSample& s) { return s.T; }},
    {Quantity::kVelocityMMin, "velocity_m_min", false,
     [](const TConvergedSample& s) { return MetresPerMinute(s.V); }},
    {Quantity::kTensionDyn, "tension_dyn", false, [](const TConvergedSample& s) { return s.F; }},
    {Quantity::kBirefringence, "birefringence", true,
     [](const TConvergedSample& s) { return s.Birefringence; }},
    {Quantity::kCrystallinity, "crystallinity", true,
     [](const TConvergedSample& s) { return s.Crystallinity; }},
};
inline constexpr std::size_t kQuantityCount = std::size(kQuantityTable);

// Every quantity in the table's order, for the loops that go over them.
inline constexpr std::array<Quantity, kQuantityCount> kQuantities = [] {
  std::array<Quantity, kQuantityCount> quantities{};
  for (std::size_t i = 0; i < kQuantityCount; ++i) quantities[i] = kQuantityTable[i].What;
  return quantities;
}();

static_assert(
    [] {
      for (std::size_t i = 0; i < kQuantityCount; ++i) {
        if (static_cast<std::size_t>(kQuantityTable[i].What) != i) return false;
      }
      return true;
    }(),
    "the quantities' table is in the order of Quantity");

// The table's row of a quantity.
constexpr const TQuantityInfo& QuantityInfo(Quantity quantity) {
  return kQuantityTable[static_cast<std::size_t>(quantity)];
}

// Whether a model of that quantity needs the fibre's structure.
inline bool IsStructureQuantity(Quantity quantity) { return QuantityInfo(quantity).Structure; }

// "diameter_um", "temperature_C", "velocity_m_min", "tension_dyn", "birefringence",
// "crystallinity".
std::string_view QuantityName(Quantity quantity);
std::optional<Quantity> FindQuantity(std::string_view name);

struct TMeasurement {
  std::string Case;  // as in the file; empty without a case column
  double X = 0.0;    // cm from the spinneret
  Quantity What = Quantity::kDiameterUm;
  double Value = 0.0;  // in the quantity's unit; 0 for a candidate
  std::optional<double> Sigma;
  int Line = 0;  // in the file, for messages
};

struct TMeasuredData {
  bool HasCaseColumn = false;
  std::vector<TMeasurement> Rows;
};

// Whether the rows hold a value (measurements) or only say what could be measured
// (candidates).
enum class MeasuredRows { kMeasurements, kCandidates };

// Reads the CSV text: header required (columns in any order, names as above), point decimal,
// RFC 4180 quoting. Problems name the file, line and column: an unknown or missing column, an
// unknown quantity, a number that is not one, a position below 0, a sigma that is not above 0,
// no row at all.
std::variant<TMeasuredData, std::string> ReadMeasuredData(
    std::string_view csv, std::string_view source_name,
    MeasuredRows rows = MeasuredRows::kMeasurements);

}  // namespace vellmor
