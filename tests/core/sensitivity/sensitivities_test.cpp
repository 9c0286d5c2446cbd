#include "vellmor/sensitivity/sensitivities.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>

#include "support/test_support.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

// The six results from a solution, worked out here: the stress at the freeze point is the
// tension over the cross-section there.
std::array<double, 6> Results(const TConvergedSolution& s) {
  const double freeze_area = 0.78539815 * s.FreezeState.D * s.FreezeState.D;
  return {s.SpinneretTension, s.TakeUpTension, *s.FreezePoint, s.FreezeState.F / freeze_area,
          s.FinalTemperature, s.FinalDiameter};
}

// An elasticity by other means than the engine's: each neighbour solved from scratch at a
// tolerance a hundred times tighter, central differences at 2 % and 1 %, extrapolated
// (the h² terms cancel).
std::array<double, 6> ReferenceElasticities(
    const std::function<void(TSpinCondition&, TConvergedOptions&, double)>& set, double value) {
  const auto solve = [&](double p) {
    TSpinCondition condition = DefaultCondition();
    TConvergedOptions options;
    options.Tolerance = {1e-10, 1e-10};
    options.VelocityTolerance = 1e-12;
    set(condition, options, p);
    return Results(SolveConverged(condition, options));
  };
  const std::array<double, 6> base = solve(value);
  const auto central = [&](double h) {
    const auto up = solve(value * (1 + h));
    const auto down = solve(value * (1 - h));
    std::array<double, 6> e{};
    for (std::size_t i = 0; i < 6; ++i) e[i] = (up[i] - down[i]) / (2 * h * base[i]);
    return e;
  };
  const auto wide = central(0.02);
  const auto narrow = central(0.01);
  std::array<double, 6> e{};
  for (std::size_t i = 0; i < 6; ++i) e[i] = (4 * narrow[i] - wide[i]) / 3;
  return e;
}

std::size_t IndexOf(const TSensitivities& s, std::string_view name) {
  const auto found = std::find_if(s.Parameters.begin(), s.Parameters.end(),
                                  [&](const TSensitivityParameter& p) { return p.Name == name; });
  EXPECT_NE(found, s.Parameters.end()) << name;
  return static_cast<std::size_t>(found - s.Parameters.begin());
}

class DefaultCaseSensitivities : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    base_ = new TConvergedSolution(SolveConverged(DefaultCondition()));
    sensitivities_ = new TSensitivities(ComputeSensitivities(DefaultCondition(), {}, *base_));
  }
  static void TearDownTestSuite() {
    delete sensitivities_;
    delete base_;
  }

  // Four significant digits against the reference, for every result: what the reference
  // itself is right to, through its h⁴ term at 1 %.
  static void ExpectFourDigits(std::string_view name, const std::array<double, 6>& reference) {
    SCOPED_TRACE(std::string(name));
    const std::size_t j = IndexOf(*sensitivities_, name);
    for (std::size_t i = 0; i < 6; ++i) {
      SCOPED_TRACE(kSensitivityOutputs[i]);
      ASSERT_TRUE(sensitivities_->Elasticity[i][j].has_value());
      EXPECT_NEAR(*sensitivities_->Elasticity[i][j], reference[i],
                  std::max(1e-4 * std::fabs(reference[i]), 1e-7));
    }
  }

  static TConvergedSolution* base_;
  static TSensitivities* sensitivities_;
};

TConvergedSolution* DefaultCaseSensitivities::base_ = nullptr;
TSensitivities* DefaultCaseSensitivities::sensitivities_ = nullptr;

TEST_F(DefaultCaseSensitivities, InputsAgreeWithIndependentSolves) {
  ExpectFourDigits(
      "take_up_speed",
      ReferenceElasticities([](TSpinCondition& c, auto&, double p) { c.TakeUpSpeed = p; }, 5000.0));
  ExpectFourDigits("melt_temperature",
                   ReferenceElasticities(
                       [](TSpinCondition& c, auto&, double p) { c.MeltTemperature = p; }, 290.0));
  ExpectFourDigits(
      "zone2_air_velocity",
      ReferenceElasticities([](TSpinCondition& c, auto&, double p) { c.Zones[2].AirVelocity = p; },
                            50.0));
  // Zone 1's end moves where its hot air gives way to zone 2's.
  ExpectFourDigits("zone1_end", ReferenceElasticities([](TSpinCondition& c, auto&,
                                                         double p) { c.Zones[1].EndPosition = p; },
                                                      10.0));
}

TEST_F(DefaultCaseSensitivities, CardConstantsAgreeWithIndependentSolves) {
  const auto on_card = [](const char* path) {
    return [path](TSpinCondition&, TConvergedOptions& options, double p) {
      ModelCard card;
      card.SetValue(*FindModelKey(path), p);
      options.Model = card.Constants();
    };
  };
  ExpectFourDigits("heat_transfer.factor",
                   ReferenceElasticities(on_card("heat_transfer.factor"), 1.37e-4));
  ExpectFourDigits("viscosity.activation_K",
                   ReferenceElasticities(on_card("viscosity.activation_K"), 6802.0));
  // The swell sets the filament's start: the card reaches the spinneret exit too.
  ExpectFourDigits("die_swell.factor", ReferenceElasticities(on_card("die_swell.factor"), 0.575));
  // Where the freeze point is taken moves with the solidification temperature.
  ExpectFourDigits("viscosity.solidification_C",
                   ReferenceElasticities(on_card("viscosity.solidification_C"), 70.0));
}

TEST_F(DefaultCaseSensitivities, EveryInputAndConstantOnceAndInOrder) {
  const TSensitivities& s = *sensitivities_;
  // One-way, the structure's constants change no result of the line and are left out.
  ASSERT_EQ(s.Parameters.size(), 17u + 24u);
  for (const auto& p : s.Parameters) EXPECT_FALSE(p.Name.starts_with("structure."));
  std::set<std::string_view> names;
  for (const auto& p : s.Parameters) names.insert(p.Name);
  EXPECT_EQ(names.size(), s.Parameters.size());
  EXPECT_TRUE(s.Failures.empty());
  // Still air in zone 1 stays still air: no relative change to make.
  const std::size_t still = IndexOf(s, "zone1_air_velocity");
  for (const auto& row : s.Elasticity) EXPECT_EQ(row[still], 0.0);

  // The take-up speed governs the final diameter: the mass balance alone gives -1/2.
  const std::size_t diameter = 5;
  EXPECT_NEAR(*s.Elasticity[diameter][IndexOf(s, "take_up_speed")], -0.5, 2e-3);
  const auto order = ByMagnitude(s, diameter);
  for (std::size_t k = 1; k < order.size(); ++k) {
    EXPECT_GE(std::fabs(s.Elasticity[diameter][order[k - 1]].value_or(0.0)),
              std::fabs(s.Elasticity[diameter][order[k]].value_or(0.0)));
  }
}

// A filament that never freezes has no freeze point nor stress there to be moved.
TEST(Sensitivities, NoFreezePointLeavesItsRowsEmpty) {
  TSpinCondition condition = DefaultCondition();
  condition.Zones[2].A3 = 100.0;
  const TConvergedSolution base = SolveConverged(condition);
  const TSensitivities s = ComputeSensitivities(condition, {}, base);
  for (const auto& e : s.Elasticity[2]) EXPECT_FALSE(e.has_value());
  for (const auto& e : s.Elasticity[3]) EXPECT_FALSE(e.has_value());
  EXPECT_TRUE(s.Elasticity[0][IndexOf(s, "take_up_speed")].has_value());
}

}  // namespace
}  // namespace vellmor
