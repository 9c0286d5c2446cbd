#include "vellmor/inputs/read_inputs.h"

#include <optional>
#include <string>
#include <string_view>

#include "vellmor/inputs/input_checks.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/inputs/number_conversion.h"

namespace vellmor {
namespace {

// Every field is converted before any value is checked, in the order the window lists them;
// the first one that is not a number stops the reading, leaving the fields after it as they
// were.
bool ConvertFields(const TInputTexts& texts, char decimal_separator, TSpinCondition& condition) {
  for (const TInputField& field : kInputFields) {
    if (!field.Numeric()) continue;
    const std::optional<double> value = ConvertNumber(texts.*field.Text, decimal_separator);
    if (!value) return false;
    field.Of(condition) = *value;
  }
  condition.SaveFileName = texts.SaveFileName;
  return true;
}

}  // namespace

bool ReadInputs(const TInputTexts& texts, char decimal_separator, TSpinCondition& condition,
                MessageSink& sink, InputUse use, const TIvRange& converged_iv) {
  if (!ConvertFields(texts, decimal_separator, condition)) {
    sink.ShowMessage(kInputValueNotCorrect);
    return false;
  }
  if (use == InputUse::kConverged) {
    const std::optional<std::string> refusal = FailedConvergedCheck(condition, converged_iv);
    if (refusal) sink.ShowMessage(*refusal);
    return !refusal;
  }
  std::optional<std::string_view> refusal = FailedCheck(condition);
  if (!refusal) refusal = FailedPointCount(condition);
  if (refusal) {
    sink.ShowMessage(*refusal);
    return false;
  }
  return true;
}

}  // namespace vellmor
