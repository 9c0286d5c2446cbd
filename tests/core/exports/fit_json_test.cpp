#include "vellmor/exports/fit_json.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellmor {
namespace {

using Json = nlohmann::ordered_json;

// Every quantity has its RMS line, the structure's as well as the spinline's, under the
// names the measurement files use, in the order of the table; σ only where it was estimated.
TEST(FitJson, RmsAndEstimatedSigmaOfEveryQuantity) {
  TFitResult result;
  double rms = 1.0;
  for (const Quantity q : kQuantities) result.Rms[static_cast<std::size_t>(q)] = rms++;
  result.EstimatedSigma[static_cast<std::size_t>(Quantity::kTemperatureC)] = 0.5;
  result.EstimatedSigma[static_cast<std::size_t>(Quantity::kBirefringence)] = 2e-4;
  result.EstimatedSigma[static_cast<std::size_t>(Quantity::kCrystallinity)] = 3e-3;
  const Json document = Json::parse(FitJsonText(result));
  EXPECT_EQ(document["status"], "fitted");
  const Json rms_lines = Json::parse(R"({"diameter_um": 1.0, "temperature_C": 2.0,
      "velocity_m_min": 3.0, "tension_dyn": 4.0, "birefringence": 5.0, "crystallinity": 6.0})");
  EXPECT_EQ(document["rms"], rms_lines);
  const Json sigma =
      Json::parse(R"({"temperature_C": 0.5, "birefringence": 2e-4, "crystallinity": 3e-3})");
  EXPECT_EQ(document["sigma_estimated"], sigma);
}

}  // namespace
}  // namespace vellmor
