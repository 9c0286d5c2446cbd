#include "core/inputs/input_texts.h"

#include <algorithm>

#include "core/inputs/input_fields.h"

namespace vellmor {

TInputTexts DefaultInputTexts(char decimal_separator) {
  TInputTexts texts;
  for (const TInputField& field : kInputFields) {
    if (!field.Numeric) continue;  // the save file name is a name, not a number
    std::string& text = texts.*field.Text;
    std::replace(text.begin(), text.end(), '.', decimal_separator);
  }
  return texts;
}

}  // namespace vellmor
