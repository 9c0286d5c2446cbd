#include "vellmor/fit/sigma_estimate.h"

#include <algorithm>
#include <cmath>

namespace vellmor::fit {
namespace {

std::size_t IndexOf(Quantity q) { return static_cast<std::size_t>(q); }

// 1 % of the mean |value| of the quantity's measurements (1 where they are all 0).
double FirstGuess(const std::vector<TRow>& rows, Quantity q) {
  double sum = 0.0;
  int n = 0;
  for (const TRow& row : rows) {
    if (row.What == q) sum += std::fabs(row.Measured), ++n;
  }
  const double mean = n > 0 ? sum / n : 1.0;
  return mean > 0.0 ? 0.01 * mean : 1.0;
}

}  // namespace

SigmaEstimate::SigmaEstimate(const std::vector<TRow>& rows) {
  for (const TRow& row : rows) {
    missing_.push_back(row.Sigma == 0.0);
    if (missing_.back()) estimated_[IndexOf(row.What)] = any_ = true;
  }
  for (const Quantity q : kQuantities) sigma_[IndexOf(q)] = FirstGuess(rows, q);
}

void SigmaEstimate::Apply(std::vector<TRow>& rows) const {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (missing_[i]) rows[i].Sigma = sigma_[IndexOf(rows[i].What)];
  }
}

double SigmaEstimate::Update(const std::vector<TRow>& rows, const std::vector<double>& predicted,
                             std::size_t parameters) {
  std::array<double, kQuantityCount> sum{};
  std::array<int, kQuantityCount> count{};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!missing_[i]) continue;
    const std::size_t q = IndexOf(rows[i].What);
    sum[q] += (predicted[i] - rows[i].Measured) * (predicted[i] - rows[i].Measured);
    ++count[q];
  }
  const double n = static_cast<double>(rows.size());
  const double dof = static_cast<double>(rows.size() - parameters);
  double change = 0.0;
  for (const Quantity quantity : kQuantities) {
    const std::size_t q = IndexOf(quantity);
    if (count[q] == 0) continue;
    const double share = count[q] * dof / n;
    const double next = std::max(std::sqrt(sum[q] / share), 1e-300);
    change = std::max(change, std::fabs(next / sigma_[q] - 1.0));
    sigma_[q] = next;
  }
  return change;
}

std::array<std::optional<double>, kQuantityCount> SigmaEstimate::Estimated() const {
  std::array<std::optional<double>, kQuantityCount> estimated;
  for (const Quantity q : kQuantities) {
    if (estimated_[IndexOf(q)]) estimated[IndexOf(q)] = sigma_[IndexOf(q)];
  }
  return estimated;
}

}  // namespace vellmor::fit
