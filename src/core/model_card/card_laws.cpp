// The checks of a meaningful card: each number within its key's range (the table's), then the
// laws that two keys make together, and the range of valid IV.

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <string>

#include "vellmor/model_card/model_card.h"

namespace vellmor {
namespace {

// The key that sets a field of the spinline's laws: the laws below name their keys by the
// constants they read, not by paths.
const TModelKey& KeyOf(double TSpinlineConstants<double>::*field) {
  const auto key = std::find_if(kModelKeys.begin(), kModelKeys.end(),
                                [field](const TModelKey& k) { return k.Value == field; });
  assert(key != kModelKeys.end());
  return *key;
}

// A value the card would lead to, to four digits: enough to see why it is refused.
std::string Rounded(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 4);
  return std::string(text, result.ptr);
}

}  // namespace

std::optional<TMeaninglessValue> MeaninglessValue(const ModelCard& card) {
  for (const TModelKey& key : kModelKeys) {
    if (!key.IsNumber()) continue;
    if (std::optional<std::string> why = OutOfRange(key, card.Value(key))) {
      return TMeaninglessValue{&key, std::move(*why)};
    }
  }
  // Linear laws in T over the range a spinline sees, from a cold take-up to a hot melt; their
  // values at 0 °C are above 0 by their keys' ranges.
  constexpr double kHottest = 400.0;  // °C
  using D = TSpinlineConstants<double>;
  struct TLinearLaw {
    const TModelKey& Intercept;
    const TModelKey& Slope;
    double Sign;
    std::string_view What;
    std::string_view Unit;
  };
  for (const TLinearLaw& law : {
           TLinearLaw{KeyOf(&D::DensityIntercept), KeyOf(&D::DensitySlope), -1.0, "the density",
                      " g/cm³"},
           TLinearLaw{KeyOf(&D::SpecificHeatIntercept), KeyOf(&D::SpecificHeatSlope), 1.0,
                      "the specific heat", " cal/(g·°C)"},
       }) {
    const double at_hottest =
        card.Value(law.Intercept) + law.Sign * card.Value(law.Slope) * kHottest;
    if (!(at_hottest > 0.0)) {
      return TMeaninglessValue{&law.Slope, std::string(law.What) + " would be " +
                                               Rounded(at_hottest) + std::string(law.Unit) +
                                               " at 400 °C: it must stay above 0 from 0 to 400 °C"};
    }
  }
  // The bundle has whole rows.
  const TModelKey& rows = *FindModelKey("bundle.rows");
  if (const double value = card.Value(rows); value != std::floor(value)) {
    return TMeaninglessValue{&rows, "must be a whole number, not " + CardNumberText(value)};
  }
  // The range of valid IV runs upwards.
  const TModelKey& low = *FindModelKey("viscosity.valid_iv_min");
  const TModelKey& high = *FindModelKey("viscosity.valid_iv_max");
  if (!(card.Value(high) >= card.Value(low))) {
    return TMeaninglessValue{&high, "must be " + std::string(low.Path) + " (" +
                                        CardNumberText(card.Value(low)) + ") or more, not " +
                                        CardNumberText(card.Value(high))};
  }
  return std::nullopt;
}

}  // namespace vellmor
