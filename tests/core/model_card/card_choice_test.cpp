// The card's first choice, structure.birefringence_law: read, written and set as every key is,
// and the law a card of an earlier version keeps; the range of valid IV, two numbers that go
// together.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vellmor/model_card/model_card.h"

namespace vellmor {
namespace {

const TModelKey& LawKey() { return *FindModelKey("structure.birefringence_law"); }

TReadCard ReadCard(const std::string& yaml) {
  auto read = ReadModelCard(yaml, "card.yaml");
  if (const auto* problem = std::get_if<TCardProblem>(&read)) {
    ADD_FAILURE() << problem->Message;
    return {};
  }
  return std::get<TReadCard>(read);
}

std::string ProblemOf(const std::string& yaml) {
  auto read = ReadModelCard(yaml, "card.yaml");
  const auto* problem = std::get_if<TCardProblem>(&read);
  return problem != nullptr ? problem->Message : "(read)";
}

// Every message of a card read.
std::vector<std::string> WarningsOf(const std::string& yaml) {
  std::vector<std::string> messages;
  for (const TCardWarning& warning : ReadCard(yaml).Warnings) messages.push_back(warning.Message);
  return messages;
}

// The built-in card with one line replaced (a text as long, so that comments keep their place).
std::string BuiltInWith(const std::string& from, const std::string& to) {
  std::string yaml = ModelCardYaml(ModelCard());
  const std::size_t at = yaml.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? yaml : yaml.replace(at, from.size(), to);
}

TEST(BirefringenceLawKey, IsAChoiceOfTwoNamesSaturatingBuiltIn) {
  const TModelKey& key = LawKey();
  EXPECT_EQ(key.Kind, KeyKind::kChoice);
  EXPECT_TRUE(key.IsStructure());
  EXPECT_EQ(KindWanted(key), "one of linear, saturating");
  const ModelCard card;
  EXPECT_EQ(card.Get(key), TKeyValue(TChoice{1}));
  EXPECT_EQ(card.Text(key), "saturating");
  EXPECT_EQ(card.Constants().Structure.Law, BirefringenceLaw::kSaturating);
}

TEST(BirefringenceLawKey, IsWrittenAndReadBack) {
  ModelCard linear;
  linear.Set(LawKey(), TChoice{0});
  EXPECT_EQ(linear.Constants().Structure.Law, BirefringenceLaw::kLinear);
  const std::string yaml = ModelCardYaml(linear);
  EXPECT_NE(yaml.find("\n  birefringence_law: linear "), std::string::npos) << yaml;
  const TReadCard back = ReadCard(yaml);
  EXPECT_EQ(back.Card, linear);
  EXPECT_TRUE(back.Warnings.empty());
  EXPECT_EQ(ModelCardYaml(back.Card), yaml);
  // A name may be quoted: YAML's text either way.
  const std::string quoted =
      BuiltInWith("birefringence_law: saturating", "birefringence_law: 'linear'  ");
  EXPECT_EQ(ReadCard(quoted).Card.Constants().Structure.Law, BirefringenceLaw::kLinear);
}

TEST(BirefringenceLawKey, IsRefusedWithTheNamesItTakes) {
  const std::string problem =
      ProblemOf(BuiltInWith("birefringence_law: saturating", "birefringence_law: Linear    "));
  EXPECT_TRUE(
      problem.ends_with(": structure.birefringence_law: one of linear, saturating, not Linear"))
      << problem;
  EXPECT_TRUE(
      ProblemOf(BuiltInWith("birefringence_law: saturating", "birefringence_law: [linear]  "))
          .ends_with(": structure.birefringence_law: needs one of linear, saturating"));
}

TEST(BirefringenceLawKey, IsSetByASettingAndACell) {
  ModelCard card;
  EXPECT_EQ(ApplyModelSetting(card, "structure.birefringence_law=linear"), std::nullopt);
  EXPECT_EQ(card.Constants().Structure.Law, BirefringenceLaw::kLinear);
  EXPECT_EQ(card.Name(), "PET, structure.birefringence_law=linear");
  const std::optional<TCardProblem> refused =
      ApplyModelSetting(card, "structure.birefringence_law=quadratic");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->Message, "one of linear, saturating");
  EXPECT_EQ(refused->Key, "structure.birefringence_law");
  EXPECT_EQ(card.Constants().Structure.Law, BirefringenceLaw::kLinear);
  // As a sweep's cell.
  EXPECT_EQ(ApplyCardText(card, LawKey(), "saturating"), std::nullopt);
  EXPECT_EQ(card.Constants().Structure.Law, BirefringenceLaw::kSaturating);
  EXPECT_EQ(ApplyCardText(card, LawKey(), "1"), "one of linear, saturating, not 1");
}

// A card of version 1 or 2 was solved with the linear law, which it does not name: it keeps
// it, and says so. One of version 3 that leaves it out takes the built-in law as any key does.
TEST(BirefringenceLawKey, ACardBeforeVersionThreeKeepsTheLinearLaw) {
  for (const char* old : {"version: 2\n", "version: 1\n", ""}) {
    SCOPED_TRACE(old);
    const TReadCard read = ReadCard(std::string(old) + "name: old\n");
    EXPECT_EQ(read.Card.Constants().Structure.Law, BirefringenceLaw::kLinear);
    ASSERT_EQ(read.Warnings.size(), 2u);
    EXPECT_EQ(read.Warnings[1].Message,
              "card.yaml: structure.birefringence_law not given: linear, the law of cards "
              "before version 3, is used");
    // The other constants are the built-in ones.
    ModelCard linear;
    linear.Set(LawKey(), TChoice{0});
    linear.SetName("old");
    EXPECT_EQ(read.Card, linear);
  }
  // An old card that names its law has it.
  const TReadCard named = ReadCard("version: 2\nstructure: {birefringence_law: saturating}\n");
  EXPECT_EQ(named.Card.Constants().Structure.Law, BirefringenceLaw::kSaturating);
  ASSERT_EQ(named.Warnings.size(), 1u);
  const TReadCard today = ReadCard("version: 3\nname: new\n");
  EXPECT_EQ(today.Card.Constants().Structure.Law, BirefringenceLaw::kSaturating);
  ASSERT_EQ(today.Warnings.size(), 1u);
  EXPECT_TRUE(today.Warnings[0].Message.ends_with(
      "the section structure, the section air, the section bundle not given: the built-in "
      "values are used"))
      << today.Warnings[0].Message;
  // The built-in card, written, is of today's version: read back, it keeps its law.
  EXPECT_EQ(ReadCard(ModelCardYaml(ModelCard())).Card, ModelCard());
  EXPECT_TRUE(WarningsOf(ModelCardYaml(ModelCard())).empty());
}

TEST(ValidIvRange, TwoKeysOfTheViscositySection) {
  const ModelCard card;
  EXPECT_EQ(card.Value(*FindModelKey("viscosity.valid_iv_min")), 0.5);
  EXPECT_EQ(card.Value(*FindModelKey("viscosity.valid_iv_max")), 1.3);
  EXPECT_EQ(card.Constants().ValidIv, (TIvRange{0.5, 1.3}));
  ModelCard wider;
  EXPECT_EQ(ApplyModelSetting(wider, "viscosity.valid_iv_max=1.5"), std::nullopt);
  EXPECT_EQ(wider.Constants().ValidIv.High, 1.5);
  // Nothing of the laws changes.
  EXPECT_EQ(wider.Constants().Laws, card.Constants().Laws);
  EXPECT_EQ(ReadCard(ModelCardYaml(wider)).Card, wider);

  const std::pair<const char*, const char*> refused[] = {
      {"viscosity.valid_iv_min=0", "must be above 0, not 0"},
      {"viscosity.valid_iv_max=0.4", "must be viscosity.valid_iv_min (0.5) or more, not 0.4"},
      {"viscosity.valid_iv_min=1.4",
       "viscosity.valid_iv_max: must be viscosity.valid_iv_min (1.4) or more, not 1.3"},
  };
  for (const auto& [setting, message] : refused) {
    ModelCard changed;
    const std::optional<TCardProblem> problem = ApplyModelSetting(changed, setting);
    ASSERT_TRUE(problem) << setting;
    EXPECT_EQ(problem->Message, message);
    EXPECT_EQ(changed, ModelCard());
  }
  // A range of one IV is a range.
  ModelCard one;
  EXPECT_EQ(ApplyModelSetting(one, "viscosity.valid_iv_max=0.5"), std::nullopt);
}

}  // namespace
}  // namespace vellmor
