#include "vellmor/model_card/model_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>

#include "vellmor/model_card/key_suggestion.h"

namespace vellmor {
namespace {

TModelKey NumberKey(TNumberRange range) {
  TModelKey key;
  key.Path = "test.number";
  key.Range = range;
  return key;
}

// A choice as a future rheology.model would be: the kind exists before its first key.
constexpr std::array<std::string_view, 3> kRheologies{"newtonian", "maxwell", "giesekus"};
TModelKey ChoiceKey() {
  TModelKey key;
  key.Path = "rheology.model";
  key.Kind = KeyKind::kChoice;
  key.Names = kRheologies;
  return key;
}

// The table's size is declared apart from its rows: a row too few would be a key of no name
// and no place, which the card's writer would write as ": 0".
TEST(ModelKey, EveryRowOfTheTableIsAKeyWithAPathAndAPlace) {
  for (const TModelKey& key : kModelKeys) {
    EXPECT_FALSE(key.Path.empty());
    EXPECT_FALSE(key.Meaning.empty()) << key.Path;
  }
}

TEST(ModelKey, EachNumberRangeAcceptsItsValuesAndSaysWhyNotTheOthers) {
  struct TCase {
    TNumberRange Range;
    double Value;
    std::optional<std::string> Why;
  };
  const TCase cases[] = {
      {Above(0), 1e-300, std::nullopt},
      {Above(0), 0.0, "must be above 0, not 0"},
      {Above(0), -0.273, "must be above 0, not -0.273"},
      {AtLeast(0), 0.0, std::nullopt},
      {AtLeast(0), -1e-9, "must be 0 or more, not -1e-09"},
      {AtLeast(1), 1.0, std::nullopt},
      {AtLeast(1), 0.5, "must be 1 or more, not 0.5"},
      {FromTo(0, 1), 0.0, std::nullopt},
      {FromTo(0, 1), 1.0, std::nullopt},
      {FromTo(0, 1), 1.5, "must be 1 or less, not 1.5"},
      {FromTo(0, 1), -0.5, "must be 0 or more, not -0.5"},
      {Above(-273, " °C"), -272.99, std::nullopt},
      {Above(-273, " °C"), -273.0, "must be above -273 °C, not -273"},
      {kAnyNumber, -1e300, std::nullopt},
      {kAnyNumber, 1e300, std::nullopt},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(OutOfRange(NumberKey(c.Range), c.Value), c.Why) << c.Value;
  }
}

TEST(ModelKey, EachKindReadsItsTextsAndRefusesTheOthers) {
  const TModelKey number = NumberKey(kAnyNumber);
  ASSERT_TRUE(KeyValueOfText(number, "2.84e-4"));
  const TCardNumber read = std::get<TCardNumber>(*KeyValueOfText(number, "2.84e-4"));
  // Each arithmetic reads the decimal itself.
  EXPECT_EQ(read.Value, 2.84e-4);
  EXPECT_EQ(read.Extended, 2.84e-4L);
  EXPECT_NE(read.Extended, static_cast<long double>(2.84e-4));
  for (const char* refused : {"true", "abc", "1,5", ""}) {
    EXPECT_FALSE(KeyValueOfText(number, refused)) << refused;
  }
  EXPECT_EQ(NotOfKind(number, "6802 K"), "not a number: 6802 K");
  EXPECT_EQ(KindWanted(number), "a number");

  const TModelKey& flag = *FindModelKey("structure.coupled");
  EXPECT_EQ(KeyValueOfText(flag, "true"), TKeyValue(true));
  EXPECT_EQ(KeyValueOfText(flag, "false"), TKeyValue(false));
  for (const char* refused : {"True", "yes", "1", "on", ""}) {
    EXPECT_FALSE(KeyValueOfText(flag, refused)) << refused;
  }
  EXPECT_EQ(NotOfKind(flag, "yes"), "true or false, not yes");
  EXPECT_EQ(KeyValueText(flag, true), "true");

  const TModelKey choice = ChoiceKey();
  EXPECT_EQ(KeyValueOfText(choice, "newtonian"), TKeyValue(TChoice{0}));
  EXPECT_EQ(KeyValueOfText(choice, "giesekus"), TKeyValue(TChoice{2}));
  for (const char* refused : {"Maxwell", "oldroyd", "1", ""}) {
    EXPECT_FALSE(KeyValueOfText(choice, refused)) << refused;
  }
  EXPECT_EQ(KindWanted(choice), "one of newtonian, maxwell, giesekus");
  EXPECT_EQ(NotOfKind(choice, "oldroyd"), "one of newtonian, maxwell, giesekus, not oldroyd");
  EXPECT_EQ(KeyValueText(choice, TChoice{1}), "maxwell");
}

TEST(ModelKey, NumbersLandInBothArithmeticsAndSwitchesInTheStructure) {
  TModelConstants constants;
  const TModelKey& heat = *FindModelKey("heat_transfer.factor");
  SetKeyValue(constants, heat, TCardNumber{2e-4, 2e-4L});
  EXPECT_EQ(constants.Laws.HeatFactor, 2e-4);
  EXPECT_EQ(constants.Exit.HeatFactor, 2e-4L);
  SetModelValue(constants, heat, 0.5);  // widened: exact for 0.5
  EXPECT_EQ(constants.Exit.HeatFactor, 0.5L);
  const TModelKey& upper = *FindModelKey("structure.upper_C");
  SetModelValue(constants, upper, 250.0);
  EXPECT_EQ(constants.Structure.UpperC, 250.0);
  EXPECT_EQ(ModelValue(constants, upper), 250.0);
  const TModelKey& coupled = *FindModelKey("structure.coupled");
  SetKeyValue(constants, coupled, true);
  EXPECT_TRUE(constants.Structure.Coupled);
  EXPECT_EQ(KeyValue(constants, coupled), TKeyValue(true));
  // A choice lands in its enumeration, by the index of its name.
  const TModelKey& law = *FindModelKey("structure.birefringence_law");
  SetKeyValue(constants, law, TChoice{0});
  EXPECT_EQ(constants.Structure.Law, BirefringenceLaw::kLinear);
  EXPECT_EQ(KeyValue(constants, law), TKeyValue(TChoice{0}));
  // An end of the valid IV in the range, and nowhere in the laws.
  const TModelKey& highest = *FindModelKey("viscosity.valid_iv_max");
  const TSpinlineConstants<double> laws = constants.Laws;
  SetModelValue(constants, highest, 1.1);
  EXPECT_EQ(constants.ValidIv.High, 1.1);
  EXPECT_EQ(ModelValue(constants, highest), 1.1);
  EXPECT_EQ(constants.Laws, laws);
}

// Every constant of the laws and of the structure has one key, and every key one place.
TEST(ModelKey, TheTableCoversEveryConstantOnce) {
  std::set<std::string_view> paths;
  std::size_t laws = 0;
  std::size_t structure_numbers = 0;
  std::size_t validity = 0;
  std::size_t switches = 0;
  std::size_t choices = 0;
  std::size_t bundle = 0;
  for (const TModelKey& key : kModelKeys) {
    EXPECT_TRUE(paths.insert(key.Path).second) << key.Path;
    EXPECT_EQ(FindModelKey(key.Path), &key);
    const int places = (key.Value != nullptr) + (key.Structure != nullptr) +
                       (key.Validity != nullptr) + (key.Bundle != nullptr) +
                       (key.Switch != nullptr) + (key.Choice != nullptr);
    EXPECT_EQ(places, 1) << key.Path;
    EXPECT_EQ(key.Value != nullptr, key.Extended != nullptr) << key.Path;
    EXPECT_EQ(key.IsNumber(), key.Switch == nullptr && key.Choice == nullptr) << key.Path;
    laws += key.Value != nullptr;
    structure_numbers += key.Structure != nullptr;
    validity += key.Validity != nullptr;
    switches += key.Switch != nullptr;
    choices += key.Choice != nullptr;
    bundle += key.Bundle != nullptr;
    EXPECT_EQ(key.Choice != nullptr, key.Kind == KeyKind::kChoice) << key.Path;
    EXPECT_EQ(key.Names.empty(), key.Kind != KeyKind::kChoice) << key.Path;
  }
  // Every constant of the bundle and its air.
  EXPECT_EQ(bundle, sizeof(TBundleConstants) / sizeof(double));
  // Less π, π/4 and the kelvin offset, which are the model's own.
  EXPECT_EQ(laws, sizeof(TSpinlineConstants<double>) / sizeof(double) - 3);
  for (const TModelKey& a : kModelKeys) {
    for (const TModelKey& b : kModelKeys) {
      if (&a == &b) continue;
      EXPECT_FALSE(a.Value != nullptr && a.Value == b.Value) << a.Path << " " << b.Path;
      EXPECT_FALSE(a.Structure != nullptr && a.Structure == b.Structure) << a.Path;
      EXPECT_FALSE(a.Validity != nullptr && a.Validity == b.Validity) << a.Path;
      EXPECT_FALSE(a.Bundle != nullptr && a.Bundle == b.Bundle) << a.Path;
    }
  }
  // Eleven numbers, the switch Coupled and the choice of the birefringence's law; both ends
  // of the valid IV.
  EXPECT_EQ(structure_numbers, 11u);
  EXPECT_EQ(switches, 1u);
  EXPECT_EQ(choices, 1u);
  EXPECT_EQ(validity, 2u);
  EXPECT_EQ(FindModelKey("heat_transfer"), nullptr);
  EXPECT_TRUE(IsCardSection("heat_transfer"));
  EXPECT_FALSE(IsCardSection("gravity_cm_s2"));
  EXPECT_FALSE(IsCardSection(""));
}

// The built-in card means something: every built-in number lies in its key's range.
TEST(ModelKey, TheBuiltInValuesLieInTheirRanges) {
  const TModelConstants built_in;
  for (const TModelKey& key : kModelKeys) {
    if (key.IsNumber()) {
      EXPECT_EQ(OutOfRange(key, ModelValue(built_in, key)), std::nullopt) << key.Path;
    }
  }
}

TEST(KeySuggestion, EditDistanceCountsSingleCharacterEdits) {
  // Worked by hand: kitten → sitten → sittin → sitting.
  EXPECT_EQ(EditDistance("kitten", "sitting"), 3u);
  EXPECT_EQ(EditDistance("", "abc"), 3u);
  EXPECT_EQ(EditDistance("abc", ""), 3u);
  EXPECT_EQ(EditDistance("factor", "factor"), 0u);
  EXPECT_EQ(EditDistance("factr", "factor"), 1u);
  EXPECT_EQ(EditDistance("verison", "version"), 2u);  // a swap is two edits
}

TEST(KeySuggestion, SuggestsOnlyANearName) {
  const std::array<std::string_view, 4> known{"density", "gravity_cm_s2", "heat_transfer", "name"};
  EXPECT_EQ(NearestName("densty", known), "density");
  EXPECT_EQ(NearestName("heat_transfr", known), "heat_transfer");
  EXPECT_EQ(NearestName("gravity", known), "gravity_cm_s2");  // without its unit
  EXPECT_EQ(NearestName("nmae", known), "name");
  EXPECT_EQ(NearestName("colour", known), std::nullopt);
  EXPECT_EQ(NearestName("gr", known), std::nullopt);  // too short to begin a name
  // The first of equally near names.
  const std::array<std::string_view, 2> twins{"factor_a", "factor_b"};
  EXPECT_EQ(NearestName("factor_c", twins), "factor_a");
}

}  // namespace
}  // namespace vellmor
