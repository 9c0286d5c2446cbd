#pragma once

// σ of the measurements that give none, one per quantity, from the residuals: after each fit
//
//   σ_q² = Σ (model − measured)² / (n_q (n − p) / n)
//
// over the n_q measurements of quantity q without σ, each quantity taking its share of the
// n − p degrees of freedom (n measurements, p constants), until σ settles. So each such
// quantity's part of χ² is its share, and χ² of a fit where every σ is estimated is n − p.
// The first guess is 1 % of the mean size of the quantity's values. Internal to the fit.

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "vellmor/fit/measured_data.h"
#include "vellmor/fit/measurement_rows.h"

namespace vellmor::fit {

class SigmaEstimate {
 public:
  // rows as RowsOf gives them: σ 0 where the measurement gives none.
  explicit SigmaEstimate(const std::vector<TRow>& rows);

  // Whether any measurement lacks its σ.
  bool Any() const { return any_; }

  // Gives each measurement without σ its quantity's current estimate.
  void Apply(std::vector<TRow>& rows) const;

  // The estimates again from the model at the rows, for p fitted constants; the largest
  // relative change of one.
  double Update(const std::vector<TRow>& rows, const std::vector<double>& predicted,
                std::size_t parameters);

  // Per Quantity, where it was estimated.
  std::array<std::optional<double>, kQuantityCount> Estimated() const;

 private:
  std::vector<bool> missing_;  // per row
  std::array<bool, kQuantityCount> estimated_{};
  std::array<double, kQuantityCount> sigma_{};
  bool any_ = false;
};

}  // namespace vellmor::fit
