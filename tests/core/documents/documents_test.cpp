// The readers of the exports: each kind told apart, documents of older schemas given in
// today's columns and units, a document's card read as a card file is, a fit's cases with
// their inputs under either spelling.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "vellmor/documents/card_json.h"
#include "vellmor/documents/document_kind.h"
#include "vellmor/documents/fit_document.h"
#include "vellmor/documents/profile_document.h"
#include "vellmor/exports/converged_json.h"

namespace vellmor {
namespace {

using Json = nlohmann::ordered_json;

// A run's document as a schema writes it, three points long, with hand-made numbers.
Json RunDocument(int schema) {
  Json numbers = {{"freeze_point_cm", 62.0},
                  {"freeze_velocity_m_min", 4990.0},
                  {"freeze_tension_dyn", 500.0},
                  {"freeze_stress_MPa", 20.0},
                  {"take_up_tension_dyn", 580.0},
                  {"fineness_dtex", 2.0},
                  {"fineness_denier", 1.8},
                  {"draw_down_ratio", 930.0},
                  {"residence_time_s", 0.28},
                  {"max_strain_rate_1_s", 200.0},
                  {"max_strain_rate_at_cm", 24.0},
                  {"final_diameter_um", 13.8},
                  {"final_temperature_C", 33.0},
                  {"spinneret_tension_dyn", 40.0},
                  {"passes", 11}};
  Json profile = {{"x_cm", {0.0, 50.0, 100.0}},
                  {"v_m_min", {5.4, 4000.0, 5000.0}},
                  {"f_dyn", {40.0, 300.0, 580.0}},
                  {"t_C", {290.0, 80.0, 33.0}},
                  {"ta_C", {270.0, 21.0, 20.7}}};
  if (schema == 1) {
    profile["d_cm"] = {0.044, 0.0015, 0.00138};
    profile["ten_re_g_den"] = {0.0, 0.2, 0.3};
  } else {
    profile["d_um"] = {440.0, 15.0, 13.8};
    profile["ten_re_gf_den"] = {0.0, 0.2, 0.3};
  }
  Json document = {{schema == 1 ? "format_version" : "schema_version", schema},
                   {"status", "succeeded"},
                   {"process_numbers", numbers},
                   {"profile", profile}};
  return document;
}

TEST(DocumentKind, TellsEachExportFromTheOthersAndFromAResultFile) {
  EXPECT_EQ(DocumentKindOf(RunDocument(3).dump()), DocumentKind::kRunJson);
  Json solve = RunDocument(3);
  solve["model"] = Json::object();
  EXPECT_EQ(DocumentKindOf(solve.dump()), DocumentKind::kSolveJson);
  EXPECT_EQ(DocumentKindOf(R"({"cases": [], "model": {}})"), DocumentKind::kFitJson);
  EXPECT_EQ(DocumentKindOf(R"({"name": "x"})"), DocumentKind::kOtherJson);
  EXPECT_EQ(DocumentKindOf("\xEF\xBB\xBFx_cm,v_m_min,f_dyn,t_C,d_um,ta_C\n0,1,2,3,4,5\n"),
            DocumentKind::kProfileCsv);
  EXPECT_EQ(DocumentKindOf("case,x_cm,quantity,value\n"), DocumentKind::kMeasuredCsv);
  EXPECT_EQ(DocumentKindOf("OPERATING CONDITION\r\n"), DocumentKind::kResultFile);
  EXPECT_TRUE(MayBeDocument("  {\"schema_version\""));
  EXPECT_FALSE(MayBeDocument("OPERATING CONDITION\r\n---"));
}

TEST(ProfileJson, OlderSchemasComeInTodaysColumnsAndUnits) {
  for (const int schema : {1, 2, 3}) {
    SCOPED_TRACE(schema);
    auto read = ReadProfileJson(RunDocument(schema).dump(), "run.json");
    ASSERT_TRUE(std::holds_alternative<TProfileDocument>(read)) << std::get<std::string>(read);
    const TProfileDocument& document = std::get<TProfileDocument>(read);
    EXPECT_EQ(document.SchemaVersion, schema);
    EXPECT_FALSE(document.Converged);
    ASSERT_NE(document.Profile.Column("d_um"), nullptr);
    EXPECT_DOUBLE_EQ((*document.Profile.Column("d_um"))[2], 13.8);
    EXPECT_NE(document.Profile.Column("ten_re_gf_den"), nullptr);
    EXPECT_EQ(document.Profile.Column("d_cm"), nullptr);
    EXPECT_EQ(document.Numbers.Freeze->PositionCm, 62.0);
    EXPECT_EQ(document.Numbers.Passes, 11);
  }
}

TEST(ProfileJson, RefusesWhatHoldsNoProfileNamingTheFile) {
  Json failed = RunDocument(3);
  failed["status"] = "failed";
  failed["message"] = "Calculation stopped";
  EXPECT_EQ(std::get<std::string>(ReadProfileJson(failed.dump(), "f.json")),
            "f.json holds no profile: its run did not succeed (Calculation stopped)");
  Json short_column = RunDocument(3);
  short_column["profile"]["t_C"] = {290.0};
  EXPECT_EQ(std::get<std::string>(ReadProfileJson(short_column.dump(), "s.json")),
            "s.json is damaged: its profile or process numbers are incomplete");
}

TEST(ProfileCsv, GivesTheLinesOwnNumbersAndNoneThatNeedItsConditions) {
  // A straight line cooled from 290 to 30 °C over 100 cm: the glass point (70 °C) at
  // x = 100 (290 − 70)/260 = 84.6 cm, by linear interpolation between the points.
  const std::string csv =
      "x_cm,v_m_min,f_dyn,t_C,d_um,ta_C,h_cal_cm2_s_C\n"
      "0,6,40,290,400,270,0.001\n100,5000,600,30,14,20,0.04\n";
  auto read = ReadProfileCsv(csv, "p.csv");
  ASSERT_TRUE(std::holds_alternative<TProfileDocument>(read)) << std::get<std::string>(read);
  const TProfileDocument& document = std::get<TProfileDocument>(read);
  EXPECT_TRUE(document.Converged);  // no tenacities: the converged model's
  ASSERT_TRUE(document.Numbers.Freeze.has_value());
  EXPECT_NEAR(document.Numbers.Freeze->PositionCm, 100.0 * 220.0 / 260.0, 1e-9);
  EXPECT_EQ(document.Numbers.SpinneretTensionDyn, 40.0);
  EXPECT_TRUE(std::isnan(document.Numbers.FinenessDtex));
  EXPECT_EQ(
      std::get<std::string>(ReadProfileCsv("x_cm,v_m_min,f_dyn,t_C,d_um,ta_C\n1,2\n", "p.csv")),
      "p.csv, line 2: 2 cells, the header has 6");
}

TEST(CardJson, LeftOutKeysTakeTheBuiltInValuesAndSaySo) {
  const Json model = {{"name", "PET, fitted"}, {"heat_transfer", {{"factor", 2e-4}}}};
  auto read = ReadCardJson(model, "fit.json (its model)");
  ASSERT_TRUE(std::holds_alternative<TReadCard>(read)) << std::get<TCardProblem>(read).Message;
  const TReadCard& card = std::get<TReadCard>(read);
  EXPECT_EQ(card.Card.Name(), "PET, fitted");
  EXPECT_EQ(card.Card.Value(*FindModelKey("heat_transfer.factor")), 2e-4);
  EXPECT_EQ(card.Card.Value(*FindModelKey("air_drag.factor")),
            ModelCard().Value(*FindModelKey("air_drag.factor")));
  // A document written before its model had a version: its card kept the linear birefringence.
  ASSERT_EQ(card.Warnings.size(), 2u);
  EXPECT_NE(card.Warnings[0].Message.find("the section air_drag"), std::string::npos);
  EXPECT_EQ(card.Card.Constants().Structure.Law, BirefringenceLaw::kLinear);
  EXPECT_EQ(card.Warnings[1].Keys, std::vector<std::string>{"structure.birefringence_law"});
  // Today's documents write the card's version with it: read back, the same card.
  const auto today = ReadCardJson(Json::parse(ModelCardJson(ModelCard()).dump()), "solve.json");
  ASSERT_TRUE(std::holds_alternative<TReadCard>(today));
  EXPECT_EQ(std::get<TReadCard>(today).Card, ModelCard());
  EXPECT_TRUE(std::get<TReadCard>(today).Warnings.empty());
  const Json unknown = {{"heat_transfer", {{"factr", 2e-4}}}};
  EXPECT_NE(std::get<TCardProblem>(ReadCardJson(unknown, "f")).Message.find("did you mean"),
            std::string::npos);
}

TEST(FitJson, CasesKeepTheirInputsUnderEitherSpellingAndTheirMeasurements) {
  const Json fit = {{"schema_version", 2},
                    {"model", {{"name", "PET, fitted"}}},
                    {"cases",
                     {{{"case", "slow"},
                       {"inputs", {{"take-up-speed", {{"text", "3500"}, {"value", 3500}}}}},
                       {"residuals",
                        {{{"x_cm", 50.0},
                          {"quantity", "birefringence"},
                          {"measured", 0.01},
                          {"sigma", 0.001},
                          {"normalised", 0.5}},
                         {{"x_cm", 10.0}, {"quantity", "width_um"}, {"measured", 1.0}}}}},
                      {{"case", "fast"}, {"inputs", {{"take_up_speed", {{"text", "5500"}}}}}}}}};
  auto read = ReadFitJson(fit.dump(), "fit.json");
  ASSERT_TRUE(std::holds_alternative<TFitDocument>(read)) << std::get<std::string>(read);
  const TFitDocument& document = std::get<TFitDocument>(read);
  ASSERT_EQ(document.Cases.size(), 2u);
  EXPECT_EQ(document.Cases[0].Texts.TakeUpSpeed, "3500");
  EXPECT_EQ(document.Cases[1].Texts.TakeUpSpeed, "5500");
  ASSERT_EQ(document.Cases[0].Points.size(), 1u);  // the unknown quantity is left out
  EXPECT_TRUE(document.Cases[0].Structure);
  EXPECT_EQ(document.Cases[0].Points[0].Normalised, 0.5);
  EXPECT_FALSE(document.Cases[1].Structure);
  EXPECT_FALSE(document.Card.Warnings.empty());  // the model holds the name alone
}

// Values of another type than their key takes are said with the file and what is wrong,
// never thrown or read past: a status that is a number, a switch that is a text, a fit's case
// named by a number, a residual without its position.
TEST(Documents, ValuesOfTheWrongTypeAreADamagedDocument) {
  Json status = RunDocument(2);
  status["status"] = 1;
  Json coupled = RunDocument(2);
  coupled["model"] = {{"name", "PET"}};
  coupled["structure"] = {{"birefringence", 0.1},
                          {"orientation", 0.4},
                          {"crystallinity", 0.01},
                          {"onset_cm", nullptr},
                          {"coupled", "yes"}};
  for (const Json& document : {status, coupled}) {
    const auto read = ReadProfileJson(document.dump(), "bad.json");
    ASSERT_TRUE(std::holds_alternative<std::string>(read)) << document.dump();
    EXPECT_TRUE(std::get<std::string>(read).starts_with("bad.json is damaged: type must be "))
        << std::get<std::string>(read);
  }
  const Json named_by_number = {{"model", {{"name", "PET"}}},
                                {"cases", {{{"case", 5}, {"residuals", Json::array()}}}}};
  const Json residual_without_x = {
      {"model", {{"name", "PET"}}},
      {"cases",
       {{{"case", "1"},
         {"residuals", {{{"quantity", "diameter_um"}, {"measured", 20.0}, {"sigma", 1.0}}}}}}}};
  const auto read = ReadFitJson(named_by_number.dump(), "fit.json");
  ASSERT_TRUE(std::holds_alternative<std::string>(read));
  EXPECT_EQ(std::get<std::string>(read), "fit.json is damaged: type must be string, but is number");
  // A residual that does not say where it was measured is no point to draw.
  const auto without_x = ReadFitJson(residual_without_x.dump(), "fit.json");
  ASSERT_TRUE(std::holds_alternative<TFitDocument>(without_x));
  EXPECT_TRUE(std::get<TFitDocument>(without_x).Cases.at(0).Points.empty());
}

}  // namespace
}  // namespace vellmor
