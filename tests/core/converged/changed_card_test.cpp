// The converged model with constants other than the built-in ones, against the reference
// spinline of the tests' support, written from the model's equations alone.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>

#include "support/reference_spinline.h"
#include "support/test_support.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {
namespace {

using test::DefaultCondition;
using test::Reference;
using test::TReferenceConstants;
using test::TReferenceResult;

TModelConstants CardWith(std::initializer_list<std::pair<const char*, double>> settings) {
  ModelCard card;
  for (const auto& [key, value] : settings) card.SetValue(*FindModelKey(key), value);
  return card.Constants();
}

void ExpectMeetsReference(const TModelConstants& model, const TReferenceConstants& k) {
  const TSpinCondition condition = DefaultCondition();
  TConvergedOptions options;
  options.Model = model;
  const TConvergedSolution solution = SolveConverged(condition, options);
  const TReferenceResult reference = Reference(condition, k);
  const auto near = [](double actual, double expected) {
    EXPECT_NEAR(actual, expected, 2e-8 * std::fabs(expected));
  };
  near(solution.SpinneretTension, reference.spinneret_tension);
  near(solution.TakeUpTension, reference.take_up_tension);
  near(solution.FinalTemperature, reference.final_temperature);
  near(solution.FinalDiameter, reference.final_diameter);
  ASSERT_TRUE(solution.FreezePoint.has_value());
  EXPECT_NEAR(*solution.FreezePoint, reference.freeze_point, 1e-6);
  EXPECT_NEAR(solution.FreezeState.T, k.solidification, 1e-9);
}

TEST(ChangedCard, BuiltInConstantsMeetTheReference) {
  ExpectMeetsReference(ModelCard().Constants(), {});
}

// A quench that takes more heat: the filament freezes some 17 cm sooner, under more tension.
TEST(ChangedCard, StrongerHeatTransferMeetsTheReference) {
  ExpectMeetsReference(CardWith({{"heat_transfer.factor", 2e-4}}), {.heat_factor = 2e-4});
}

TEST(ChangedCard, LineWithoutWeightMeetsTheReference) {
  ExpectMeetsReference(CardWith({{"gravity_cm_s2", 0.0}}), {.gravity = 0.0});
}

// The classical filament without inertia: the tension falls by the weight alone.
TEST(ChangedCard, LineWithoutInertiaMeetsTheReference) {
  ExpectMeetsReference(CardWith({{"momentum.inertia_factor", 0.0}}), {.inertia = 0.0});
}

// Another grade: a stiffer melt that sets at a higher temperature, where the freeze point is
// then taken.
TEST(ChangedCard, AnotherViscosityAndSolidificationMeetTheReference) {
  ExpectMeetsReference(
      CardWith({{"viscosity.activation_K", 7000.0}, {"viscosity.solidification_C", 80.0}}),
      {.activation = 7000.0, .solidification = 80.0});
}

}  // namespace
}  // namespace vellmor
