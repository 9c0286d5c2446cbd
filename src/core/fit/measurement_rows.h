#pragma once

// The measurements (or candidates) of a fit, each matched to its operating condition: what the
// model is asked for and compared with. Internal to the fit.

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vellmor/fit/measured_data.h"
#include "vellmor/fit/spinline_fit.h"

namespace vellmor::fit {

struct TRow {
  std::size_t Case = 0;  // index into the fit's cases
  double X = 0.0;        // cm from the spinneret
  Quantity What = Quantity::kDiameterUm;
  double Measured = 0.0;  // in the quantity's unit
  double Sigma = 0.0;     // 0 where the measurement gives none
  int Line = 0;
};

// The rows of measurements in their order; or the message that refuses one, led by what names
// the file ("measured data," or "candidates,"): a row without a case among several, a case
// that is not among them, a position beyond its case's take-up point.
std::variant<std::vector<TRow>, std::string> RowsOf(const std::vector<TFitCase>& cases,
                                                    const std::vector<TMeasurement>& measurements,
                                                    std::string_view what);

}  // namespace vellmor::fit
