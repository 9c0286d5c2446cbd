#include "core/model_card/model_card.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace vellmor {
namespace {

ModelCard Read(const std::string& yaml) {
  auto card = ReadModelCard(yaml, "card.yaml");
  if (const auto* problem = std::get_if<TCardProblem>(&card)) {
    ADD_FAILURE() << problem->Message;
    return {};
  }
  return std::get<ModelCard>(card);
}

std::string ProblemOf(const std::string& yaml) {
  auto card = ReadModelCard(yaml, "card.yaml");
  const auto* problem = std::get_if<TCardProblem>(&card);
  return problem != nullptr ? problem->Message : "(read)";
}

bool SameBits(const TModelConstants& a, const TModelConstants& b) {
  return std::memcmp(&a.Laws, &b.Laws, sizeof a.Laws) == 0 &&
         a.Exit == b.Exit;  // the long doubles' padding is not compared
}

// The card as the issue that asked for it wrote it, flow style, typed in independently of the
// program's own writer: it must be the built-in card.
constexpr const char* kFlowStyleCard = R"(name: PET, built-in correlations
density:       {intercept_g_cm3: 1.36, slope_g_cm3_per_C: 0.0005}          # rho = a - b T
specific_heat: {intercept_cal_g_C: 0.3, slope_cal_g_C_per_C: 0.0006}       # Cp = a + b T
viscosity:     {factor_P: 0.273, iv_exponent: 5.056, activation_K: 6802,
                solidification_C: 70, solid_factor: 100}
die_swell:     {factor: 0.575, temperature_K: -3650, reference_K: 548,
                shear_rate_exponent: 0.134, reference_iv: 0.61, iv_exponent: 0.85}
heat_transfer: {factor: 1.37e-4, velocity_area_exponent: 0.259,
                cross_flow_factor: 8, cross_flow_exponent: 0.167}
air_drag:      {factor: 2.84e-4, flow_exponent: 0.195, velocity_exponent: 1.195}
gravity_cm_s2: 980
)";

TEST(ModelCard, TheBuiltInCardHoldsTheConstantsOfBothArithmetics) {
  const ModelCard card;
  EXPECT_TRUE(SameBits(card.Constants(), {kBuiltInConstants, kClassicalConstants}));
  EXPECT_EQ(card.Value(*FindModelKey("heat_transfer.factor")), 1.37e-4);
  EXPECT_EQ(card.Constants().Exit.HeatFactor, 1.37e-4L);
}

TEST(ModelCard, ReadsTheFlowStyleCardAsTheBuiltInOne) {
  const ModelCard card = Read(kFlowStyleCard);
  EXPECT_EQ(card.Name(), "PET, built-in correlations");
  // Both arithmetics read each decimal text themselves: 2.84e-4 is not the double widened.
  EXPECT_TRUE(SameBits(card.Constants(), ModelCard().Constants()));
}

TEST(ModelCard, WritesACardThatReadsBackToTheBit) {
  ModelCard card;
  card.SetName("PET: grade \"B\" # 2");
  card.SetValue(*FindModelKey("heat_transfer.factor"), 0.1 + 0.2);
  card.SetValue(*FindModelKey("gravity_cm_s2"), 0.0);
  card.SetValue(*FindModelKey("die_swell.temperature_K"), -1e-300);
  card.SetValue(*FindModelKey("viscosity.activation_K"), 6802.000000000001);
  const std::string yaml = ModelCardYaml(card);
  const ModelCard back = Read(yaml);
  EXPECT_EQ(back.Name(), card.Name());
  // The exit's arithmetic reads the written decimal, which is the double's shortest text.
  EXPECT_EQ(
      std::memcmp(&back.Constants().Laws, &card.Constants().Laws, sizeof(card.Constants().Laws)), 0)
      << yaml;
  for (const TModelKey& key : kModelKeys) EXPECT_EQ(back.Value(key), card.Value(key)) << key.Path;
}

TEST(ModelCard, TheShippedCardIsTheBuiltInOne) {
  std::ifstream in(VELLMOR_SOURCE_DIR "/share/vellmor/models/pet.yaml", std::ios::binary);
  ASSERT_TRUE(in);
  const std::string shipped{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(shipped, ModelCardYaml(ModelCard()));
}

TEST(ModelCard, CommentsAndBlockStyleAreRead) {
  const ModelCard card = Read("# my line\n" + ModelCardYaml(ModelCard()) + "# end\n");
  EXPECT_EQ(card, ModelCard());
}

struct TRefusal {
  std::string Yaml;
  std::string Message;
};

std::string WithLine(const std::string& from, const std::string& to) {
  std::string yaml = kFlowStyleCard;
  const std::size_t at = yaml.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return yaml.replace(at, from.size(), to);
}

TEST(ModelCard, RefusesWhatIsNotACardWithFileLineAndKey) {
  const TRefusal refusals[] = {
      {"", "card.yaml: the card is empty"},
      {"- 1\n- 2\n", "card.yaml:1: a card is a mapping of sections"},
      {"density: {intercept_g_cm3: 1.36\n", "card.yaml:2: end of map flow not found"},
      {WithLine("gravity_cm_s2: 980", "gravity_cm_s2: 980\ngravity: 981"),
       "card.yaml:12: gravity: unknown key; a card has name, density, specific_heat, viscosity, "
       "die_swell, heat_transfer, air_drag, gravity_cm_s2, structure"},
      {WithLine("factor: 1.37e-4", "fctor: 1.37e-4"),
       "card.yaml:8: heat_transfer.fctor: unknown key; heat_transfer has factor, "
       "velocity_area_exponent, cross_flow_factor, cross_flow_exponent"},
      {WithLine("air_drag:      {factor: 2.84e-4, flow_exponent: 0.195, velocity_exponent: "
                "1.195}\n",
                ""),
       "card.yaml: the section air_drag is missing"},
      {WithLine("gravity_cm_s2: 980\n", ""), "card.yaml: gravity_cm_s2 is missing"},
      {WithLine(", cross_flow_exponent: 0.167", ""),
       "card.yaml:8: heat_transfer: cross_flow_exponent is missing"},
      {WithLine("activation_K: 6802", "activation_K: 6802 K"),
       "card.yaml:4: viscosity.activation_K: not a number: 6802 K"},
      {WithLine("activation_K: 6802", "activation_K: \"6802\""),
       "card.yaml:4: viscosity.activation_K: not a number: 6802"},
      {WithLine("activation_K: 6802", "activation_K: .inf"),
       "card.yaml:4: viscosity.activation_K: not a number: .inf"},
      {WithLine("activation_K: 6802", "activation_K: [6802]"),
       "card.yaml:4: viscosity.activation_K: needs a number"},
      {WithLine("activation_K: 6802", "activation_K: 6802, activation_K: 6803"),
       "card.yaml:4: viscosity.activation_K: given twice (first on line 4)"},
      {WithLine("slope_g_cm3_per_C: 0.0005", "slope_g_cm3_per_C: 0.004"),
       "card.yaml:2: density.slope_g_cm3_per_C: the density would be -0.24 g/cm³ at 400 °C: it "
       "must stay above 0 from 0 to 400 °C"},
      {WithLine("factor_P: 0.273", "factor_P: -0.273"),
       "card.yaml:4: viscosity.factor_P: must be above 0, not -0.273"},
      {WithLine("factor_P: 0.273", "factor_P: 0"),
       "card.yaml:4: viscosity.factor_P: must be above 0, not 0"},
      {WithLine("factor: 2.84e-4", "factor: -1e-9"),
       "card.yaml:10: air_drag.factor: must be 0 or more, not -1e-09"},
      {WithLine("density:       {intercept_g_cm3: 1.36, slope_g_cm3_per_C: 0.0005}",
                "density: 1.36"),
       "card.yaml:2: density: a section holds its constants, as in vellmor-cli model"},
  };
  for (const TRefusal& refusal : refusals) {
    EXPECT_EQ(ProblemOf(refusal.Yaml), refusal.Message) << refusal.Yaml;
  }
}

// What a script is told apart from the message: the file, the line and the key.
TEST(ModelCard, ProblemsNameTheirFileLineAndKeyAsData) {
  struct TTyped {
    std::string Yaml;
    int Line;
    std::string Key;
  };
  const TTyped refusals[] = {
      {"", 0, ""},
      {WithLine("factor_P: 0.273", "factor_P: -0.273"), 4, "viscosity.factor_P"},
      {WithLine("gravity_cm_s2: 980\n", ""), 0, "gravity_cm_s2"},
      {WithLine(", cross_flow_exponent: 0.167", ""), 8, "heat_transfer.cross_flow_exponent"},
      {WithLine("activation_K: 6802", "activation_K: 6802 K"), 4, "viscosity.activation_K"},
  };
  for (const TTyped& refusal : refusals) {
    const auto read = ReadModelCard(refusal.Yaml, "card.yaml");
    const auto* problem = std::get_if<TCardProblem>(&read);
    ASSERT_NE(problem, nullptr) << refusal.Yaml;
    EXPECT_EQ(problem->Source, "card.yaml");
    EXPECT_EQ(problem->Line, refusal.Line) << problem->Message;
    EXPECT_EQ(problem->Key, refusal.Key) << problem->Message;
  }
  ModelCard card;
  const std::optional<TCardProblem> setting = ApplyModelSetting(card, "viscosity.factor_P=-1");
  ASSERT_TRUE(setting.has_value());
  EXPECT_EQ(setting->Source, "--model-set");
  EXPECT_EQ(setting->Key, "viscosity.factor_P");
}

TEST(ModelCard, NameIsOptionalAndThenTheFile) {
  const ModelCard card = Read(WithLine("name: PET, built-in correlations\n", ""));
  EXPECT_EQ(card.Name(), "card.yaml");
}

TEST(ModelCard, SettingsChangeOneKeyOrSayWhyNot) {
  ModelCard card;
  EXPECT_EQ(ApplyModelSetting(card, "heat_transfer.factor=2e-4"), std::nullopt);
  EXPECT_EQ(card.Value(*FindModelKey("heat_transfer.factor")), 2e-4);
  EXPECT_EQ(card.Constants().Exit.HeatFactor, 2e-4L);
  EXPECT_EQ(ApplyModelSetting(card, "name=My line"), std::nullopt);
  EXPECT_EQ(card.Name(), "My line");

  const ModelCard before = card;
  const std::pair<const char*, const char*> refused[] = {
      {"heat_transfer.factor", "--model-set heat_transfer.factor: expected KEY=VALUE"},
      {"heat.factor=1",
       "--model-set heat.factor=1: unknown card key (vellmor-cli model lists them)"},
      {"heat_transfer.factor=1,5", "--model-set heat_transfer.factor=1,5: not a number"},
      {"heat_transfer.factor=", "--model-set heat_transfer.factor=: not a number"},
      {"viscosity.solid_factor=-1",
       "--model-set viscosity.solid_factor=-1: must be above 0, not -1"},
      {"density.intercept_g_cm3=0.2",
       "--model-set density.intercept_g_cm3=0.2: density.slope_g_cm3_per_C: the density would be "
       "0 g/cm³ at 400 °C: it must stay above 0 from 0 to 400 °C"},
  };
  for (const auto& [setting, message] : refused) {
    const std::optional<TCardProblem> problem = ApplyModelSetting(card, setting);
    ASSERT_TRUE(problem) << setting;
    EXPECT_EQ(problem->Message, message);
  }
  EXPECT_EQ(card, before);  // a refused setting changes nothing
}

// The structure's section as it was asked for, flow style: the card without it reads with
// the same structure, and with it every key must be there.
constexpr const char* kStructureSection =
    R"(structure: {stress_optical_per_GPa: 5.0, intrinsic_birefringence: 0.275,
            rate_max_per_s: 0.016, rate_peak_C: 190, rate_half_width_C: 64,
            orientation_factor: 100, upper_C: 265,
            avrami_index: 1, ultimate_crystallinity: 0.5, heat_of_fusion_cal_g: 33.5,
            coupled: false}
)";

TEST(ModelCard, TheStructureSectionIsOptionalButCompleteAndCoupledIsTrueOrFalse) {
  EXPECT_EQ(Read(kFlowStyleCard).Constants().Structure, kBuiltInStructure);
  const std::string with = std::string(kFlowStyleCard) + kStructureSection;
  EXPECT_EQ(Read(with).Constants(), ModelCard().Constants());

  ModelCard coupled;
  coupled.SetCoupled(true);
  coupled.SetValue(*FindModelKey("structure.orientation_factor"), 0.1 + 0.2);
  const ModelCard back = Read(ModelCardYaml(coupled));
  EXPECT_TRUE(back.Coupled());
  EXPECT_EQ(back.Value(*FindModelKey("structure.orientation_factor")), 0.1 + 0.2);

  const auto replaced = [&with](const std::string& from, const std::string& to) {
    std::string yaml = with;
    yaml.replace(yaml.find(from), from.size(), to);
    return yaml;
  };
  EXPECT_EQ(ProblemOf(replaced("coupled: false", "coupled: yes")),
            "card.yaml:16: structure.coupled: true or false, not yes");
  EXPECT_EQ(ProblemOf(replaced("coupled: false", "coupled: \"true\"")),
            "card.yaml:16: structure.coupled: true or false, not true");
  EXPECT_EQ(ProblemOf(replaced(",\n            coupled: false", "")),
            "card.yaml:12: structure: coupled is missing");
  EXPECT_EQ(ProblemOf(replaced("upper_C: 265,", "")),
            "card.yaml:12: structure: upper_C is missing");
  EXPECT_EQ(ProblemOf(replaced("avrami_index: 1", "avrami_index: 0.5")),
            "card.yaml:15: structure.avrami_index: must be 1 or more, not 0.5");
  EXPECT_EQ(ProblemOf(replaced("ultimate_crystallinity: 0.5", "ultimate_crystallinity: 1.5")),
            "card.yaml:15: structure.ultimate_crystallinity: must be 1 or less, not 1.5");
  EXPECT_EQ(ProblemOf(replaced("upper_C", "top_C")),
            "card.yaml:14: structure.top_C: unknown key; structure has stress_optical_per_GPa, "
            "intrinsic_birefringence, rate_max_per_s, rate_peak_C, rate_half_width_C, "
            "orientation_factor, upper_C, avrami_index, ultimate_crystallinity, "
            "heat_of_fusion_cal_g, coupled");

  ModelCard card;
  EXPECT_EQ(ApplyModelSetting(card, "structure.coupled=true"), std::nullopt);
  EXPECT_TRUE(card.Coupled());
  ASSERT_TRUE(ApplyModelSetting(card, "structure.coupled=1"));
  EXPECT_EQ(ApplyModelSetting(card, "structure.coupled=1")->Message,
            "--model-set structure.coupled=1: true or false");
  EXPECT_TRUE(card.Coupled());
  EXPECT_EQ(ApplyModelSetting(card, "structure.rate_half_width_C=0")->Message,
            "--model-set structure.rate_half_width_C=0: must be above 0, not 0");
}

TEST(ModelCard, NumbersHaveOneGrammar) {
  EXPECT_EQ(CardNumber("1.37e-4"), 1.37e-4);
  EXPECT_EQ(CardNumber("+5"), 5.0);
  EXPECT_EQ(CardNumber(".5"), 0.5);
  EXPECT_EQ(CardNumber("5."), 5.0);
  EXPECT_EQ(CardNumber("-3650"), -3650.0);
  for (const char* refused : {"", " 1", "1 ", "inf", "nan", "0x10", "1,5", "1e999", "--1", "e5"}) {
    EXPECT_EQ(CardNumber(refused), std::nullopt) << refused;
  }
}

}  // namespace
}  // namespace vellmor
