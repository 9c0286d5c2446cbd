// The fibre's structure along the converged spinline (birefringence, orientation,
// crystallinity), one-way and coupled, against the structure reference of the tests' support:
// a fixed-step integration written from the model's formulas alone.

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

#include "support/reference_structure.h"
#include "support/test_support.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {
namespace {

using test::DefaultCondition;
using test::StructureReference;
using test::TReferenceConstants;
using test::TReferenceStructureConstants;
using test::TReferenceStructureResult;

TConvergedSolution SolveWithStructure(const TSpinCondition& condition,
                                      const TStructureConstants& structure,
                                      const TIntegrationTolerance& tolerance = {}) {
  TConvergedOptions options;
  options.Model.Structure = structure;
  options.Structure = true;
  options.Tolerance = tolerance;
  return SolveConverged(condition, options);
}

TSpinCondition AtTakeUp(double speed) {
  TSpinCondition condition = DefaultCondition();
  condition.TakeUpSpeed = speed;
  return condition;
}

void ExpectMeetsReference(const TConvergedSolution& solution,
                          const TReferenceStructureResult& reference, double tolerance) {
  ASSERT_TRUE(solution.Structure.has_value());
  const TStructureSummary& s = *solution.Structure;
  EXPECT_NEAR(solution.SpinneretTension, reference.spinneret_tension,
              tolerance * reference.spinneret_tension);
  ASSERT_EQ(solution.FreezePoint.has_value(), reference.freeze_point.has_value());
  if (reference.freeze_point) {
    EXPECT_NEAR(*solution.FreezePoint, *reference.freeze_point, 1e-5);
  }
  EXPECT_NEAR(s.Birefringence, reference.birefringence, tolerance * reference.birefringence);
  EXPECT_NEAR(s.Orientation, reference.orientation, tolerance * reference.orientation);
  EXPECT_NEAR(s.Crystallinity, reference.crystallinity,
              tolerance * reference.crystallinity + 1e-12);
  ASSERT_EQ(s.Onset.has_value(), reference.onset.has_value());
  if (reference.onset) {
    EXPECT_NEAR(*s.Onset, *reference.onset, 1e-4);
  }
}

// The linear law's structure, the built-in one of cards before version 3.
TStructureConstants Linear() {
  TStructureConstants linear;
  linear.Law = BirefringenceLaw::kLinear;
  return linear;
}

TReferenceStructureConstants LinearReference() {
  TReferenceStructureConstants linear;
  linear.saturating = false;
  return linear;
}

TEST(FibreStructure, OneWayDefaultLineGivesTheFiguresOfTheLiterature) {
  // With the linear law, as the structure was first solved.
  const TConvergedSolution solution = SolveWithStructure(DefaultCondition(), Linear());
  ASSERT_TRUE(solution.Structure.has_value());
  EXPECT_NEAR(solution.Structure->Birefringence, 0.12231, 5e-6);
  EXPECT_NEAR(solution.Structure->Crystallinity, 0.04674, 5e-6);
  ASSERT_TRUE(solution.Structure->Onset.has_value());
  EXPECT_NEAR(*solution.Structure->Onset, 58.5, 0.1);
  EXPECT_FALSE(solution.Structure->Coupled);
  EXPECT_NEAR(solution.Structure->Orientation, solution.Structure->Birefringence / 0.275, 1e-15);

  const TReferenceStructureResult reference =
      StructureReference(DefaultCondition(), TReferenceConstants{}, LinearReference());
  ExpectMeetsReference(solution, reference, 1e-7);
  // The built-in saturating law, against the same reference with that law.
  ExpectMeetsReference(SolveWithStructure(DefaultCondition(), kBuiltInStructure),
                       StructureReference(DefaultCondition(), TReferenceConstants{}, {}), 1e-7);
}

TEST(FibreStructure, OneWayLeavesTheSpinlineAsThePlainSolutionHasIt) {
  const TConvergedSolution plain = SolveConverged(DefaultCondition());
  const TConvergedSolution with = SolveWithStructure(DefaultCondition(), kBuiltInStructure);
  EXPECT_FALSE(plain.Structure.has_value());
  // Only the steps differ (the window's edge and ψ are watched), within the tolerance.
  EXPECT_NEAR(with.SpinneretTension, plain.SpinneretTension, 1e-8 * plain.SpinneretTension);
  EXPECT_NEAR(*with.FreezePoint, *plain.FreezePoint, 1e-6);
}

TEST(FibreStructure, SlowerTakeUpOrientsAndCrystallizesLess) {
  const TSpinCondition at_3000 = AtTakeUp(3000.0);
  const TConvergedSolution solution = SolveWithStructure(at_3000, Linear());
  EXPECT_NEAR(solution.Structure->Birefringence, 0.04637, 5e-6);
  ExpectMeetsReference(solution,
                       StructureReference(at_3000, TReferenceConstants{}, LinearReference()), 1e-7);

  // At 1000 m/min the melt is hardly oriented when it passes through the window's warm part:
  // a trace of crystals, no onset.
  const TSpinCondition at_1000 = AtTakeUp(1000.0);
  const TConvergedSolution slow = SolveWithStructure(at_1000, kBuiltInStructure);
  EXPECT_LT(slow.Structure->Crystallinity, 1e-3);
  EXPECT_FALSE(slow.Structure->Onset.has_value());
  ExpectMeetsReference(slow, StructureReference(at_1000, TReferenceConstants{}, {}), 1e-6);
}

TEST(FibreStructure, BirefringenceFollowsTheStressUntilTheFreezePointAndStaysThere) {
  TConvergedOptions options;
  options.Structure = true;
  for (int i = 0; i <= 100; ++i) options.SampleX.push_back(i * 1.0);
  const TConvergedSolution solution = SolveConverged(DefaultCondition(), options);
  const double freeze = *solution.FreezePoint;
  const double frozen = solution.Structure->Birefringence;
  // The saturating law by hand, σ from dyn/cm² to Pa, T in K.
  const auto melt = [](double stress, double t) {
    return 0.275 * (1.0 - std::exp(-1.7e-6 * 0.1 * stress / ((t + 273.0) * 0.275)));
  };
  int after = 0;
  for (const TConvergedSample& sample : solution.Profile) {
    // σ = F ρ V / W from the sample's own diameter: F / (π/4 D²).
    EXPECT_NEAR(sample.Stress, sample.F / (0.78539815 * sample.D * sample.D), 1e-9 * sample.Stress);
    if (sample.X < freeze) {
      EXPECT_NEAR(sample.Birefringence, melt(sample.Stress, sample.T), 1e-12);
    } else {
      EXPECT_EQ(sample.Birefringence, frozen) << "at x = " << sample.X;
      // The tension still rises after it: the melt at 70 °C would be oriented further.
      EXPECT_GT(melt(sample.Stress, 70.0), frozen);
      ++after;
    }
    EXPECT_NEAR(sample.Orientation, sample.Birefringence / 0.275, 1e-15);
  }
  EXPECT_GT(after, 30);
  // Crystallinity never falls, and is all there by the freeze point.
  for (std::size_t i = 1; i < solution.Profile.size(); ++i) {
    EXPECT_GE(solution.Profile[i].Crystallinity, solution.Profile[i - 1].Crystallinity);
    if (solution.Profile[i - 1].X >= freeze) {
      EXPECT_EQ(solution.Profile[i].Crystallinity, solution.Profile[i - 1].Crystallinity);
    }
  }
  EXPECT_EQ(solution.Profile.back().Crystallinity, solution.Structure->Crystallinity);
}

// With a rate that is the same everywhere on the line (a flat bell, no orientation
// enhancement, a window that holds the whole line), ψ = ∫ K / V dx = K t, t the filament's
// time on the line, and θ = 1 − exp(−(K t)ⁿ) by hand.
TEST(FibreStructure, ConstantRateGivesNakamurasCrystallinityOfTheResidenceTime) {
  for (const double n : {1.0, 2.0}) {
    ModelCard card;
    card.SetValue(*FindModelKey("viscosity.solidification_C"), -100.0);
    TStructureConstants structure;
    structure.RateHalfWidthC = 1e12;
    structure.OrientationFactor = 0.0;
    structure.UpperC = 1000.0;
    structure.RateMaxPerS = 2.0;
    structure.AvramiIndex = n;
    TConvergedOptions options;
    options.Model = card.Constants();
    options.Model.Structure = structure;
    options.Structure = true;
    const TConvergedSolution solution = SolveConverged(DefaultCondition(), options);
    const double psi = 2.0 * solution.ResidenceTime;
    EXPECT_NEAR(solution.Structure->Crystallinity, 0.5 * (1.0 - std::exp(-std::pow(psi, n))), 1e-9)
        << "n = " << n;
    ASSERT_TRUE(solution.Structure->Onset.has_value());
  }
}

// With the linear law the default line is oriented enough for the crystallization to run away
// under its own latent heat, a steep front for the solver; with the saturating one, which
// orients it less, an orientation factor of 160 does the same.
TEST(FibreStructure, CoupledLineMeetsTheReferenceAndConvergesAsTheToleranceTightens) {
  TStructureConstants coupled = Linear();
  coupled.Coupled = true;
  TReferenceStructureConstants reference_constants = LinearReference();
  reference_constants.coupled = true;
  const TReferenceStructureResult reference =
      StructureReference(DefaultCondition(), TReferenceConstants{}, reference_constants);
  // The latent heat keeps the filament warm: it crystallizes fully and freezes later.
  ASSERT_TRUE(reference.freeze_point.has_value());
  EXPECT_GT(*reference.freeze_point, 70.0);

  double previous_error = HUGE_VAL;
  for (const double relative : {1e-5, 1e-7, 1e-9}) {
    const TConvergedSolution solution =
        SolveWithStructure(DefaultCondition(), coupled, {relative, relative});
    ASSERT_TRUE(solution.Structure->Coupled);
    const double error =
        std::fabs(solution.SpinneretTension / reference.spinneret_tension - 1.0) +
        std::fabs(solution.Structure->Birefringence / reference.birefringence - 1.0) +
        std::fabs(*solution.FreezePoint - *reference.freeze_point) / *reference.freeze_point;
    EXPECT_LT(error, 100.0 * relative) << "tolerance " << relative;
    EXPECT_LT(error, previous_error) << "tolerance " << relative;
    previous_error = error;
  }
  ExpectMeetsReference(SolveWithStructure(DefaultCondition(), coupled), reference, 1e-7);

  TStructureConstants saturating;
  saturating.Coupled = true;
  saturating.OrientationFactor = 160.0;
  TReferenceStructureConstants saturating_reference;
  saturating_reference.coupled = true;
  saturating_reference.orientation_factor = 160.0;
  const TReferenceStructureResult front =
      StructureReference(DefaultCondition(), TReferenceConstants{}, saturating_reference);
  ASSERT_TRUE(front.freeze_point.has_value());
  EXPECT_GT(*front.freeze_point, 70.0);
  EXPECT_GT(front.crystallinity, 0.49);
  ExpectMeetsReference(SolveWithStructure(DefaultCondition(), saturating), front, 1e-7);
  // At the built-in 100 the saturating law's melt, less oriented, hardly crystallizes.
  TStructureConstants built_in;
  built_in.Coupled = true;
  saturating_reference.orientation_factor = 100.0;
  ExpectMeetsReference(
      SolveWithStructure(DefaultCondition(), built_in),
      StructureReference(DefaultCondition(), TReferenceConstants{}, saturating_reference), 1e-7);
}

TEST(FibreStructure, CoupledLineWithoutCrystalsIsTheOneWayLine) {
  TStructureConstants no_crystals;
  no_crystals.UltimateCrystallinity = 0.0;
  const TConvergedSolution one_way = SolveWithStructure(DefaultCondition(), no_crystals);
  no_crystals.Coupled = true;
  const TConvergedSolution coupled = SolveWithStructure(DefaultCondition(), no_crystals);
  EXPECT_NEAR(coupled.SpinneretTension, one_way.SpinneretTension, 1e-9 * one_way.SpinneretTension);
  EXPECT_NEAR(*coupled.FreezePoint, *one_way.FreezePoint, 1e-7);
  EXPECT_NEAR(coupled.Structure->Birefringence, one_way.Structure->Birefringence, 1e-10);
  EXPECT_EQ(coupled.Structure->Crystallinity, 0.0);
  EXPECT_FALSE(coupled.Structure->Onset.has_value());
}

}  // namespace
}  // namespace vellmor
