#include "vellmor/documents/varied_inputs.h"

#include <algorithm>
#include <cctype>

#include "vellmor/base/number_text.h"
#include "vellmor/inputs/input_fields.h"

namespace vellmor {
namespace {

// The names a reader of a spinning report uses, where the key's own words are not it.
constexpr std::pair<std::string_view, std::string_view> kShortNames[] = {
    {"polymer_output", "output"},
    {"take_up_speed", "take-up speed"},
    {"zone1_air_velocity", "zone 1 air"},
    {"zone2_air_velocity", "zone 2 air"},
    {"zone3_air_velocity", "zone 3 air"},
    {"zone3_end", "take-up point"},
    {"iv", "IV"},
};

// "zone2_a1" → "zone 2 A1": words apart, a zone's number after its word, a coefficient's
// letter upper case.
std::string WordsOf(std::string_view key) {
  std::string words;
  for (std::size_t i = 0; i < key.size(); ++i) {
    const char c = key[i];
    if (c == '_') {
      words += ' ';
    } else if (std::isdigit(static_cast<unsigned char>(c)) && i > 0 &&
               std::isalpha(static_cast<unsigned char>(key[i - 1])) && words.ends_with("zone")) {
      words += ' ';
      words += c;
    } else {
      words += c;
    }
  }
  for (std::size_t at = 0; (at = words.find(" a", at)) != std::string::npos; ++at) {
    if (at + 2 < words.size() && std::isdigit(static_cast<unsigned char>(words[at + 2]))) {
      words[at + 1] = 'A';
    }
  }
  return words;
}

// The unit in the field's description, "(m/min)" at its end; none for "(dimensionless; …)".
std::string UnitOf(const TInputField& field) {
  const std::string_view text = field.Description;
  const std::size_t open = text.rfind('(');
  const std::size_t close = text.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  const std::string_view unit = text.substr(open + 1, close - open - 1);
  if (unit.find(' ') != std::string_view::npos || unit.find(';') != std::string_view::npos) {
    return {};
  }
  return std::string(unit);
}

}  // namespace

TCaseInputs CaseInputsOf(const TSpinCondition& condition) {
  TCaseInputs inputs;
  for (const TInputField& field : kInputFields) {
    if (field.Numeric()) inputs.emplace_back(std::string(field.Key), field.ValueIn(condition));
  }
  return inputs;
}

TInputName InputNameOf(std::string_view key) {
  const TInputField* field = FindInputField(key);
  if (field == nullptr || field->Key != key) return {std::string(key), {}};
  TInputName name{WordsOf(key), UnitOf(*field)};
  for (const auto& [of, short_name] : kShortNames) {
    if (of == key) name.Name = short_name;
  }
  return name;
}

std::string InputLabel(std::string_view key, double value) {
  const TInputName name = InputNameOf(key);
  std::string label = name.Name + ' ' + SignificantText(value, 6);
  if (!name.Unit.empty()) label += ' ' + name.Unit;
  return label;
}

std::string InputTitle(std::string_view key) {
  TInputName name = InputNameOf(key);
  // A card key stays as it is written; an input's name starts a sentence.
  if (FindInputField(key) != nullptr && !name.Name.empty() && name.Name != "IV") {
    name.Name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name.Name[0])));
  }
  return name.Unit.empty() ? name.Name : name.Name + " (" + name.Unit + ')';
}

TVariedInputs VariedInputs(const std::vector<TCaseInputs>& cases) {
  TVariedInputs varied;
  varied.Labels.resize(cases.size());
  varied.Values.resize(cases.size());
  const auto value_of = [](const TCaseInputs& inputs, const std::string& key) {
    const auto at = std::find_if(inputs.begin(), inputs.end(),
                                 [&key](const auto& input) { return input.first == key; });
    return at == inputs.end() ? std::nullopt : std::optional<double>(at->second);
  };
  // Every key of any case, in the order first seen.
  std::vector<std::string> keys;
  for (const TCaseInputs& inputs : cases) {
    for (const auto& [key, value] : inputs) {
      if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
    }
  }
  // Only the cases with inputs are compared: a measured file beside result files has none.
  for (const std::string& key : keys) {
    std::optional<double> first;
    bool differs = false;
    for (const TCaseInputs& inputs : cases) {
      if (inputs.empty()) continue;
      const std::optional<double> value = value_of(inputs, key);
      if (!first) {
        first = value;
        if (!value) differs = true;
      } else if (value != first) {
        differs = true;
      }
    }
    if (differs) varied.Keys.push_back(key);
  }
  for (std::size_t c = 0; c < cases.size(); ++c) {
    if (cases[c].empty()) continue;
    for (const std::string& key : varied.Keys) {
      const std::optional<double> value = value_of(cases[c], key);
      if (!value) continue;
      if (!varied.Labels[c].empty()) varied.Labels[c] += ", ";
      varied.Labels[c] += InputLabel(key, *value);
    }
    if (!varied.Keys.empty()) varied.Values[c] = value_of(cases[c], varied.Keys.front());
  }
  return varied;
}

}  // namespace vellmor
