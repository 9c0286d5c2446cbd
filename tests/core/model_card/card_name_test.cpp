#include <gtest/gtest.h>

#include <array>
#include <string>

#include "vellmor/model_card/model_card.h"

namespace vellmor {
namespace {

const TModelKey& Key(const char* path) { return *FindModelKey(path); }

TEST(CardName, ASettingReplacesTheBuiltInCorrelationsAndItsOwnEarlierValue) {
  EXPECT_EQ(ChangedCardName("PET, built-in correlations", Key("heat_transfer.factor"), "2e-4"),
            "PET, heat_transfer.factor=2e-4");
  EXPECT_EQ(ChangedCardName("PET, heat_transfer.factor=2e-4", Key("gravity_cm_s2"), "0"),
            "PET, heat_transfer.factor=2e-4, gravity_cm_s2=0");
  EXPECT_EQ(ChangedCardName("PET, heat_transfer.factor=2e-4, gravity_cm_s2=0",
                            Key("heat_transfer.factor"), "3e-4"),
            "PET, gravity_cm_s2=0, heat_transfer.factor=3e-4");
  // A key whose path begins another's is not that one.
  EXPECT_EQ(ChangedCardName("PET, heat_transfer.factor=2e-4",
                            Key("heat_transfer.cross_flow_factor"), "9"),
            "PET, heat_transfer.factor=2e-4, heat_transfer.cross_flow_factor=9");
  EXPECT_EQ(ChangedCardName("grade B", Key("structure.coupled"), "true"),
            "grade B, structure.coupled=true");
  EXPECT_EQ(ChangedCardName("", Key("gravity_cm_s2"), "0"), "gravity_cm_s2=0");
}

TEST(CardName, AFittedCardIsNamedAfterItsMeasurementsAndTheDay) {
  const std::array<std::string_view, 1> heat{"heat_transfer.factor"};
  EXPECT_EQ(FittedCardName("PET, built-in correlations", heat, "data/line.csv", "2026-12-10"),
            "PET, fitted to line.csv on 2026-12-10");
  // The settings of other constants still hold; the start of a fitted one does not.
  EXPECT_EQ(FittedCardName("PET, gravity_cm_s2=0, heat_transfer.factor=2e-4", heat, "line.csv",
                           "2026-12-10"),
            "PET, gravity_cm_s2=0, fitted to line.csv on 2026-12-10");
  // A refit replaces the fit before it.
  EXPECT_EQ(FittedCardName("PET, fitted to a.csv on 2026-01-02", heat, "/tmp/b.csv", "2026-12-10"),
            "PET, fitted to b.csv on 2026-12-10");
  EXPECT_EQ(FittedCardName("mine.yaml", {}, "line.csv", "2026-12-10"),
            "mine.yaml, fitted to line.csv on 2026-12-10");
}

}  // namespace
}  // namespace vellmor
