#include "vellmor/inputs/input_texts.h"

#include <algorithm>

#include "vellmor/base/number_text.h"
#include "vellmor/inputs/input_fields.h"

namespace vellmor {

TInputTexts DefaultInputTexts(char decimal_separator) {
  TInputTexts texts;
  for (const TInputField& field : kInputFields) {
    if (!field.Numeric()) continue;  // the save file name is a name, not a number
    std::string& text = texts.*field.Text;
    std::replace(text.begin(), text.end(), '.', decimal_separator);
  }
  return texts;
}

TInputTexts TextsOf(const Conditions& conditions) {
  TInputTexts texts;
  for (const TInputField& field : kInputFields) {
    if (!field.Numeric()) continue;
    const std::optional<double>& value = conditions.*field.Value;
    // Not a number has no text: "nan" is refused by the conversion as any other non-number.
    if (value) texts.*field.Text = ShortestText(*value).value_or("nan");
  }
  if (conditions.save_file) texts.SaveFileName = *conditions.save_file;
  return texts;
}

std::string TInputField::Option() const {
  std::string option(Key);
  std::replace(option.begin(), option.end(), '_', '-');
  return option;
}

const TInputField* FindInputField(std::string_view name) {
  for (const TInputField& field : kInputFields) {
    if (field.Key.size() != name.size()) continue;
    if (std::equal(name.begin(), name.end(), field.Key.begin(), [](char given, char key) {
          return given == key || (given == '-' && key == '_');
        }))
      return &field;
  }
  return nullptr;
}

}  // namespace vellmor
