// The condition header of the result file: 41 lines recording the inputs of the run and the
// head of the table of results. Every value line is a label of 49 bytes whose unit closes its
// parentheses at byte 45, followed directly by the value. The degree sign is written as the
// two bytes 0x81 0x8E.

#include "core/report/write_header.h"

#include <string>
#include <string_view>

#include "core/report/format_fixed.h"
#include "core/report/result_file.h"
#include "core/run/run_error.h"

namespace vellmor {
namespace {

constexpr std::size_t kLabelLength = 49;

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

static_assert(kHoleDiameter.size() == kLabelLength && kOutput.size() == kLabelLength &&
              kTakeUpSpeed.size() == kLabelLength && kIV.size() == kLabelLength &&
              kMeltTemperature.size() == kLabelLength && kZoneEndPosition.size() == kLabelLength &&
              kA1.size() == kLabelLength && kA2.size() == kLabelLength &&
              kA3.size() == kLabelLength && kAirVelocity.size() == kLabelLength &&
              kIncrement.size() == kLabelLength);

// The column head of the table of results; the last line continues H's unit, cal/(cm²·s·°C).
constexpr std::string_view kColumnNames =
    "    X       V       F      T       D      TA      H     TEN(RE) TEN(AP)";
constexpr std::string_view kColumnUnits =
    "   cm     m/min    dyn    \x81\x8E      cm     \x81\x8E     cal/cm2  G/den   G/den";
constexpr std::string_view kColumnUnitsContinued =
    "                                                .s.\x81\x8E";

static_assert(kColumnNames.size() == 71 && kColumnUnits.size() == 70 &&
              kColumnUnitsContinued.size() == 53);

class HeaderWriter {
 public:
  HeaderWriter(ResultFile& file, char decimal_separator)
      : file_(file), decimal_separator_(decimal_separator) {}

  void Line(std::string_view text) { file_.WriteLine(text); }

  void Value(std::string_view label, double value, int precision, int decimals) {
    std::string line(label);
    line += FormatFixed(value, precision, decimals, decimal_separator_);
    file_.WriteLine(line);
  }

  // A section title underlined by as many dashes as it has characters.
  void Title(std::string_view title) {
    file_.WriteLine(title);
    file_.WriteLine(std::string(title.size(), '-'));
  }

 private:
  ResultFile& file_;
  char decimal_separator_;
};

void WriteOperatingCondition(HeaderWriter& out, const TSpinCondition& condition) {
  out.Title("OPERATING CONDITION");
  out.Value(kHoleDiameter, condition.HoleDiameter, 6, 4);
  out.Value(kOutput, condition.Output, 5, 3);
  out.Value(kTakeUpSpeed, condition.TakeUpSpeed, 6, 1);
  out.Value(kIV, condition.IV, 5, 3);
  out.Value(kMeltTemperature, condition.MeltTemperature, 5, 1);
  out.Line("");
}

// Zones 1 and 2 with their air-temperature equation Tair = A1 / (Z + A2) + A3.
void WriteZoneWithEquation(HeaderWriter& out, std::string_view title, const TZoneCondition& zone) {
  out.Title(title);
  out.Value(kZoneEndPosition, zone.EndPosition, 5, 1);
  out.Line("    Air Temperature Eq. Parameters:");
  out.Value(kA1, zone.A1, 10, 2);
  out.Value(kA2, zone.A2, 9, 4);
  out.Value(kA3, zone.A3, 9, 2);
  out.Value(kAirVelocity, zone.AirVelocity, 5, 1);
  out.Line("");
}

// Zone 3 uses the equation of zone 2 and so has no parameters of its own.
void WriteLastZone(HeaderWriter& out, const TZoneCondition& zone) {
  out.Title("THIRD ZONE CONDITION");
  out.Value(kZoneEndPosition, zone.EndPosition, 5, 1);
  out.Value(kAirVelocity, zone.AirVelocity, 5, 1);
  out.Line("");
}

void WriteAccuracyAndColumnHead(HeaderWriter& out, const TSpinCondition& condition) {
  out.Title("CALCULATION ACCURACY");
  out.Value(kIncrement, condition.Increment, 4, 1);
  out.Line("");
  out.Line("");
  out.Line("");
  out.Line("[RESULTS]");
  out.Line(kColumnNames);
  out.Line(kColumnUnits);
  out.Line(kColumnUnitsContinued);
}

}  // namespace

bool WriteHeader(const TSpinCondition& condition, char decimal_separator, MessageSink& sink,
                 ResultFileLock& hold) {
  ResultFile file;
  switch (file.Open(condition.SaveFileName, ResultFile::Mode::kCreate, hold)) {
    case ResultFile::OpenResult::kOpened:
      break;
    case ResultFile::OpenResult::kNameTooLong:
      sink.ShowMessage(kSaveFileNameTooLong);
      return false;
    case ResultFile::OpenResult::kCanNotOpen:
      sink.ShowMessage(kFileCanNotOpen);
      return false;
  }
  try {
    HeaderWriter out(file, decimal_separator);
    WriteOperatingCondition(out, condition);
    WriteZoneWithEquation(out, "FIRST ZONE CONDITION", condition.Zones[1]);
    WriteZoneWithEquation(out, "SECOND ZONE CONDITION", condition.Zones[2]);
    WriteLastZone(out, condition.Zones[3]);
    WriteAccuracyAndColumnHead(out, condition);
    file.Close();
  } catch (const FileWriteError&) {
    hold.Release();  // the run ends here: the file is nobody's any more
    throw;
  }
  return true;
}

}  // namespace vellmor
