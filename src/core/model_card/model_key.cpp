// A key's value by its kind: where it lands in the constants, its text in and out, its range.

#include "vellmor/model_card/model_key.h"

#include <cassert>

#include "vellmor/base/number_text.h"

namespace vellmor {
namespace {

std::string Text(double value) { return ShortestText(value).value_or("nan"); }

std::string Bound(double bound, std::string_view unit) { return Text(bound) + std::string(unit); }

}  // namespace

TKeyValue KeyValue(const TModelConstants& constants, const TModelKey& key) {
  switch (key.Kind) {
    case KeyKind::kNumber:
      if (key.Structure != nullptr || key.Validity != nullptr || key.Bundle != nullptr) {
        const double value = key.Structure != nullptr  ? constants.Structure.*key.Structure
                             : key.Validity != nullptr ? constants.ValidIv.*key.Validity
                                                       : constants.Bundle.*key.Bundle;
        return TCardNumber{value, value};
      }
      return TCardNumber{constants.Laws.*key.Value, constants.Exit.*key.Extended};
    case KeyKind::kBoolean:
      return constants.Structure.*key.Switch;
    case KeyKind::kChoice:
      return TChoice{key.Choice->Get(constants)};
  }
  assert(false);
  return false;
}

void SetKeyValue(TModelConstants& constants, const TModelKey& key, const TKeyValue& value) {
  switch (key.Kind) {
    case KeyKind::kNumber: {
      const TCardNumber& number = std::get<TCardNumber>(value);
      if (key.Structure != nullptr) {
        constants.Structure.*key.Structure = number.Value;
      } else if (key.Validity != nullptr) {
        constants.ValidIv.*key.Validity = number.Value;
      } else if (key.Bundle != nullptr) {
        constants.Bundle.*key.Bundle = number.Value;
      } else {
        constants.Laws.*key.Value = number.Value;
        constants.Exit.*key.Extended = number.Extended;
      }
      return;
    }
    case KeyKind::kBoolean:
      constants.Structure.*key.Switch = std::get<bool>(value);
      return;
    case KeyKind::kChoice:
      assert(std::get<TChoice>(value).Index < key.Names.size());
      key.Choice->Set(constants, std::get<TChoice>(value).Index);
      return;
  }
}

double ModelValue(const TModelConstants& constants, const TModelKey& key) {
  assert(key.IsNumber());
  return std::get<TCardNumber>(KeyValue(constants, key)).Value;
}

void SetModelValue(TModelConstants& constants, const TModelKey& key, double value) {
  SetKeyValue(constants, key, TCardNumber{value, value});
}

std::optional<TKeyValue> KeyValueOfText(const TModelKey& key, std::string_view text) {
  switch (key.Kind) {
    case KeyKind::kNumber:
      if (const std::optional<TCardNumber> number = CardNumberInBoth(text)) return *number;
      return std::nullopt;
    case KeyKind::kBoolean:
      if (text == "true") return true;
      if (text == "false") return false;
      return std::nullopt;
    case KeyKind::kChoice:
      for (std::size_t i = 0; i < key.Names.size(); ++i) {
        if (key.Names[i] == text) return TChoice{i};
      }
      return std::nullopt;
  }
  return std::nullopt;
}

std::string KindWanted(const TModelKey& key) {
  switch (key.Kind) {
    case KeyKind::kNumber:
      return "a number";
    case KeyKind::kBoolean:
      return "true or false";
    case KeyKind::kChoice: {
      std::string names = "one of ";
      for (std::size_t i = 0; i < key.Names.size(); ++i) {
        names.append(i == 0 ? "" : ", ").append(key.Names[i]);
      }
      return names;
    }
  }
  return {};
}

std::string NotOfKind(const TModelKey& key, std::string_view text) {
  if (key.IsNumber()) return "not a number: " + std::string(text);
  return KindWanted(key) + ", not " + std::string(text);
}

std::string KeyValueText(const TModelKey& key, const TKeyValue& value) {
  switch (key.Kind) {
    case KeyKind::kNumber:
      return CardNumberText(std::get<TCardNumber>(value).Value);
    case KeyKind::kBoolean:
      return std::get<bool>(value) ? "true" : "false";
    case KeyKind::kChoice:
      return std::string(key.Names[std::get<TChoice>(value).Index]);
  }
  return {};
}

std::optional<std::string> OutOfRange(const TModelKey& key, double value) {
  const TNumberRange& range = key.Range;
  const std::string shown = ", not " + Text(value);
  if (range.LowIncluded ? !(value >= range.Low) : !(value > range.Low)) {
    return range.LowIncluded ? "must be " + Bound(range.Low, range.Unit) + " or more" + shown
                             : "must be above " + Bound(range.Low, range.Unit) + shown;
  }
  if (range.HighIncluded ? !(value <= range.High) : !(value < range.High)) {
    return range.HighIncluded ? "must be " + Bound(range.High, range.Unit) + " or less" + shown
                              : "must be below " + Bound(range.High, range.Unit) + shown;
  }
  return std::nullopt;
}

}  // namespace vellmor
