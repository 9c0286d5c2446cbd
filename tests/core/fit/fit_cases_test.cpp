// A fit's cases are read as solve reads them: IV within the range each case's card declares
// valid, not the window's.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vellmor/fit/fit_cases.h"
#include "vellmor/sweep/sweep_column.h"

namespace vellmor {
namespace {

TEST(FitCases, TakeTheIVTheCardDeclaresValid) {
  TInputTexts texts;
  texts.IV = "1.2";  // beyond the window's 0.9, within the built-in card's 1.3
  const auto cases = FitCasesOf(texts, '.', ModelCard(), std::nullopt);
  ASSERT_TRUE(std::holds_alternative<std::vector<TFitCase>>(cases)) << std::get<std::string>(cases);
  EXPECT_EQ(std::get<std::vector<TFitCase>>(cases).front().Condition.IV, 1.2);

  // A card of a narrower range refuses it, naming the case.
  ModelCard narrow;
  ASSERT_EQ(ApplyModelSetting(narrow, "viscosity.valid_iv_max=1.1"), std::nullopt);
  const auto refused = FitCasesOf(texts, '.', narrow, std::nullopt);
  ASSERT_TRUE(std::holds_alternative<std::string>(refused));
  EXPECT_EQ(std::get<std::string>(refused),
            "case 1: IV 1.2 is outside the card's valid range 0.5 to 1.1");

  // A row of a table that widens its own card's range.
  TCasesTable table{{*FindSweepColumn("viscosity.valid_iv_max"), *FindSweepColumn("iv")},
                    {{"1.2", "1.15"}, {"", "1.15"}},
                    {"wide", "narrow"}};
  const auto rows = FitCasesOf(TInputTexts{}, '.', narrow, table);
  ASSERT_TRUE(std::holds_alternative<std::string>(rows));
  EXPECT_EQ(std::get<std::string>(rows),
            "case narrow: IV 1.15 is outside the card's valid range 0.5 to 1.1");
}

}  // namespace
}  // namespace vellmor
