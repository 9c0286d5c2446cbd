#include "vellmor/model_card/model_card.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vellmor {
namespace {

TReadCard ReadWithWarnings(const std::string& yaml) {
  auto card = ReadModelCard(yaml, "card.yaml");
  if (const auto* problem = std::get_if<TCardProblem>(&card)) {
    ADD_FAILURE() << problem->Message;
    return {};
  }
  return std::get<TReadCard>(card);
}

ModelCard Read(const std::string& yaml) { return ReadWithWarnings(yaml).Card; }

// The one warning of a card read, or "" for none.
std::string WarningOf(const std::string& yaml) {
  const std::vector<TCardWarning> warnings = ReadWithWarnings(yaml).Warnings;
  EXPECT_LE(warnings.size(), 1u);
  return warnings.empty() ? "" : warnings.front().Message;
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
  for (const TModelKey& key : kModelKeys) {
    if (key.IsNumber()) {
      EXPECT_EQ(back.Value(key), card.Value(key)) << key.Path;
    } else {
      EXPECT_EQ(back.Get(key), card.Get(key)) << key.Path;
    }
  }
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
      {WithLine("gravity_cm_s2: 980", "gravity_cm_s2: 980\nair_drag: {factor: 1e-4}"),
       "card.yaml:12: air_drag: given twice (first on line 10)"},
      {WithLine("slope_g_cm3_per_C: 0.0005", "slope_g_cm3_per_C: 0.004"),
       "card.yaml:2: density.slope_g_cm3_per_C: the density would be -0.24 g/cm³ at 400 °C: it "
       "must stay above 0 from 0 to 400 °C"},
      // The law fails through a key left out, which has no line.
      {WithLine("intercept_g_cm3: 1.36, slope_g_cm3_per_C: 0.0005", "intercept_g_cm3: 0.1"),
       "card.yaml: density.slope_g_cm3_per_C: the density would be -0.1 g/cm³ at 400 °C: it "
       "must stay above 0 from 0 to 400 °C"},
      {WithLine("factor_P: 0.273", "factor_P: -0.273"),
       "card.yaml:4: viscosity.factor_P: must be above 0, not -0.273"},
      {WithLine("factor_P: 0.273", "factor_P: 0"),
       "card.yaml:4: viscosity.factor_P: must be above 0, not 0"},
      {WithLine("factor: 2.84e-4", "factor: -1e-9"),
       "card.yaml:10: air_drag.factor: must be 0 or more, not -1e-09"},
      {WithLine("solidification_C: 70", "solidification_C: -273"),
       "card.yaml:5: viscosity.solidification_C: must be above -273 °C, not -273"},
      {WithLine("density:       {intercept_g_cm3: 1.36, slope_g_cm3_per_C: 0.0005}",
                "density: 1.36"),
       "card.yaml:2: density: a section holds its constants, as in vellmor-cli model"},
  };
  for (const TRefusal& refusal : refusals) {
    EXPECT_EQ(ProblemOf(refusal.Yaml), refusal.Message) << refusal.Yaml;
  }
}

// A slip of the keyboard is answered with the key meant, in the file and in a setting alike;
// a name near none is answered with the names there are.
TEST(ModelCard, AnUnknownKeyIsRefusedWithTheNearestKnownOne) {
  const TRefusal refusals[] = {
      {WithLine("factor: 1.37e-4", "factr: 1.37e-4"),
       "card.yaml:8: heat_transfer.factr: unknown key; did you mean heat_transfer.factor?"},
      // A key without its unit, and a key in the section of another law.
      {WithLine("gravity_cm_s2: 980", "gravity: 980"),
       "card.yaml:11: gravity: unknown key; did you mean gravity_cm_s2?"},
      {WithLine("factor_P: 0.273", "factor: 0.273"),
       "card.yaml:4: viscosity.factor: unknown key; did you mean viscosity.factor_P?"},
      {WithLine("heat_transfer: {", "heat_transfr: {"),
       "card.yaml:8: heat_transfr: unknown key; did you mean heat_transfer?"},
      {WithLine("name: PET, built-in correlations", "verison: 2"),
       "card.yaml:1: verison: unknown key; did you mean version?"},
      {WithLine("factor: 1.37e-4", "spin_rate: 1.37e-4"),
       "card.yaml:8: heat_transfer.spin_rate: unknown key; heat_transfer has factor, "
       "velocity_area_exponent, cross_flow_factor, cross_flow_exponent"},
      {WithLine("gravity_cm_s2: 980", "colour: red"),
       "card.yaml:11: colour: unknown key; a card has name, version, density, specific_heat, "
       "viscosity, die_swell, heat_transfer, air_drag, momentum, gravity_cm_s2, structure, air, "
       "bundle, "
       "uncertainty"},
  };
  for (const TRefusal& refusal : refusals) {
    EXPECT_EQ(ProblemOf(refusal.Yaml), refusal.Message) << refusal.Yaml;
  }
  ModelCard card;
  const std::pair<const char*, const char*> settings[] = {
      {"heat_transfer.factr=1", "unknown key; did you mean heat_transfer.factor?"},
      {"structure.couple=true", "unknown key; did you mean structure.coupled?"},
      {"nmae=x", "unknown key; did you mean name?"},
      {"heat.factor=1", "unknown key (the command model lists them)"},
  };
  for (const auto& [setting, message] : settings) {
    const std::optional<TCardProblem> problem = ApplyModelSetting(card, setting);
    ASSERT_TRUE(problem) << setting;
    EXPECT_EQ(problem->Message, message);
    EXPECT_EQ(problem->Key, "");
  }
  EXPECT_EQ(card, ModelCard());
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
      {WithLine("activation_K: 6802", "activation_K: 6802 K"), 4, "viscosity.activation_K"},
      {WithLine("factor: 1.37e-4", "fctor: 1.37e-4"), 8, "heat_transfer.fctor"},
      {"version: 4\n", 1, "version"},
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
  EXPECT_EQ(setting->Source, "model_set");
  EXPECT_EQ(setting->Key, "viscosity.factor_P");
}

// A card saved before a constant was added still reads: what it leaves out keeps the built-in
// value, and one warning names it, as data for a document and as a line for a person. (The
// flow-style card, of version 1, keeps the linear birefringence: a warning of its own.)
TEST(ModelCard, KeysLeftOutKeepTheirBuiltInValuesAndAreNamed) {
  std::string yaml = WithLine("factor: 1.37e-4, ", "");  // heat_transfer.factor
  yaml.replace(yaml.find("gravity_cm_s2: 980\n"), 19, "");
  const TReadCard read = ReadWithWarnings(yaml);
  EXPECT_TRUE(SameBits(read.Card.Constants(), ModelCard().Constants()));
  ASSERT_EQ(read.Warnings.size(), 2u);
  const TCardWarning& warning = read.Warnings.front();
  EXPECT_EQ(warning.Source, "card.yaml");
  // A whole section is named as one.
  EXPECT_EQ(warning.Message,
            "card.yaml: viscosity.valid_iv_min, viscosity.valid_iv_max, heat_transfer.factor, "
            "the section momentum, gravity_cm_s2, the section structure, the section air, the "
            "section bundle not given: the built-in values are used");
  std::vector<std::string> left_out{"viscosity.valid_iv_min", "viscosity.valid_iv_max",
                                    "heat_transfer.factor", "momentum.inertia_factor",
                                    "gravity_cm_s2"};
  for (const TModelKey& key : kModelKeys) {
    if ((key.Section() == "structure" && key.Path != "structure.birefringence_law") ||
        key.IsBundle()) {
      left_out.emplace_back(key.Path);
    }
  }
  EXPECT_EQ(warning.Keys, left_out);
  EXPECT_EQ(read.Warnings[1].Message,
            "card.yaml: structure.birefringence_law not given: linear, the law of cards before "
            "version 3, is used");
  EXPECT_EQ(read.Warnings[1].Keys, std::vector<std::string>{"structure.birefringence_law"});

  const std::string complete = ModelCardYaml(ModelCard());
  EXPECT_EQ(WarningOf(complete), "");
  std::string one = complete;
  one.replace(one.find("  reference_iv: 0.61"), 2, "# ");
  EXPECT_EQ(WarningOf(one),
            "card.yaml: die_swell.reference_iv not given: the built-in value is used");
  // Even a card of one changed key is a card.
  const TReadCard tiny = ReadWithWarnings("version: 3\nviscosity: {activation_K: 7000}\n");
  EXPECT_EQ(tiny.Card.Value(*FindModelKey("viscosity.activation_K")), 7000.0);
  EXPECT_EQ(tiny.Card.Constants().Exit.ActivationK, 7000.0L);
  EXPECT_EQ(tiny.Card.Value(*FindModelKey("viscosity.factor_P")), 0.273);
  ASSERT_EQ(tiny.Warnings.size(), 1u);
  EXPECT_EQ(tiny.Warnings.front().Keys.size(), kModelKeys.size() - 1);
}

TEST(ModelCard, TheVersionSaysWhichFormatACardIsIn) {
  // The flow-style card has no version: version 1, read as ever.
  EXPECT_TRUE(SameBits(Read(kFlowStyleCard).Constants(), ModelCard().Constants()));
  EXPECT_EQ(Read("version: 1\n" + std::string(kFlowStyleCard)), Read(kFlowStyleCard));
  EXPECT_EQ(Read("version: 2\n" + std::string(kFlowStyleCard)), Read(kFlowStyleCard));
  // Refused before its keys, which a newer format may have changed.
  EXPECT_EQ(ProblemOf("rheology: {model: maxwell}\nversion: 4\n"),
            "card.yaml:2: version: the card is of version 4, newer than this program reads (3 "
            "at most): read it with a newer Vellmor");
  for (const char* refused : {"0", "-1", "1.5", "\"2\"", "two", "[2]"}) {
    const std::string problem = ProblemOf(std::string("version: ") + refused + "\n");
    EXPECT_TRUE(problem.starts_with("card.yaml:1: version: a whole number from 1, not "))
        << problem;
  }
  EXPECT_EQ(ProblemOf("version: 2\nversion: 2\n"),
            "card.yaml:2: version: given twice (first on line 1)");
  // The built-in card and vellmor-cli model write the version they are of.
  EXPECT_NE(ModelCardYaml(ModelCard()).find("\nversion: 3\nname: PET, built-in correlations\n"),
            std::string::npos);
}

// The file is a fixed point of reading and writing: what is written is what was read.
TEST(ModelCard, YamlToCardToYamlIsExact) {
  std::string yaml = ModelCardYaml(ModelCard());
  const std::pair<std::string, std::string> edits[] = {
      {"name: PET, built-in correlations", "name: grade B"},
      // Each text as long as the one it replaces, so that the comments keep their column.
      {"factor: 0.000137 ", "factor: 0.0002   "},
      {"activation_K: 6802  ", "activation_K: 7000.5"},
      {"gravity_cm_s2: 980 ", "gravity_cm_s2: 0   "},
      {"coupled: false", "coupled: true "},
  };
  for (const auto& [from, to] : edits) {
    const std::size_t at = yaml.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    yaml.replace(at, from.size(), to);
  }
  EXPECT_EQ(ModelCardYaml(Read(yaml)), yaml);
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
      {"heat_transfer.factor", "expected KEY=VALUE"},
      {"heat_transfer.factor=1,5", "not a number"},
      {"heat_transfer.factor=", "not a number"},
      {"viscosity.solid_factor=-1", "must be above 0, not -1"},
      {"structure.ultimate_crystallinity=1.01", "must be 1 or less, not 1.01"},
      {"density.intercept_g_cm3=0.2",
       "density.slope_g_cm3_per_C: the density would be "
       "0 g/cm³ at 400 °C: it must stay above 0 from 0 to 400 °C"},
  };
  for (const auto& [setting, message] : refused) {
    const std::optional<TCardProblem> problem = ApplyModelSetting(card, setting);
    ASSERT_TRUE(problem) << setting;
    EXPECT_EQ(problem->Message, message);
  }
  EXPECT_EQ(card, before);  // a refused setting changes nothing
}

// A card changed by settings says so in its name, unless a setting names it.
TEST(ModelCard, SettingsNameTheCardTheyChange) {
  ModelCard card;
  const std::vector<std::string> settings{"heat_transfer.factor=2e-4", "gravity_cm_s2=0",
                                          "heat_transfer.factor=3e-4"};
  EXPECT_EQ(ApplyModelSettings(card, settings), std::nullopt);
  EXPECT_EQ(card.Name(), "PET, gravity_cm_s2=0, heat_transfer.factor=0.0003");
  EXPECT_EQ(card.Value(*FindModelKey("heat_transfer.factor")), 3e-4);

  ModelCard named;
  const std::vector<std::string> with_name{"name=grade B", "heat_transfer.factor=2e-4"};
  EXPECT_EQ(ApplyModelSettings(named, with_name), std::nullopt);
  EXPECT_EQ(named.Name(), "grade B");
  EXPECT_EQ(named.Value(*FindModelKey("heat_transfer.factor")), 2e-4);

  ModelCard refused;
  const std::vector<std::string> bad{"gravity_cm_s2=0", "viscosity.factor_P=0"};
  ASSERT_TRUE(ApplyModelSettings(refused, bad).has_value());
}

// The structure's section as it was asked for, flow style, with the law of version 3.
constexpr const char* kStructureSection =
    R"(structure: {birefringence_law: saturating, stress_optical_K_per_Pa: 1.7e-6, stress_optical_per_GPa: 5.0, intrinsic_birefringence: 0.275,
            rate_max_per_s: 0.016, rate_peak_C: 190, rate_half_width_C: 64,
            orientation_factor: 100, upper_C: 265,
            avrami_index: 1, ultimate_crystallinity: 0.5, heat_of_fusion_cal_g: 33.5,
            coupled: false}
)";

// The flow-style card, complete as a card of version 3 (the version read first, wherever it
// stands, so that the lines stay those of the flow-style card).
std::string CompleteCard() {
  return WithLine("solid_factor: 100}",
                  "solid_factor: 100, valid_iv_min: 0.5, valid_iv_max: 1.3}") +
         kStructureSection +
         "air: {density_g_cm3: 1.16e-3, specific_heat_cal_g_C: 0.240}\n"
         "bundle: {rows: 1, row_pitch_cm: 0.6, column_pitch_cm: 0.6, drag_coefficient: 10}\n"
         "version: 3\nmomentum: {inertia_factor: 1}\n";
}

// structure.coupled is a key as any other: read, written, set, refused the same ways.
TEST(ModelCard, TheSwitchIsAKeyLikeTheOthers) {
  const std::string with = CompleteCard();
  EXPECT_EQ(Read(with).Constants(), ModelCard().Constants());
  EXPECT_EQ(WarningOf(with), "");
  const TModelKey& coupled_key = *FindModelKey("structure.coupled");
  EXPECT_EQ(coupled_key.Kind, KeyKind::kBoolean);

  ModelCard coupled;
  coupled.Set(coupled_key, true);
  coupled.SetValue(*FindModelKey("structure.orientation_factor"), 0.1 + 0.2);
  EXPECT_TRUE(coupled.Constants().Structure.Coupled);
  const std::string yaml = ModelCardYaml(coupled);
  EXPECT_NE(yaml.find("\n  coupled: true "), std::string::npos) << yaml;
  const ModelCard back = Read(yaml);
  EXPECT_EQ(back, coupled);
  EXPECT_EQ(back.Get(coupled_key), TKeyValue(true));

  const auto replaced = [&with](const std::string& from, const std::string& to) {
    std::string yaml = with;
    yaml.replace(yaml.find(from), from.size(), to);
    return yaml;
  };
  EXPECT_EQ(ProblemOf(replaced("coupled: false", "coupled: yes")),
            "card.yaml:16: structure.coupled: true or false, not yes");
  EXPECT_EQ(ProblemOf(replaced("coupled: false", "coupled: \"true\"")),
            "card.yaml:16: structure.coupled: true or false, not true");
  EXPECT_EQ(ProblemOf(replaced("coupled: false", "coupled: [true]")),
            "card.yaml:16: structure.coupled: needs true or false");
  EXPECT_EQ(ProblemOf(replaced("coupled: false", "coupled: false, coupled: true")),
            "card.yaml:16: structure.coupled: given twice (first on line 16)");
  EXPECT_EQ(WarningOf(replaced(",\n            coupled: false", "")),
            "card.yaml: structure.coupled not given: the built-in value is used");
  EXPECT_EQ(ProblemOf(replaced("avrami_index: 1", "avrami_index: 0.5")),
            "card.yaml:15: structure.avrami_index: must be 1 or more, not 0.5");
  EXPECT_EQ(ProblemOf(replaced("ultimate_crystallinity: 0.5", "ultimate_crystallinity: 1.5")),
            "card.yaml:15: structure.ultimate_crystallinity: must be 1 or less, not 1.5");
  EXPECT_EQ(ProblemOf(replaced("upper_C", "top_C")),
            "card.yaml:14: structure.top_C: unknown key; did you mean structure.upper_C?");

  ModelCard card;
  EXPECT_EQ(ApplyModelSetting(card, "structure.coupled=true"), std::nullopt);
  EXPECT_TRUE(card.Constants().Structure.Coupled);
  EXPECT_EQ(card.Name(), "PET, structure.coupled=true");
  ASSERT_TRUE(ApplyModelSetting(card, "structure.coupled=1"));
  EXPECT_EQ(ApplyModelSetting(card, "structure.coupled=1")->Message, "true or false");
  EXPECT_TRUE(card.Constants().Structure.Coupled);
  EXPECT_EQ(ApplyModelSetting(card, "structure.rate_half_width_C=0")->Message,
            "must be above 0, not 0");
  // As a sweep's cell.
  EXPECT_EQ(ApplyCardText(card, coupled_key, "false"), std::nullopt);
  EXPECT_FALSE(card.Constants().Structure.Coupled);
  EXPECT_EQ(ApplyCardText(card, coupled_key, "0"), "true or false, not 0");
  EXPECT_EQ(card.Text(coupled_key), "false");
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
