// A fit that is sound or says why not: data the line can not give refused before fitting,
// a model that does not describe the data within their σ said with the p-value of χ², a
// fitted line that does not freeze and a case at the window's defaults named, the covariance
// given on both scales.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "support/reference_spinline.h"
#include "support/test_support.h"
#include "vellmor/fit/fit_statistics.h"
#include "vellmor/fit/gsl_owners.h"
#include "vellmor/fit/plausibility.h"
#include "vellmor/fit/spinline_fit.h"

namespace vellmor {
namespace {

TFitCase CaseAt(const std::string& name, double take_up_speed, double output = 1.0) {
  TFitCase fit_case;
  fit_case.Name = name;
  fit_case.Condition = test::DefaultCondition();
  fit_case.Condition.TakeUpSpeed = take_up_speed;
  fit_case.Condition.Output = output;
  return fit_case;
}

TMeasurement At(double x, Quantity what, double value, std::optional<double> sigma = {},
                int line = 2) {
  return {"", x, what, value, sigma, line};
}

// The default case's thinnest filament by hand: W = 1/60 g/s, V = 5000 m/min = 8333.33 cm/s,
// ρ = 1.36 g/cm³ at 0 °C: D = √(4 W / (π ρ V)) = 1.3684e-3 cm = 13.684 µm.
TEST(Plausibility, RefusesWhatTheLineCanNotGiveNamingFileAndLine) {
  const double thinnest =
      std::sqrt(4.0 * (1.0 / 60.0) / (std::numbers::pi * 1.36 * 8333.333333)) * 1e4;
  EXPECT_NEAR(thinnest, 13.684, 1e-3);
  const std::vector<TFitCase> cases{CaseAt("1", 5000.0)};
  const auto refused = [&](TMeasurement m) {
    return ImplausibleMeasurement(cases, {m}, "line.csv").value_or("");
  };
  // Diameters written in cm under diameter_um.
  const std::string cm = refused(At(100.0, Quantity::kDiameterUm, 0.0156, {}, 4));
  EXPECT_TRUE(cm.starts_with("line.csv, line 4: diameter_um 0.0156 is below the 13.7 µm")) << cm;
  EXPECT_NE(cm.find("another unit"), std::string::npos);
  EXPECT_NE(refused(At(100.0, Quantity::kDiameterUm, 13.3)), "");
  // Within three σ of the mass balance's, or above it, a diameter is plausible.
  EXPECT_EQ(refused(At(100.0, Quantity::kDiameterUm, 13.3, 0.2)), "");
  EXPECT_EQ(refused(At(100.0, Quantity::kDiameterUm, 13.9)), "");
  EXPECT_NE(refused(At(100.0, Quantity::kVelocityMMin, 5200.0)).find("above the take-up speed"),
            std::string::npos);
  EXPECT_EQ(refused(At(100.0, Quantity::kVelocityMMin, 5050.0)), "");
  EXPECT_NE(refused(At(0.0, Quantity::kTemperatureC, 300.0)).find("the line only cools"),
            std::string::npos);
  EXPECT_EQ(refused(At(0.0, Quantity::kTemperatureC, 290.5)), "");
}

// Diameters 30 % above what the line gives, with σ of 0.2 µm, can not be met by any heat
// transfer: χ² far beyond its degrees of freedom. The p-value is the χ² tail, for one
// degree of freedom erfc(√(χ²/2)).
TEST(LackOfFit, IsSaidWithTheTailOfChiSquareAndScaledIntervals) {
  const std::vector<TFitCase> cases{CaseAt("1", 5000.0)};
  const auto reference =
      test::Reference(cases[0].Condition, test::TReferenceConstants{}, {40.0, 100.0});
  std::vector<TMeasurement> data{
      At(40.0, Quantity::kDiameterUm, reference.samples[0][3] * 1e4 * 1.3, 0.2, 2),
      At(100.0, Quantity::kDiameterUm, reference.samples[1][3] * 1e4 * 1.3, 0.2, 3)};
  TFitOptions options;
  options.ProfileIntervals = false;
  const auto fit =
      FitCard(cases, data, {{FindModelKey("heat_transfer.factor"), {}, {}, {}}}, options);
  const TFitResult* result = std::get_if<TFitResult>(&fit);
  if (result == nullptr) result = &*std::get<TFitFailure>(fit).Last;
  ASSERT_TRUE(result->LackOfFit.has_value());
  EXPECT_EQ(result->LackOfFit->DegreesOfFreedom, 1);
  EXPECT_GT(result->ChiSquare, 100.0);
  EXPECT_NEAR(result->LackOfFit->PValue, std::erfc(std::sqrt(result->ChiSquare / 2.0)),
              1e-12 + 1e-9 * result->LackOfFit->PValue);
  EXPECT_FALSE(result->LackOfFit->Described);
  bool said = false;
  for (const std::string& w : result->Warnings) {
    said = said || w.find("does not describe these data") != std::string::npos;
  }
  EXPECT_TRUE(said);
  const TParameterEstimate& p = result->Parameters.front();
  ASSERT_TRUE(p.ScaledWald95.has_value());
  EXPECT_NEAR(*p.ScaledStandardError / p.StandardError,
              std::sqrt(result->ChiSquare / result->LackOfFit->DegreesOfFreedom), 1e-9);
  EXPECT_TRUE(result->NormalisedRms[0].has_value());
}

// χ² of data that the model meets within their σ passes the test; the covariance on the
// constant's own scale is the fitting scale's carried by dp/dθ (θ = ln p: C_p = p² C_θ).
TEST(LackOfFit, DataWithinTheirSigmaPassAndTheCovarianceIsOnBothScales) {
  const std::vector<TFitCase> cases{CaseAt("slow", 4000.0)};
  const std::vector<double> x{20.0, 40.0, 60.0, 100.0};
  const auto reference = test::Reference(cases[0].Condition, test::TReferenceConstants{}, x);
  std::vector<TMeasurement> data;
  for (std::size_t i = 0; i < x.size(); ++i) {
    // ±half a σ, alternating: χ² about a quarter of the measurements.
    data.push_back({"", x[i], Quantity::kDiameterUm,
                    reference.samples[i][3] * 1e4 + (i % 2 == 0 ? 0.1 : -0.1), 0.2,
                    static_cast<int>(i) + 2});
  }
  TFitOptions options;
  options.ProfileIntervals = false;
  const auto fit =
      FitCard(cases, data, {{FindModelKey("heat_transfer.factor"), {}, {}, {}}}, options);
  ASSERT_TRUE(std::holds_alternative<TFitResult>(fit)) << std::get<TFitFailure>(fit).Message;
  const TFitResult& result = std::get<TFitResult>(fit);
  ASSERT_TRUE(result.LackOfFit.has_value());
  EXPECT_TRUE(result.LackOfFit->Described);
  ASSERT_EQ(result.Covariance.size(), 1u);
  const double p = result.Parameters[0].Estimate;
  EXPECT_NEAR(result.NaturalCovariance[0][0] / (p * p * result.Covariance[0][0]), 1.0, 1e-12);
  EXPECT_NEAR(std::sqrt(result.NaturalCovariance[0][0]) / result.Parameters[0].StandardError, 1.0,
              1e-12);
  // Neither a forgotten input nor a molten line: no warning but none at all.
  EXPECT_TRUE(result.Warnings.empty()) << result.Warnings.front();
  ASSERT_TRUE(result.Cases[0].FreezePointCm.has_value());
}

// A case at the window's defaults is named, and a fitted line that reaches take-up molten
// (three times the output: no freeze point before 100 cm) is flagged.
TEST(FitWarnings, NameACaseAtTheDefaultsAndAMoltenLine) {
  std::vector<TFitCase> defaults{CaseAt("1", 5000.0)};
  defaults[0].InputsGiven = false;
  const auto reference =
      test::Reference(defaults[0].Condition, test::TReferenceConstants{}, {30.0, 60.0, 100.0});
  std::vector<TMeasurement> data;
  for (std::size_t i = 0; i < 3; ++i) {
    data.push_back(At(30.0 * static_cast<double>(i + 1) + (i == 2 ? 10.0 : 0.0),
                      Quantity::kTemperatureC, reference.samples[i][2], 0.5,
                      static_cast<int>(i) + 2));
  }
  TFitOptions options;
  options.ProfileIntervals = false;
  const auto key = std::vector<TFitParameter>{{FindModelKey("heat_transfer.factor"), {}, {}, {}}};
  const auto fit = FitCard(defaults, data, key, options);
  ASSERT_TRUE(std::holds_alternative<TFitResult>(fit));
  const auto& warnings = std::get<TFitResult>(fit).Warnings;
  ASSERT_FALSE(warnings.empty());
  EXPECT_TRUE(
      warnings.front().starts_with("case 1: no input is given, so it runs at the "
                                   "window's defaults"))
      << warnings.front();

  const std::vector<TFitCase> molten{CaseAt("thick", 5000.0, 3.0)};
  std::vector<TMeasurement> hot{At(50.0, Quantity::kTemperatureC, 150.0, 2.0, 2),
                                At(100.0, Quantity::kTemperatureC, 110.0, 2.0, 3)};
  const auto flagged = FitCard(molten, hot, key, options);
  const TFitResult* result = std::get_if<TFitResult>(&flagged);
  if (result == nullptr) result = &*std::get<TFitFailure>(flagged).Last;
  ASSERT_FALSE(result->Cases[0].FreezePointCm.has_value());
  bool said = false;
  for (const std::string& w : result->Warnings) {
    said = said || w == "case thick: the fitted line reaches the take-up point still molten (no "
                        "freeze point): its structure is taken molten";
  }
  EXPECT_TRUE(said);
}

TEST(Covariance, IsUsableOnlyFiniteWithPositiveVariances) {
  const fit::GslMatrix c = fit::NewMatrix(2, 2);
  gsl_matrix_set(c.get(), 0, 0, 1.0);
  gsl_matrix_set(c.get(), 1, 1, 2.0);
  gsl_matrix_set(c.get(), 0, 1, 0.5);
  gsl_matrix_set(c.get(), 1, 0, 0.5);
  EXPECT_TRUE(fit::IsUsableCovariance(*c));
  gsl_matrix_set(c.get(), 1, 1, 0.0);
  EXPECT_FALSE(fit::IsUsableCovariance(*c));
  gsl_matrix_set(c.get(), 1, 1, 2.0);
  gsl_matrix_set(c.get(), 0, 1, NAN);
  EXPECT_FALSE(fit::IsUsableCovariance(*c));
}

}  // namespace
}  // namespace vellmor
