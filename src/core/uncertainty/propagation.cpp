#include "vellmor/uncertainty/propagation.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <variant>

#include "vellmor/uncertainty/exact_derivatives.h"
#include "vellmor/uncertainty/scaled_constants.h"

namespace vellmor {
namespace {

using uncertainty::ScaledConstants;
using uncertainty::SolveWith;
using uncertainty::TScaledConstants;

// The two-sided 95 % point of the standard normal distribution.
constexpr double kNormal95 = 1.959963984540054;
// The step of the delta method's central differences, on the constants' fitting scale (of
// a logarithm: relative): its truncation and the solutions' own noise (1e-9 relative over
// the step) are both near 1e-6 of a derivative.
constexpr double kDeltaStep = 1e-3;
// Fewer draws than this that have an answer give it no interval.
constexpr int kFewestDraws = 20;

using uncertainty::TFlat;

// The answers' derivatives by central differences of neighbouring solutions, where the exact
// ones can not be formed.
std::optional<std::vector<TFlat>> DifferencedDerivatives(const TUncertainCase& solved,
                                                         const TScaledConstants& constants,
                                                         const TFlat& base, std::string& why) {
  const std::size_t k = constants.Keys.size();
  std::vector<TFlat> derivative(k);
  for (std::size_t i = 0; i < k; ++i) {
    const double step = constants.Log[i]
                            ? kDeltaStep
                            : kDeltaStep * std::max(std::fabs(constants.Centre[i]),
                                                    std::sqrt(constants.Covariance[i][i]));
    std::vector<double> u = constants.Centre;
    u[i] = constants.Centre[i] + step;
    const std::optional<TAnswers> plus = SolveWith(solved, constants, u, why);
    u[i] = constants.Centre[i] - step;
    const std::optional<TAnswers> minus = plus ? SolveWith(solved, constants, u, why) : plus;
    if (!plus || !minus) {
      why = "no derivative with respect to " + std::string(constants.Keys[i]->Path) + ": " + why;
      return std::nullopt;
    }
    const TFlat p = plus->Flat(), m = minus->Flat();
    derivative[i].resize(base.size());
    for (std::size_t a = 0; a < base.size(); ++a) {
      if (base[a] && a < p.size() && a < m.size() && p[a] && m[a]) {
        derivative[i][a] = (*p[a] - *m[a]) / (2.0 * step);
      }
    }
  }
  return derivative;
}

void PropagateByDelta(const TUncertainCase& solved, const TScaledConstants& constants,
                      const TAnswers& base_answers, TPropagatedUncertainty& out,
                      std::vector<std::optional<TInterval>>& intervals,
                      std::vector<std::optional<double>>& deviations) {
  const std::size_t k = constants.Keys.size();
  const TFlat base = base_answers.Flat();
  std::string why;
  std::optional<std::vector<TFlat>> exact =
      uncertainty::ExactDerivatives(solved, constants, base_answers, why);
  if (!exact) exact = DifferencedDerivatives(solved, constants, base, why);
  if (!exact) {
    out.Warnings.push_back("uncertainty: " + why + "; no intervals");
    return;
  }
  const std::vector<TFlat>& derivative = *exact;
  for (std::size_t a = 0; a < base.size(); ++a) {
    double variance = 0.0;
    bool complete = base[a].has_value();
    for (std::size_t i = 0; i < k && complete; ++i) {
      for (std::size_t j = 0; j < k && complete; ++j) {
        complete = derivative[i][a] && derivative[j][a];
        if (complete)
          variance += *derivative[i][a] * *derivative[j][a] * constants.Covariance[i][j];
      }
    }
    if (!complete) continue;
    const double sd = std::sqrt(std::max(variance, 0.0));
    deviations[a] = sd;
    intervals[a] = TInterval{*base[a] - kNormal95 * sd, *base[a] + kNormal95 * sd};
  }
}

// The p-quantile of sorted values, between neighbouring order statistics.
double Quantile(const std::vector<double>& sorted, double p) {
  const double at = p * static_cast<double>(sorted.size() - 1);
  const std::size_t below = static_cast<std::size_t>(at);
  if (below + 1 >= sorted.size()) return sorted.back();
  return sorted[below] + (at - static_cast<double>(below)) * (sorted[below + 1] - sorted[below]);
}

void PropagateByMonteCarlo(const TUncertainCase& solved, const TScaledConstants& constants,
                           const TAnswers& base_answers, TPropagatedUncertainty& out,
                           std::vector<std::optional<TInterval>>& intervals,
                           std::vector<std::optional<double>>& deviations) {
  const std::optional<TMatrix> factor = CholeskyFactor(constants.Covariance);
  if (!factor) {
    out.Warnings.push_back("uncertainty: the covariance is not positive definite; no intervals");
    return;
  }
  const TUncertaintySettings& settings = out.Settings;
  const std::size_t draws = static_cast<std::size_t>(settings.Samples);
  const std::size_t size = base_answers.Size();
  const std::size_t k = constants.Keys.size();
  // Each answer of each draw, NaN where the draw does not have it; single precision keeps a
  // thousand draws of a thousand-point profile in tens of megabytes, far finer than a band.
  std::vector<float> values(draws * size, std::nanf(""));
  std::vector<std::string> failures(draws);
  std::vector<char> solved_draw(draws, 0);
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t d = next++; d < draws; d = next++) {
      const std::vector<double> z = StandardNormals(settings.Seed, d, k);
      std::vector<double> u = constants.Centre;
      for (std::size_t i = 0; i < k; ++i) {
        for (std::size_t j = 0; j <= i; ++j) u[i] += (*factor)[i][j] * z[j];
      }
      const std::optional<TAnswers> answers = SolveWith(solved, constants, u, failures[d]);
      if (!answers) continue;
      const TFlat flat = answers->Flat();
      if (flat.size() != size) {
        failures[d] = "the solution's shape differs from the case's";
        continue;
      }
      for (std::size_t a = 0; a < size; ++a) {
        if (flat[a]) values[d * size + a] = static_cast<float>(*flat[a]);
      }
      solved_draw[d] = 1;
    }
  };
  unsigned threads = settings.Threads > 0 ? static_cast<unsigned>(settings.Threads)
                                          : std::max(1U, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, draws));
  {
    std::vector<std::jthread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
  }
  const int succeeded = static_cast<int>(std::count(solved_draw.begin(), solved_draw.end(), 1));
  out.FailedSamples = settings.Samples - succeeded;
  if (out.FailedSamples > 0) {
    const auto first = std::find_if(failures.begin(), failures.end(),
                                    [](const std::string& why) { return !why.empty(); });
    out.Warnings.push_back("uncertainty: " + std::to_string(out.FailedSamples) + " of " +
                           std::to_string(settings.Samples) +
                           " draws of the constants could not be solved (the first: " +
                           (first == failures.end() ? std::string("?") : *first) +
                           "); the intervals are of the other " + std::to_string(succeeded));
  }
  const TFlat base = base_answers.Flat();
  std::vector<double> column;
  bool warned_missing = false;
  for (std::size_t a = 0; a < size; ++a) {
    if (!base[a]) continue;
    column.clear();
    for (std::size_t d = 0; d < draws; ++d) {
      const float v = values[d * size + a];
      if (!std::isnan(v)) column.push_back(v);
    }
    if (static_cast<int>(column.size()) < kFewestDraws) continue;
    if (static_cast<int>(column.size()) < succeeded && a < base_answers.Process.size() &&
        !warned_missing) {
      warned_missing = true;
      out.Warnings.push_back("uncertainty: " + std::to_string(succeeded - column.size()) +
                             " draws have no freeze point (the line does not freeze); the "
                             "freeze point's interval is of the others");
    }
    std::sort(column.begin(), column.end());
    intervals[a] = TInterval{Quantile(column, 0.025), Quantile(column, 0.975)};
    double mean = 0.0;
    for (const double v : column) mean += v;
    mean /= static_cast<double>(column.size());
    double sum = 0.0;
    for (const double v : column) sum += (v - mean) * (v - mean);
    deviations[a] = std::sqrt(sum / static_cast<double>(column.size() - 1));
  }
}

}  // namespace

std::string_view UncertaintyMethodName(UncertaintyMethod method) {
  return method == UncertaintyMethod::kDelta ? "delta" : "monte-carlo";
}

TPropagatedUncertainty PropagateUncertainty(const TUncertainCase& solved,
                                            const TCardUncertainty& uncertainty,
                                            const TUncertaintySettings& settings) {
  TPropagatedUncertainty out;
  out.Settings = settings;
  out.Keys = uncertainty.Keys;
  const TAnswers base_answers =
      AnswersOf(*solved.Solution, *solved.Condition, solved.Options->Model.Laws);
  const TFlat base = base_answers.Flat();
  std::vector<std::optional<TInterval>> intervals(base.size());
  std::vector<std::optional<double>> deviations(base.size());
  auto scaled = ScaledConstants(uncertainty, solved.Options->Model, out.Warnings);
  if (auto* why = std::get_if<std::string>(&scaled)) {
    out.Warnings.push_back(*why + "; no intervals");
  } else if (settings.Method == UncertaintyMethod::kDelta) {
    PropagateByDelta(solved, std::get<TScaledConstants>(scaled), base_answers, out, intervals,
                     deviations);
  } else {
    PropagateByMonteCarlo(solved, std::get<TScaledConstants>(scaled), base_answers, out, intervals,
                          deviations);
  }
  out.Intervals = base_answers.Reshaped(intervals);
  out.StandardDeviations = base_answers.Reshaped(deviations);
  return out;
}

}  // namespace vellmor
