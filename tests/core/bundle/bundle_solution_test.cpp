// The bundle against a separately written reference that marches the rows together with the
// air computed at every stage (reference_bundle.h), against the single filament it must
// reproduce, and against what the air's physics demands: the energy it carries off is the heat
// the filaments give up, an air that neither warms nor slows makes every row the first, and a
// row further downstream freezes later.

#include <gtest/gtest.h>

#include <cmath>

#include "reference_bundle.h"
#include "support/test_support.h"
#include "vellmor/bundle/bundle_energy.h"
#include "vellmor/bundle/bundle_solution.h"
#include "vellmor/bundle/bundle_spread.h"

namespace vellmor {
namespace {

TBundleOptions Rows(int rows) {
  TBundleOptions options;
  options.Model.Bundle.Rows = rows;
  return options;
}

// The converged solution's positions of the solve command: 1001 from 0 to 100 cm.
std::vector<double> SolvePositions() {
  std::vector<double> x;
  for (int i = 0; i <= 1000; ++i) x.push_back(i == 1000 ? 100.0 : 100.0 * i / 1000);
  return x;
}

void ExpectSameSolution(const TConvergedSolution& a, const TConvergedSolution& b) {
  EXPECT_EQ(a.SpinneretTension, b.SpinneretTension);
  EXPECT_EQ(a.TakeUpTension, b.TakeUpTension);
  EXPECT_EQ(a.FinalTemperature, b.FinalTemperature);
  EXPECT_EQ(a.FinalVelocity, b.FinalVelocity);
  EXPECT_EQ(a.FreezePoint, b.FreezePoint);
  EXPECT_EQ(a.ResidenceTime, b.ResidenceTime);
  ASSERT_EQ(a.Profile.size(), b.Profile.size());
  for (std::size_t i = 0; i < a.Profile.size(); ++i) {
    EXPECT_EQ(a.Profile[i].X, b.Profile[i].X);
    EXPECT_EQ(a.Profile[i].V, b.Profile[i].V) << a.Profile[i].X;
    EXPECT_EQ(a.Profile[i].T, b.Profile[i].T) << a.Profile[i].X;
    EXPECT_EQ(a.Profile[i].TA, b.Profile[i].TA) << a.Profile[i].X;
    EXPECT_EQ(a.Profile[i].H, b.Profile[i].H) << a.Profile[i].X;
  }
}

// Row 1 meets the zones' own air: it is the single filament to the last digit, in a bundle
// of one row and of three, with the structure too.
TEST(Bundle, RowOneIsTheSingleFilament) {
  for (const bool structure : {false, true}) {
    TConvergedOptions single;
    single.SampleX = SolvePositions();
    single.Structure = structure;
    const TConvergedSolution alone = SolveConverged(test::DefaultCondition(), single);
    for (const int rows : {1, 3}) {
      TBundleOptions options = Rows(rows);
      options.SampleX = single.SampleX;
      options.Structure = structure;
      const TBundleSolution bundle = SolveBundle(test::DefaultCondition(), options);
      ASSERT_EQ(bundle.Rows.size(), static_cast<std::size_t>(rows));
      ExpectSameSolution(bundle.Rows.front().Solution, alone);
      if (structure) {
        EXPECT_EQ(bundle.Rows.front().Solution.Structure->Birefringence,
                  alone.Structure->Birefringence);
      }
    }
  }
}

// Three rows of the default line against the reference, which knows no table of the air.
TEST(Bundle, RowsAgreeWithTheReferenceMarchedTogether) {
  const TSpinCondition condition = test::DefaultCondition();
  constexpr double kProbe = 20.0;  // cm, inside the cross flow of zone 2
  const test::TReferenceBundle reference = test::ReferenceBundle(condition, {}, kProbe);
  TBundleOptions options = Rows(3);
  options.SampleX = {kProbe};
  const TBundleSolution bundle = SolveBundle(condition, options);
  ASSERT_EQ(reference.rows.size(), 3u);
  for (std::size_t r = 0; r < 3; ++r) {
    const TConvergedSolution& s = bundle.Rows[r].Solution;
    const test::TReferenceRow& ref = reference.rows[r];
    SCOPED_TRACE("row " + std::to_string(r + 1));
    EXPECT_NEAR(s.SpinneretTension / ref.spinneret_tension, 1.0, 1e-7);
    EXPECT_NEAR(s.TakeUpTension / ref.take_up_tension, 1.0, 1e-7);
    EXPECT_NEAR(s.FinalTemperature, ref.final_temperature, 1e-5);
    ASSERT_TRUE(s.FreezePoint);
    EXPECT_NEAR(*s.FreezePoint, ref.freeze_point, 1e-5);
    // The air this row met at the probe: its profile's air temperature there.
    EXPECT_NEAR(s.Profile.front().TA, reference.air_temperature[r], 1e-5);
  }
  // The rows really differ: the third meets air warmer by several degrees.
  EXPECT_GT(reference.air_temperature[2] - reference.air_temperature[0], 2.0);
  EXPECT_GT(*bundle.Rows[2].Solution.FreezePoint - *bundle.Rows[0].Solution.FreezePoint, 0.5);
}

// The air's enthalpy gain across the rows is the heat the filaments gave up, one-way and with
// the crystals' latent heat coupled in.
TEST(Bundle, EnergyBalanceCloses) {
  for (const bool coupled : {false, true}) {
    TBundleOptions options = Rows(10);
    options.Model.Structure.Coupled = coupled;
    // Crystallizing inside the cross flow, so that the latent heat enters the balance.
    if (coupled) options.Model.Structure.RateMaxPerS = 50.0;
    const TBundleSolution bundle = SolveBundle(test::DefaultCondition(), options);
    const TEnergyBalance balance = EnergyBalanceOf(bundle, options.Model);
    SCOPED_TRACE(coupled ? "coupled" : "one-way");
    EXPECT_GT(balance.FilamentLoss, 1.0);  // cal/s
    EXPECT_LT(std::fabs(balance.RelativeDifference), 1e-6);
    for (const TRowEnergy& row : balance.Rows) {
      EXPECT_NEAR(row.AirGain / row.FilamentLoss, 1.0, 1e-6);
    }
  }
}

// An air that carries the heat away without warming (its heat capacity huge) and without
// drag meets every row as it met the first.
TEST(Bundle, AirThatNeitherWarmsNorSlowsMakesEveryRowEqual) {
  TBundleOptions options = Rows(4);
  options.Model.Bundle.DragCoefficient = 0.0;
  options.Model.Bundle.AirSpecificHeat = 1e15;
  const TBundleSolution bundle = SolveBundle(test::DefaultCondition(), options);
  const TConvergedSolution& first = bundle.Rows.front().Solution;
  for (const TBundleRow& row : bundle.Rows) {
    EXPECT_NEAR(row.Solution.SpinneretTension / first.SpinneretTension, 1.0, 1e-9);
    EXPECT_NEAR(row.Solution.TakeUpTension / first.TakeUpTension, 1.0, 1e-9);
    EXPECT_NEAR(*row.Solution.FreezePoint, *first.FreezePoint, 1e-7);
    EXPECT_EQ(row.Met.Velocity.front().front(), 50.0);
  }
}

// Each row added meets warmer, slower air than the one before: the last row freezes later.
TEST(Bundle, LastRowFreezesFurtherDownstreamAsRowsAreAdded) {
  double before = 0.0;
  for (const int rows : {1, 2, 4, 8}) {
    const TBundleSolution bundle = SolveBundle(test::DefaultCondition(), Rows(rows));
    const double last = *bundle.Rows.back().Solution.FreezePoint;
    EXPECT_GT(last, before + 0.2) << rows << " rows";
    before = last;
  }
}

// Where the air stands no air passes from row to row: every row is row 1, exactly.
TEST(Bundle, StillAirCarriesNothingFromRowToRow) {
  TSpinCondition condition = test::DefaultCondition();
  condition.Zones[2].AirVelocity = 0.0;
  TBundleOptions options = Rows(3);
  const TBundleSolution bundle = SolveBundle(condition, options);
  EXPECT_TRUE(bundle.Nodes.empty());
  for (const TBundleRow& row : bundle.Rows) {
    EXPECT_EQ(row.Solution.SpinneretTension, bundle.Rows.front().Solution.SpinneretTension);
  }
  const TEnergyBalance balance = EnergyBalanceOf(bundle, options.Model);
  EXPECT_EQ(balance.AirGain, 0.0);
  EXPECT_EQ(balance.RelativeDifference, 0.0);
}

// The air after a row by hand: q / (ρ c_p U w) warmer, exp(−½ C_D D / w) slower.
TEST(BundleAir, AfterARowByHand) {
  TRowAir met{{{50.0, 40.0}}, {{50.0, 25.0}}};
  const TRowHeat heat{{{0.01, 0.002}}, {{0.003, 0.0012}}, {{200.0, 180.0}}};
  TBundleConstants b;  // ρ 1.16e-3 g/cm³, c_p 0.240 cal/(g·°C), w 0.6 cm, C_D 10
  const TRowAir after = AirAfterRow(met, heat, b);
  // 0.01 / (1.16e-3 × 0.240 × 50 × 0.6) = 1.19731 °C; 0.002 / (… × 25 …) = 0.47893 °C.
  EXPECT_NEAR(after.Temperature[0][0], 51.197318, 1e-6);
  EXPECT_NEAR(after.Temperature[0][1], 40.478927, 1e-6);
  // exp(−5 × 0.003 / 0.6) = exp(−0.025) = 0.9753099; exp(−0.01) = 0.9900498.
  EXPECT_NEAR(after.Velocity[0][0], 48.765495, 1e-6);
  EXPECT_NEAR(after.Velocity[0][1], 24.751246, 1e-6);
}

// Air too slow for the heat would pass the filament's temperature: it leaves at it.
TEST(BundleAir, SlowAirLeavesAtTheFilamentsTemperature) {
  const TRowAir met{{{250.0, 150.0}}, {{0.05, 0.05}}};
  // 0.001 / (1.16e-3 × 0.240 × 0.05 × 0.6) = 119.7 °C would carry 250 °C air past 260 °C and
  // 150 °C air past 140 °C (a filament colder than its air warms the other way).
  const TRowHeat heat{{{0.001, -0.001}}, {{0.001, 0.001}}, {{260.0, 140.0}}};
  const TRowAir after = AirAfterRow(met, heat, TBundleConstants{});
  EXPECT_EQ(after.Temperature[0][0], 260.0);
  EXPECT_EQ(after.Temperature[0][1], 140.0);
}

// The nodes of the default line: zone 2 alone has cross flow, 10 to 35 cm, 0.1 cm apart.
TEST(BundleAir, NodesCoverEachZoneOfCrossFlow) {
  const std::vector<TAirZoneNodes> nodes = AirNodes(test::DefaultCondition());
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(nodes[0].Zone, 2);
  ASSERT_EQ(nodes[0].X.size(), 251u);
  EXPECT_EQ(nodes[0].X.front(), 10.0);
  EXPECT_EQ(nodes[0].X.back(), 35.0);
  EXPECT_NEAR(nodes[0].X[1] - nodes[0].X[0], 0.1, 1e-12);
}

// The spread by hand: freeze points 1, 2, 3 and 6 cm.
TEST(BundleSpread, MeanRangeAndVariationByHand) {
  TBundleSolution bundle;
  for (const double freeze : {1.0, 2.0, 3.0, 6.0}) {
    TBundleRow row;
    row.Solution.FreezePoint = freeze;
    row.Solution.TakeUpTension = 10.0;
    bundle.Rows.push_back(row);
  }
  const TBundleSpread spread = SpreadOf(bundle);
  ASSERT_TRUE(spread.FreezePoint);
  EXPECT_EQ(spread.FreezePoint->First, 1.0);
  EXPECT_EQ(spread.FreezePoint->Last, 6.0);
  EXPECT_DOUBLE_EQ(spread.FreezePoint->Mean, 3.0);
  EXPECT_DOUBLE_EQ(spread.FreezePoint->Range, 5.0);
  // σ = √((4 + 1 + 0 + 9) / 4) = √3.5 over the mean 3.
  EXPECT_DOUBLE_EQ(spread.FreezePoint->Variation, std::sqrt(3.5) / 3.0);
  EXPECT_EQ(spread.TakeUpTension.Variation, 0.0);
  EXPECT_FALSE(spread.Birefringence);
  // A row that never freezes leaves the freeze point's spread out.
  bundle.Rows[2].Solution.FreezePoint.reset();
  EXPECT_FALSE(SpreadOf(bundle).FreezePoint);
}

}  // namespace
}  // namespace vellmor
