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

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

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

inline constexpr Quantity kQuantities[] = {Quantity::kDiameterUm,    Quantity::kTemperatureC,
                                           Quantity::kVelocityMMin,  Quantity::kTensionDyn,
                                           Quantity::kBirefringence, Quantity::kCrystallinity};
inline constexpr std::size_t kQuantityCount = std::size(kQuantities);

// Whether a model of that quantity needs the fibre's structure.
inline bool IsStructureQuantity(Quantity quantity) {
  return quantity == Quantity::kBirefringence || quantity == Quantity::kCrystallinity;
}

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
