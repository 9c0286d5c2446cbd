#include "vellmor/converged/converged_parameters.h"

namespace vellmor {

double TConvergedParameter::ValueIn(const TSpinCondition& condition,
                                    const TModelConstants& model) const {
  return Input != nullptr ? Input->ValueIn(condition) : ModelValue(model, *Key);
}

void TConvergedParameter::Set(TSpinCondition& condition, TModelConstants& model,
                              double value) const {
  if (Input != nullptr) {
    Input->Of(condition) = value;
  } else {
    SetModelValue(model, *Key, value);
  }
}

std::vector<TConvergedParameter> ConvergedParameters(bool with_structure) {
  std::vector<TConvergedParameter> parameters;
  for (const TInputField& field : kInputFields) {
    if (field.Numeric() && !field.MarchOnly) parameters.push_back({&field, nullptr});
  }
  for (const TModelKey& key : kModelKeys) {
    // The valid IV's range and the bundle change no law of one filament.
    if (key.IsNumber() && !key.IsValidity() && !key.IsBundle() &&
        (with_structure || !key.IsStructure())) {
      parameters.push_back({nullptr, &key});
    }
  }
  return parameters;
}

}  // namespace vellmor
