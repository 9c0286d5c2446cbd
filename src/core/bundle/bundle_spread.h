#pragma once

// How much the rows of a bundle differ: the first against the last, and over every row the
// mean, the range (largest less smallest) and the coefficient of variation (the standard
// deviation over the rows, of the whole population, over the mean).

#include <optional>

#include "vellmor/bundle/bundle_solution.h"

namespace vellmor {

struct TRowSpread {
  double First = 0.0;
  double Last = 0.0;
  double Mean = 0.0;
  double Range = 0.0;
  double Variation = 0.0;  // 0 where the mean is
};

struct TBundleSpread {
  // None when a row reaches the take-up point still molten.
  std::optional<TRowSpread> FreezePoint;  // cm
  // With the structure.
  std::optional<TRowSpread> Birefringence;
  TRowSpread SpinneretTension;  // dyn
  TRowSpread TakeUpTension;     // dyn
};

// The spread of a bundle of one row or more.
TBundleSpread SpreadOf(const TBundleSolution& bundle);

}  // namespace vellmor
