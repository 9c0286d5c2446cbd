#pragma once

// The condition header of the result file, line by line: 41 lines recording the inputs of the
// run and the head of the table of results. A value line is a label of 49 bytes whose unit
// closes its parentheses at byte 45, followed directly by the value in fixed notation. The
// degree sign is the two bytes 0x81 0x8E. The header is written from this table and read
// back against it, so the two can never disagree.

#include <array>
#include <cstddef>
#include <string_view>

#include "vellmor/inputs/spin_condition.h"

namespace vellmor {

inline constexpr std::size_t kHeaderLabelLength = 49;
inline constexpr int kHeaderLineCount = 41;

// One line of the header: a fixed text, or a label followed by one value of the condition.
struct THeaderLine {
  std::string_view Text;                        // the whole line, or the label of a value
  double TSpinCondition::*Field = nullptr;      // the run's value that follows, or
  int Zone = 0;                                 // the cooling zone (1 … 3) and
  double TZoneCondition::*ZoneField = nullptr;  // its value that follows
  int Precision = 0;                            // of FormatFixed for the value
  int Decimals = 0;

  constexpr bool HasValue() const { return Field != nullptr || ZoneField != nullptr; }
};

// The value a line records.
inline const double& HeaderValue(const TSpinCondition& condition, const THeaderLine& line) {
  return line.Field != nullptr ? condition.*line.Field : condition.Zones[line.Zone].*line.ZoneField;
}
inline double& HeaderValue(TSpinCondition& condition, const THeaderLine& line) {
  return line.Field != nullptr ? condition.*line.Field : condition.Zones[line.Zone].*line.ZoneField;
}

namespace header_layout {

constexpr std::string_view kHoleDiameter = "    Hole Diameter                        (cm) =  ";
constexpr std::string_view kOutput = "    Output                            (g/min) =  ";
constexpr std::string_view kTakeUpSpeed = "    Take-up Speed                     (m/min) =  ";
constexpr std::string_view kIV = "    IV                                        =  ";
constexpr std::string_view kMeltTemperature =
    "    Polymer Melt Temperature             (\x81\x8E) =  ";
constexpr std::string_view kZoneEndPosition = "    Zone End Position                    (cm) =  ";
constexpr std::string_view kA1 = "        A1                                    =  ";
constexpr std::string_view kA2 = "        A2                                    =  ";
constexpr std::string_view kA3 = "        A3                                    =  ";
constexpr std::string_view kAirVelocity = "    Air Velocity                       (cm/s) =  ";
constexpr std::string_view kIncrement = "    Increment                            (cm) =  ";

static_assert(kHoleDiameter.size() == kHeaderLabelLength && kOutput.size() == kHeaderLabelLength &&
              kTakeUpSpeed.size() == kHeaderLabelLength && kIV.size() == kHeaderLabelLength &&
              kMeltTemperature.size() == kHeaderLabelLength &&
              kZoneEndPosition.size() == kHeaderLabelLength && kA1.size() == kHeaderLabelLength &&
              kA2.size() == kHeaderLabelLength && kA3.size() == kHeaderLabelLength &&
              kAirVelocity.size() == kHeaderLabelLength && kIncrement.size() == kHeaderLabelLength);

// The column head of the table of results; the last line continues H's unit, cal/(cm²·s·°C).
constexpr std::string_view kColumnNames =
    "    X       V       F      T       D      TA      H     TEN(RE) TEN(AP)";
constexpr std::string_view kColumnUnits =
    "   cm     m/min    dyn    \x81\x8E      cm     \x81\x8E     cal/cm2  G/den   G/den";
constexpr std::string_view kColumnUnitsContinued =
    "                                                .s.\x81\x8E";

static_assert(kColumnNames.size() == 71 && kColumnUnits.size() == 70 &&
              kColumnUnitsContinued.size() == 53);

// Fills the header in order, one line after another.
class Builder {
 public:
  constexpr void Line(std::string_view text) { lines_[next_++] = {text}; }
  constexpr void Value(std::string_view label, double TSpinCondition::*field, int precision,
                       int decimals) {
    lines_[next_++] = {label, field, 0, nullptr, precision, decimals};
  }
  constexpr void ZoneValue(std::string_view label, int zone, double TZoneCondition::*field,
                           int precision, int decimals) {
    lines_[next_++] = {label, nullptr, zone, field, precision, decimals};
  }
  // A section title underlined by as many dashes as it has characters.
  constexpr void Title(std::string_view title, std::string_view dashes) {
    Line(title);
    Line(dashes.substr(0, title.size()));
  }
  constexpr int Count() const { return next_; }
  constexpr const std::array<THeaderLine, kHeaderLineCount>& Lines() const { return lines_; }

 private:
  std::array<THeaderLine, kHeaderLineCount> lines_{};
  int next_ = 0;
};

constexpr std::string_view kDashes = "---------------------";

// Zones 1 and 2 with their air-temperature equation Tair = A1 / (Z + A2) + A3.
constexpr void ZoneWithEquation(Builder& out, std::string_view title, int zone) {
  out.Title(title, kDashes);
  out.ZoneValue(kZoneEndPosition, zone, &TZoneCondition::EndPosition, 5, 1);
  out.Line("    Air Temperature Eq. Parameters:");
  out.ZoneValue(kA1, zone, &TZoneCondition::A1, 10, 2);
  out.ZoneValue(kA2, zone, &TZoneCondition::A2, 9, 4);
  out.ZoneValue(kA3, zone, &TZoneCondition::A3, 9, 2);
  out.ZoneValue(kAirVelocity, zone, &TZoneCondition::AirVelocity, 5, 1);
  out.Line("");
}

constexpr std::array<THeaderLine, kHeaderLineCount> MakeHeaderLines() {
  Builder out;
  out.Title("OPERATING CONDITION", kDashes);
  out.Value(kHoleDiameter, &TSpinCondition::HoleDiameter, 6, 4);
  out.Value(kOutput, &TSpinCondition::Output, 5, 3);
  out.Value(kTakeUpSpeed, &TSpinCondition::TakeUpSpeed, 6, 1);
  out.Value(kIV, &TSpinCondition::IV, 5, 3);
  out.Value(kMeltTemperature, &TSpinCondition::MeltTemperature, 5, 1);
  out.Line("");
  ZoneWithEquation(out, "FIRST ZONE CONDITION", 1);
  ZoneWithEquation(out, "SECOND ZONE CONDITION", 2);
  // Zone 3 uses the equation of zone 2 and so has no parameters of its own.
  out.Title("THIRD ZONE CONDITION", kDashes);
  out.ZoneValue(kZoneEndPosition, 3, &TZoneCondition::EndPosition, 5, 1);
  out.ZoneValue(kAirVelocity, 3, &TZoneCondition::AirVelocity, 5, 1);
  out.Line("");
  out.Title("CALCULATION ACCURACY", kDashes);
  out.Value(kIncrement, &TSpinCondition::Increment, 4, 1);
  out.Line("");
  out.Line("");
  out.Line("");
  out.Line("[RESULTS]");
  out.Line(kColumnNames);
  out.Line(kColumnUnits);
  out.Line(kColumnUnitsContinued);
  // A line too many would not have compiled; one too few would leave an empty line here.
  if (out.Count() != kHeaderLineCount) throw "the header has 41 lines";
  return out.Lines();
}

}  // namespace header_layout

// The 41 lines of the header, in order.
inline constexpr std::array<THeaderLine, kHeaderLineCount> kHeaderLines =
    header_layout::MakeHeaderLines();

}  // namespace vellmor
