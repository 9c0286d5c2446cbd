#include "core/inputs/read_inputs.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/inputs/input_checks.h"
#include "core/inputs/number_conversion.h"

namespace vellmor {
namespace {

struct NumericField {
  const std::string* text;
  double* value;
};

// The eighteen numeric fields in the order the window lists them. Zone 3 has no
// air-temperature equation of its own, so its A1, A2 and A3 are not among them.
std::array<NumericField, 18> NumericFields(const TInputTexts& t, TSpinCondition& c) {
  return {{
      {&t.HoleDiameter, &c.HoleDiameter},
      {&t.Output, &c.Output},
      {&t.TakeUpSpeed, &c.TakeUpSpeed},
      {&t.MeltTemperature, &c.MeltTemperature},
      {&t.Zone1End, &c.Zones[1].EndPosition},
      {&t.Zone1A1, &c.Zones[1].A1},
      {&t.Zone1A2, &c.Zones[1].A2},
      {&t.Zone1A3, &c.Zones[1].A3},
      {&t.Zone1AirVelocity, &c.Zones[1].AirVelocity},
      {&t.Zone2End, &c.Zones[2].EndPosition},
      {&t.Zone2A1, &c.Zones[2].A1},
      {&t.Zone2A2, &c.Zones[2].A2},
      {&t.Zone2A3, &c.Zones[2].A3},
      {&t.Zone2AirVelocity, &c.Zones[2].AirVelocity},
      {&t.Zone3End, &c.Zones[3].EndPosition},
      {&t.Zone3AirVelocity, &c.Zones[3].AirVelocity},
      {&t.IV, &c.IV},
      {&t.Increment, &c.Increment},
  }};
}

// Every field is converted before any value is checked; the first one that is not a number
// stops the reading, leaving the fields after it as they were.
bool ConvertFields(const TInputTexts& texts, char decimal_separator, TSpinCondition& condition) {
  for (const NumericField& field : NumericFields(texts, condition)) {
    const std::optional<double> value = ConvertNumber(*field.text, decimal_separator);
    if (!value) return false;
    *field.value = *value;
  }
  condition.SaveFileName = texts.SaveFileName;
  return true;
}

}  // namespace

bool ReadInputs(const TInputTexts& texts, char decimal_separator, TSpinCondition& condition,
                MessageSink& sink, InputUse use) {
  if (!ConvertFields(texts, decimal_separator, condition)) {
    sink.ShowMessage(kInputValueNotCorrect);
    return false;
  }
  std::optional<std::string_view> refusal = FailedCheck(condition);
  if (!refusal && use == InputUse::kMarch) refusal = FailedPointCount(condition);
  if (refusal) {
    sink.ShowMessage(*refusal);
    return false;
  }
  return true;
}

}  // namespace vellmor
