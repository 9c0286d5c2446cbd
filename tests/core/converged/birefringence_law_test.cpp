// The melt's birefringence under stress: PET's saturating law, bounded by the intrinsic
// birefringence at any stress and speed, and the linear law of the cards before it, which an
// old card keeps.

#include <gtest/gtest.h>

#include <cmath>

#include "support/reference_structure.h"
#include "support/test_support.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/structure/structure_laws.h"

namespace vellmor {
namespace {

using test::DefaultCondition;

constexpr double kDynPerPa = 10.0;  // 1 Pa = 10 dyn/cm²

TEST(BirefringenceLaw, SaturatingLawAtTenKilopascalsPerKelvinByHand) {
  // σ / T = 10 kPa/K at 70 °C (343 K): σ = 3.43 MPa. The exponent C_T σ / (T Δn°) =
  // 1.7e-6 · 1e4 / 0.275 = 0.0618181…; 1 − e^−x = x − x²/2 + x³/6 − x⁴/24 + … = 0.0618182 −
  // 0.0019107 + 0.0000394 − 0.0000006 = 0.0599462, and Δn = 0.275 · 0.0599462 = 0.016485:
  // close to the linear 1.7e-6 · 1e4 = 0.017 of low stresses, a little below it.
  const TStructureConstants k;
  ASSERT_EQ(k.Law, BirefringenceLaw::kSaturating);
  const double stress = 1e4 * 343.0 * kDynPerPa;
  EXPECT_NEAR(structure_laws::Birefringence(k, stress, 343.0), 0.016485, 1e-6);
  // The same σ / T at another temperature gives the same Δn.
  EXPECT_NEAR(structure_laws::Birefringence(k, 1e4 * 543.0 * kDynPerPa, 543.0),
              structure_laws::Birefringence(k, stress, 343.0), 1e-15);
}

TEST(BirefringenceLaw, SaturatingLawIsLinearAtLowStressAndBoundedAtAny) {
  const TStructureConstants k;
  // The slope at σ → 0 is C_T / T: 1.7e-6 / 343 per Pa, less the second order's x / 2, with
  // x = C_T σ / (T Δn°) = 1.8022e-8 at 1 Pa.
  const double low = 1.0 * kDynPerPa;  // 1 Pa
  const double x = 1.7e-6 / (343.0 * 0.275);
  EXPECT_NEAR(structure_laws::Birefringence(k, low, 343.0) / (1.7e-6 / 343.0), 1.0 - x / 2, 1e-15);
  EXPECT_EQ(structure_laws::Birefringence(k, 0.0, 343.0), 0.0);
  double previous = 0.0;
  for (double stress = 1e3; stress <= 1e16; stress *= 1.5) {
    for (const double kelvin : {250.0, 343.0, 563.0}) {
      const double n = structure_laws::Birefringence(k, stress, kelvin);
      EXPECT_LE(n, k.IntrinsicBirefringence) << stress << " dyn/cm² at " << kelvin << " K";
      EXPECT_LE(structure_laws::Orientation(k, n), 1.0);
    }
    const double n = structure_laws::Birefringence(k, stress, 343.0);
    EXPECT_GE(n, previous) << stress;
    previous = n;
  }
  // Far beyond any spinline's stress it has reached the intrinsic birefringence.
  EXPECT_EQ(previous, k.IntrinsicBirefringence);
}

TEST(BirefringenceLaw, LinearLawIsTheStressOpticalCoefficientAtAnyTemperature) {
  TStructureConstants k;
  k.Law = BirefringenceLaw::kLinear;
  // 5 1/GPa: 24.46 MPa (2.446e8 dyn/cm²) give 0.1223, and 80 MPa more than Δn° = 0.275.
  EXPECT_NEAR(structure_laws::Birefringence(k, 2.446e8, 343.0), 0.1223, 1e-12);
  EXPECT_EQ(structure_laws::Birefringence(k, 2.446e8, 500.0),
            structure_laws::Birefringence(k, 2.446e8, 343.0));
  EXPECT_NEAR(structure_laws::Birefringence(k, 8e8, 343.0), 0.4, 1e-12);
  EXPECT_EQ(structure_laws::Orientation(k, 0.4), 1.0);
}

TConvergedSolution SolveWithStructure(const TSpinCondition& condition,
                                      const TModelConstants& model = {}) {
  TConvergedOptions options;
  options.Model = model;
  options.Structure = true;
  for (int i = 0; i <= 50; ++i) options.SampleX.push_back(i * 2.0);
  return SolveConverged(condition, options);
}

// The faster the take-up the higher the stress at the freeze point: the linear law passes the
// intrinsic birefringence near 7500 m/min (0.302 at 8000), the saturating one never does.
TEST(BirefringenceLaw, NoSpeedOrientsTheMeltBeyondTheIntrinsicBirefringence) {
  double previous = 0.0;
  for (const double speed : {1000.0, 3000.0, 5000.0, 7000.0, 8000.0}) {
    SCOPED_TRACE(speed);
    TSpinCondition condition = DefaultCondition();
    condition.TakeUpSpeed = speed;
    const TConvergedSolution solution = SolveWithStructure(condition);
    ASSERT_TRUE(solution.Structure.has_value());
    const double n = solution.Structure->Birefringence;
    EXPECT_LT(n, 0.275);
    EXPECT_GT(n, previous);
    previous = n;
    for (const TConvergedSample& sample : solution.Profile) {
      EXPECT_LT(sample.Birefringence, 0.275) << "at x = " << sample.X;
      EXPECT_LT(sample.Orientation, 1.0);
    }
    if (speed == 8000.0) {
      // The stress frozen in, by hand from the freeze point's state at 70 °C.
      const TConvergedSample& freeze = solution.FreezeState;
      const double exponent = 1.7e-6 * (freeze.Stress / kDynPerPa) / (343.0 * 0.275);
      EXPECT_NEAR(n, 0.275 * (1.0 - std::exp(-exponent)), 1e-9);
      EXPECT_GT(freeze.Stress * 5e-10, 0.275);  // where the linear law would be
    }
  }
}

// The one-way structure of the default line meets the independent reference with the
// saturating law, as with the linear one.
TEST(BirefringenceLaw, SaturatingStructureMeetsTheReference) {
  for (const double speed : {3000.0, 5000.0}) {
    SCOPED_TRACE(speed);
    TSpinCondition condition = DefaultCondition();
    condition.TakeUpSpeed = speed;
    const TConvergedSolution solution = SolveWithStructure(condition);
    const test::TReferenceStructureResult reference =
        test::StructureReference(condition, test::TReferenceConstants{}, {});
    EXPECT_NEAR(solution.SpinneretTension, reference.spinneret_tension,
                1e-7 * reference.spinneret_tension);
    EXPECT_NEAR(solution.Structure->Birefringence, reference.birefringence,
                1e-7 * reference.birefringence);
    EXPECT_NEAR(solution.Structure->Crystallinity, reference.crystallinity,
                1e-7 * reference.crystallinity + 1e-12);
    ASSERT_EQ(solution.Structure->Onset.has_value(), reference.onset.has_value());
    if (reference.onset) {
      EXPECT_NEAR(*solution.Structure->Onset, *reference.onset, 1e-4);
    }
  }
}

// A card saved before the saturating law (version 2, or no version) does not name its law: it
// keeps the linear one, and the birefringence it gave then, 0.12231 on the default line.
TEST(BirefringenceLaw, AnOldCardReproducesItsLinearBirefringence) {
  test::TReferenceStructureConstants linear;
  linear.saturating = false;
  const test::TReferenceStructureResult reference =
      test::StructureReference(DefaultCondition(), test::TReferenceConstants{}, linear);
  EXPECT_NEAR(reference.birefringence, 0.12231, 5e-6);
  for (const char* old : {"version: 2\nname: old\n", "name: older\n"}) {
    SCOPED_TRACE(old);
    const auto read = ReadModelCard(old, "old.yaml");
    ASSERT_TRUE(std::holds_alternative<TReadCard>(read));
    const ModelCard& card = std::get<TReadCard>(read).Card;
    EXPECT_EQ(card.Constants().Structure.Law, BirefringenceLaw::kLinear);
    const TConvergedSolution solution = SolveWithStructure(DefaultCondition(), card.Constants());
    EXPECT_NEAR(solution.Structure->Birefringence, reference.birefringence,
                1e-7 * reference.birefringence);
    EXPECT_NEAR(solution.Structure->Crystallinity, reference.crystallinity,
                1e-7 * reference.crystallinity);
  }
  // The built-in card, of today's version, solves with the saturating law: less oriented.
  const TConvergedSolution today = SolveWithStructure(DefaultCondition());
  EXPECT_LT(today.Structure->Birefringence, reference.birefringence - 0.01);
}

}  // namespace
}  // namespace vellmor
