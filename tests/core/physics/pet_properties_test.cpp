#include "vellmor/physics/pet_properties.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vellmor {
namespace {

// Reference values worked by hand from the correlations, IV 0.67:
// λ = 0.273 · 0.67^5.056 · exp(6802 / (T + 273)).
struct PropertyCase {
  double t;
  double rho;
  double cp;
  double eta;
};

class PetPropertiesAt : public ::testing::TestWithParam<PropertyCase> {};

TEST_P(PetPropertiesAt, MatchesCorrelations) {
  const PropertyCase& expected = GetParam();
  const TPetProperties p = PetProperties(expected.t, 0.67);
  EXPECT_NEAR(p.Rho, expected.rho, 1e-12);
  EXPECT_NEAR(p.Cp, expected.cp, 1e-12);
  EXPECT_NEAR(p.Eta / expected.eta, 1.0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Temperatures, PetPropertiesAt,
                         ::testing::Values(PropertyCase{290.0, 1.215, 0.474, 6365.24},
                                           PropertyCase{70.0, 1.325, 0.342, 1.476553e7},
                                           PropertyCase{69.99, 1.325005, 0.341994, 1.477407e9},
                                           PropertyCase{20.0, 1.35, 0.312, 4.354624e10}));

TEST(PetProperties, ViscosityJumpsHundredfoldBelowSeventyDegrees) {
  const double at_70 = PetProperties(70.0, 0.67).Eta;
  const double just_below = PetProperties(std::nextafter(70.0, 0.0), 0.67).Eta;
  EXPECT_NEAR(just_below / at_70, 100.0, 1e-6);
}

TEST(DieSwell, IsPrefactorAtReferenceMeltShearRateAndIv) {
  // 275 °C is 548 K, the reference temperature; SR = 1 and IV = 0.61 make the other
  // factors 1.
  EXPECT_DOUBLE_EQ(DieSwell(275.0, 1.0, 0.61), 0.575);
}

TEST(DieSwell, FallsWithMeltTemperatureAndRisesWithShearRateAndIv) {
  const double reference = DieSwell(275.0, 8942.37, 0.67);
  EXPECT_LT(DieSwell(290.0, 8942.37, 0.67), reference);
  EXPECT_GT(DieSwell(275.0, 10000.0, 0.67), reference);
  EXPECT_GT(DieSwell(275.0, 8942.37, 0.8), reference);
}

TEST(DieSwell, DefaultMelt) {
  // Default hole 0.025 cm, 1 g/min at 290 °C: shear rate ≈ 8942.37 1/s.
  EXPECT_NEAR(DieSwell(290.0, 8942.37, 0.67), 1.764927, 1e-6);
}

}  // namespace
}  // namespace vellmor
