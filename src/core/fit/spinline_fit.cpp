#include "vellmor/fit/spinline_fit.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "vellmor/base/number_text.h"
#include "vellmor/fit/fit_scale.h"
#include "vellmor/fit/fit_statistics.h"
#include "vellmor/fit/fitted_uncertainty.h"
#include "vellmor/fit/gsl_owners.h"
#include "vellmor/fit/information_matrix.h"
#include "vellmor/fit/least_squares.h"
#include "vellmor/fit/measurement_design.h"
#include "vellmor/fit/measurement_rows.h"
#include "vellmor/fit/profile_likelihood.h"
#include "vellmor/fit/sigma_estimate.h"
#include "vellmor/fit/spinline_model.h"
#include "vellmor/fit/weighted_residuals.h"

namespace vellmor {
namespace {

using fit::GslMatrix;
using fit::TRow;

TFitFailure Refused(std::string message) {
  return TFitFailure{FitFailureKind::kRefused, std::move(message), std::nullopt};
}

// One fit from its start to what it tells: each step a method, in the order FitCard calls
// them; a step that ends the fit returns its failure.
class Fit {
 public:
  Fit(const std::vector<TFitCase>& cases, const std::vector<TMeasurement>& data,
      const TFitOptions& options)
      : cases_(cases), data_(data), options_(options) {}

  // The rows, the candidates, the parameters' scales and starts, the first σ.
  std::optional<TFitFailure> Prepare(const std::vector<TFitParameter>& parameters);
  // A constant the measurements do not depend on has nothing to be fitted to.
  std::optional<TFitFailure> CheckDependence();
  // Levenberg–Marquardt, and where σ is estimated, again until it settles.
  std::optional<TFitFailure> Minimise();
  // Standard errors, Wald intervals, correlation and warnings at the estimate.
  void Statistics();
  // Where every σ is given: whether the model describes the data within them.
  void LackOfFit();
  void ProfileIntervals();
  // Tensions, residuals, RMS per quantity, the fitted card.
  void Cases();
  std::optional<TFitFailure> Suggest();
  std::variant<TFitResult, TFitFailure> Outcome();

 private:
  std::size_t N() const { return rows_.size(); }
  std::size_t P() const { return keys_.size(); }

  const std::vector<TFitCase>& cases_;
  const std::vector<TMeasurement>& data_;
  const TFitOptions& options_;
  std::vector<TRow> rows_, picks_;
  std::vector<const TModelKey*> keys_;
  std::vector<fit::TScale> scales_;
  std::vector<double> theta_;
  std::vector<std::size_t> all_;
  std::optional<fit::SigmaEstimate> sigma_;
  std::optional<fit::SpinlineModel> model_;
  std::optional<fit::WeightedResiduals> problem_;
  fit::TMinimum minimum_;
  bool jacobian_failed_ = false;
  GslMatrix jacobian_;    // at the estimate; null where it could not be formed
  GslMatrix covariance_;  // of θ; null where the information is singular
  double scale2_ = 1.0;   // χ²/dof where σ was estimated, else 1
  std::string unsound_;   // why the estimate can not be called fitted; empty where it can
  TFitResult result_;
};

std::optional<TFitFailure> Fit::Prepare(const std::vector<TFitParameter>& parameters) {
  if (cases_.empty()) return Refused("no operating condition to fit");
  if (parameters.empty())
    return Refused("no constant to fit: give " + options_.Spell("fit") + " KEY");
  auto measured = fit::RowsOf(cases_, data_, "measured data,");
  if (auto* problem = std::get_if<std::string>(&measured)) return Refused(*problem);
  rows_ = std::get<std::vector<TRow>>(std::move(measured));

  // The candidates, checked before any solve.
  if (options_.Suggest > 0) {
    auto candidates = fit::RowsOf(cases_, options_.Candidates, "candidates,");
    if (auto* problem = std::get_if<std::string>(&candidates)) return Refused(*problem);
    picks_ = std::get<std::vector<TRow>>(std::move(candidates));
    if (auto problem = fit::CandidateProblem(picks_, rows_)) return Refused(*problem);
  }

  for (const TFitParameter& parameter : parameters) {
    if (std::find(keys_.begin(), keys_.end(), parameter.Key) != keys_.end()) {
      return Refused(options_.Spell("fit") + " " + std::string(parameter.Key->Path) +
                     ": given twice");
    }
    keys_.push_back(parameter.Key);
    const double start = parameter.Start.value_or(cases_.front().Card.Value(*parameter.Key));
    scales_.push_back(fit::ScaleOf(start, parameter.Lo, parameter.Hi));
    theta_.push_back(scales_.back().Theta(start));
  }
  sigma_.emplace(rows_);
  if (N() < P() || (sigma_->Any() && N() == P())) {
    return Refused(std::to_string(N()) + " measurements cannot fix " + std::to_string(P()) +
                   " constants" + (sigma_->Any() ? " and the measurements' sigma" : ""));
  }
  sigma_->Apply(rows_);
  model_.emplace(cases_, rows_, keys_);
  problem_.emplace(*model_, rows_, scales_);
  all_.resize(P());
  std::iota(all_.begin(), all_.end(), std::size_t{0});
  return std::nullopt;
}

std::optional<TFitFailure> Fit::CheckDependence() {
  std::vector<double> r;
  if (!problem_->Residuals(theta_, r, true)) {
    return TFitFailure{FitFailureKind::kStartFailed,
                       "the start can not be solved: " + model_->Failure(), std::nullopt};
  }
  // A change of the constant by 1 % moving no measurement by a ten-thousandth of its σ (the
  // solutions' own noise lies far below that).
  const GslMatrix start = fit::NewMatrix(N(), P());
  if (!problem_->Jacobian(theta_, all_, *start)) return std::nullopt;
  for (std::size_t j = 0; j < P(); ++j) {
    bool unmoved = true;
    for (std::size_t i = 0; i < N(); ++i) {
      unmoved = unmoved && std::fabs(gsl_matrix_get(start.get(), i, j)) < 1e-2;
    }
    if (unmoved) {
      return Refused("the measurements do not depend on " + std::string(keys_[j]->Path) +
                     ": nothing to fit it to");
    }
  }
  return std::nullopt;
}

std::optional<TFitFailure> Fit::Minimise() {
  for (int round = 0; round < 8; ++round) {
    minimum_ = fit::Minimise(*problem_, theta_, all_, options_.MaxIterations);
    result_.Iterations += minimum_.Iterations;
    jacobian_failed_ = jacobian_failed_ || minimum_.JacobianFailed;
    if (!minimum_.Solved) {
      return TFitFailure{FitFailureKind::kStartFailed,
                         "the start can not be solved: " + model_->Failure(), std::nullopt};
    }
    theta_ = minimum_.Theta;
    if (!minimum_.Converged || !sigma_->Any()) break;
    std::vector<double> predicted;
    model_->Predict(problem_->Values(theta_), predicted, true);
    const double change = sigma_->Update(rows_, predicted, P());
    sigma_->Apply(rows_);
    if (change < 1e-6) break;
  }
  return std::nullopt;
}

void Fit::Statistics() {
  std::vector<double> r;
  result_.ChiSquare = problem_->Residuals(theta_, r, true) ? fit::SumOfSquares(r) : NAN;
  result_.DegreesOfFreedom = static_cast<int>(N() - P());
  scale2_ = fit::CovarianceScale(result_.ChiSquare, N(), P(), sigma_->Any());
  jacobian_ = fit::NewMatrix(N(), P());
  if (!problem_->Jacobian(theta_, all_, *jacobian_)) jacobian_.reset();
  if (jacobian_ != nullptr) covariance_ = fit::InverseOf(*fit::NormalMatrix(*jacobian_));
  if (covariance_ != nullptr) gsl_matrix_scale(covariance_.get(), scale2_);
  if (covariance_ != nullptr && !fit::IsUsableCovariance(*covariance_)) covariance_.reset();
  result_.ResidualScale = scale2_;
  if (covariance_ != nullptr) {
    result_.Covariance = fit::CovarianceRows(*covariance_);
    result_.NaturalCovariance = fit::NaturalCovariance(*covariance_, scales_, theta_);
  }
  result_.Parameters =
      fit::ParameterEstimates(keys_, scales_, theta_, covariance_.get(), result_.Warnings);
  if (jacobian_ == nullptr) {
    result_.Warnings.push_back("the Jacobian could not be formed at the estimate: " +
                               model_->Failure());
  } else if (auto warning = fit::UndeterminedWarning(*jacobian_, keys_)) {
    result_.Warnings.push_back(*std::move(warning));
  }
  if (jacobian_ != nullptr && covariance_ == nullptr) {
    result_.Warnings.push_back("the information matrix is singular: no standard errors");
  }
  result_.Correlation = fit::Correlation(covariance_.get(), keys_, result_.Warnings);
  if (jacobian_ == nullptr) {
    unsound_ = "the Jacobian could not be formed at the estimate: " + model_->Failure();
  } else if (covariance_ == nullptr) {
    unsound_ =
        "the covariance at the estimate is not finite and positive definite: the data do not fix "
        "the constants";
  }
  LackOfFit();
}

void Fit::LackOfFit() {
  // With σ estimated, χ² is n − p by construction: there is nothing to test.
  if (sigma_->Any()) return;
  result_.LackOfFit = fit::LackOfFitOf(result_.ChiSquare, result_.DegreesOfFreedom);
  if (!result_.LackOfFit || result_.LackOfFit->Described) return;
  result_.Warnings.push_back(
      "the model does not describe these data within their sigma: chi-square " +
      SignificantText(result_.ChiSquare, 4) + " on " + std::to_string(result_.DegreesOfFreedom) +
      " degrees of freedom (p = " + SignificantText(result_.LackOfFit->PValue, 2) +
      "); the intervals scaled by chi-square/dof stand beside the others");
  if (covariance_ == nullptr) return;
  const double scale = result_.ChiSquare / static_cast<double>(result_.DegreesOfFreedom);
  for (std::size_t j = 0; j < P(); ++j) {
    const fit::TScale& s = scales_[j];
    const double se = std::sqrt(gsl_matrix_get(covariance_.get(), j, j) * scale);
    result_.Parameters[j].ScaledStandardError = s.Slope(theta_[j]) * se;
    result_.Parameters[j].ScaledWald95 = std::array<double, 2>{
        s.Value(theta_[j] - fit::kNormal95 * se), s.Value(theta_[j] + fit::kNormal95 * se)};
  }
}

void Fit::ProfileIntervals() {
  if (!minimum_.Converged || !options_.ProfileIntervals || covariance_ == nullptr) return;
  const auto intervals =
      fit::ProfileIntervals(*problem_, {theta_, result_.ChiSquare, scale2_}, *covariance_,
                            options_.MaxIterations, options_.Observer);
  for (std::size_t j = 0; j < P(); ++j) result_.Parameters[j].Profile95 = intervals[j];
}

void Fit::Cases() {
  std::vector<double> predicted;
  if (!model_->Predict(problem_->Values(theta_), predicted, true) && unsound_.empty()) {
    unsound_ = "the fitted card does not solve every case: " + model_->Failure();
  }
  for (std::size_t k = 0; k < cases_.size(); ++k) {
    const TFitCase& c = cases_[k];
    result_.Cases.push_back(
        {c.Name, c.Texts, c.DecimalSeparator, model_->Tension(k), model_->FreezePoint(k), {}});
    // A forgotten input is a case at the window's defaults, which nothing else would show.
    if (!c.InputsGiven) {
      result_.Warnings.push_back("case " + c.Name +
                                 ": no input is given, so it runs at the window's defaults "
                                 "(take-up speed " +
                                 c.Texts.TakeUpSpeed + " m/min, …)");
    }
    if (!model_->FreezePoint(k)) {
      result_.Warnings.push_back("case " + c.Name +
                                 ": the fitted line reaches the take-up point still molten (no "
                                 "freeze point): its structure is taken molten");
    }
  }
  for (std::size_t i = 0; i < N() && i < predicted.size(); ++i) {
    const TRow& row = rows_[i];
    result_.Cases[row.Case].Residuals.push_back({row.X, row.What, row.Measured, predicted[i],
                                                 (predicted[i] - row.Measured) / row.Sigma,
                                                 row.Sigma, row.Line});
  }
  result_.Rms = fit::RmsPerQuantity(rows_, predicted);
  result_.EstimatedSigma = sigma_->Estimated();
  result_.NormalisedRms = fit::NormalisedRmsPerQuantity(rows_, predicted, result_.EstimatedSigma);
  result_.Fitted = cases_.front().Card;
  for (std::size_t j = 0; j < P(); ++j) {
    result_.Fitted.SetValue(*keys_[j], result_.Parameters[j].Estimate);
  }
}

std::optional<TFitFailure> Fit::Suggest() {
  if (options_.Suggest <= 0 || covariance_ == nullptr || !minimum_.Converged) return std::nullopt;
  auto chosen = fit::ChooseMeasurements({cases_, keys_, scales_, theta_, *jacobian_, scale2_},
                                        rows_, picks_, options_.Candidates, options_.Suggest);
  if (auto* problem = std::get_if<std::string>(&chosen)) return Refused(*problem);
  result_.Suggestions = std::get<std::vector<TSuggestion>>(std::move(chosen));
  return std::nullopt;
}

std::variant<TFitResult, TFitFailure> Fit::Outcome() {
  result_.ModelSolves = model_->Solves();
  if (minimum_.Converged && !unsound_.empty()) {
    return TFitFailure{FitFailureKind::kUnsound, "the fit is not sound: " + unsound_,
                       std::move(result_)};
  }
  if (minimum_.Converged) {
    // The card carries on what the fit knew of its constants, for every solve with it.
    result_.Fitted.SetUncertainty(FittedUncertainty(result_));
    return std::move(result_);
  }
  return TFitFailure{FitFailureKind::kNotConverged,
                     jacobian_failed_
                         ? "the fit stopped: the Jacobian could not be formed: " + model_->Failure()
                         : "the fit did not converge within " +
                               std::to_string(options_.MaxIterations) + " iterations",
                     std::move(result_)};
}

}  // namespace

std::variant<TFitResult, TFitFailure> FitCard(const std::vector<TFitCase>& cases,
                                              const std::vector<TMeasurement>& data,
                                              const std::vector<TFitParameter>& parameters,
                                              const TFitOptions& options) {
  Fit fitting(cases, data, options);
  if (auto failure = fitting.Prepare(parameters)) return *std::move(failure);
  if (auto failure = fitting.CheckDependence()) return *std::move(failure);
  if (auto failure = fitting.Minimise()) return *std::move(failure);
  // What the estimate shows, also of a fit that did not converge (its last iterate).
  fitting.Statistics();
  fitting.ProfileIntervals();
  fitting.Cases();
  if (auto failure = fitting.Suggest()) return *std::move(failure);
  return fitting.Outcome();
}

}  // namespace vellmor
