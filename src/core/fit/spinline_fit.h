#pragma once

// Fitting constants of the model card to measurements on the line: weighted least squares
// Σ((model − value)/σ)² over every measurement of every operating condition, minimised by the
// Levenberg–Marquardt trust region of GSL (gsl_multifit_nlinear). Each evaluation solves every
// condition with the converged model, its spinneret tension shot to the take-up speed; the
// Jacobian comes from the exact derivatives of those solutions (converged_derivatives.h), as
// the elasticities do, and from central differences of neighbouring solutions only for a
// constant whose derivative is not exact.
//
// A positive constant is fitted as its logarithm (a relative step means the same everywhere,
// and it stays positive); a constant at or below 0 as itself, scaled by its start. Bounds lo:hi
// map onto the whole line by a logistic function of the fitting variable.
//
//   std::vector<TFitCase> cases = {{"1", condition, ModelCard()}};
//   auto fitted = FitCard(cases, data, {{FindModelKey("heat_transfer.factor")}});
//   if (auto* result = std::get_if<TFitResult>(&fitted)) { … result->Parameters[0] … }
//
// The statistics: standard errors from (JᵀWJ)⁻¹ at the estimate (scaled by χ²/dof where σ was
// estimated from the residuals), Wald intervals on the fitting scale (so a positive constant's
// interval is e^(ln p ± 1.96 s) and stays positive), profile-likelihood intervals (the constant
// held at trial values, the others fitted again, the bound where χ² has risen by 3.84).

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vellmor/fit/measured_data.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {

// One constant to fit: KEY, KEY=START or KEY=START:LO:HI.
struct TFitParameter {
  const TModelKey* Key = nullptr;
  std::optional<double> Start;  // the case cards' value without it
  std::optional<double> Lo, Hi;
};

// "heat_transfer.factor=1.5e-4:1e-4:3e-4" as a user types it; the reason that refuses it
// (the request shows it after the text).
std::variant<TFitParameter, std::string> ParseFitParameter(std::string_view text);

// One operating condition: its name (a cases file's "case" cell, or its row number), the
// condition as read and checked, and its card (the base card with the case's own constants).
struct TFitCase {
  std::string Name;
  TSpinCondition Condition;
  ModelCard Card;
  // The texts it was read from, and their decimal separator: what a viewer solves again.
  TInputTexts Texts;
  char DecimalSeparator = '.';
  // Whether any input was given for it (an option, a cell of the cases file): a case of none
  // runs at the window's defaults, which is more often a forgotten option than a choice.
  bool InputsGiven = true;
};

// Follows the long part of a fit, the profile-likelihood intervals: told after each bound
// (two per constant) is found or given up, from the fitting thread.
class FitObserver {
 public:
  virtual ~FitObserver() = default;
  virtual void OnIntervalBound(std::size_t done, std::size_t total) = 0;
};

struct TFitOptions {
  int MaxIterations = 100;       // of the Levenberg–Marquardt driver
  bool ProfileIntervals = true;  // the profile-likelihood intervals (a few fits per parameter)
  // Candidate measurements and how many to choose from them (0: none).
  std::vector<TMeasurement> Candidates;
  int Suggest = 0;
  FitObserver* Observer = nullptr;  // none: nobody follows the intervals
  // How the messages name a parameter of the fit ("fit", "cases"): the front end's spelling.
  std::function<std::string(std::string_view)> Spell = [](std::string_view key) {
    return std::string(key);
  };
};

struct TParameterEstimate {
  std::string_view Key;
  bool LogScale = false;
  double Estimate = 0.0;
  double StandardError = 0.0;  // in the constant's unit (for a logarithm: estimate × s)
  std::array<double, 2> Wald95{};
  std::optional<std::array<double, 2>> Profile95;  // nullopt where a side was not bounded
  bool AtBound = false;
  // Where the model does not describe the data within their σ (TLackOfFit): the standard
  // error and Wald interval with the covariance scaled by χ²/dof, beside the unscaled ones.
  std::optional<double> ScaledStandardError;
  std::optional<std::array<double, 2>> ScaledWald95;
};

// Whether the model describes the data within the σ they give: χ² against its degrees of
// freedom, where every measurement gives its σ (with σ estimated χ² is n − p by construction).
struct TLackOfFit {
  double ChiSquare = 0.0;
  int DegreesOfFreedom = 0;
  double PValue = 1.0;    // of a χ² this large or larger
  bool Described = true;  // p ≥ 0.01
};

struct TResidual {
  double X = 0.0;
  Quantity What = Quantity::kDiameterUm;
  double Measured = 0.0;
  double Model = 0.0;
  double Normalised = 0.0;  // (model − measured) / σ
  double Sigma = 0.0;
  int Line = 0;
};

struct TCaseFit {
  std::string Name;
  TInputTexts Texts;
  char DecimalSeparator = '.';
  double SpinneretTensionDyn = 0.0;
  // Where the fitted line first falls below the solidification temperature (cm); none where it
  // reaches the take-up point still molten.
  std::optional<double> FreezePointCm;
  std::vector<TResidual> Residuals;  // in the data's order
};

// One pick of the measurement design, with the standard errors expected once it is taken too.
struct TSuggestion {
  TMeasurement Candidate;
  double Sigma = 0.0;
  std::vector<double> StandardErrorsAfter;  // per parameter, in its unit
};

struct TFitResult {
  std::vector<TParameterEstimate> Parameters;
  std::vector<std::vector<double>> Correlation;
  double ChiSquare = 0.0;
  int DegreesOfFreedom = 0;
  std::vector<TCaseFit> Cases;
  std::array<std::optional<double>, kQuantityCount> Rms;  // per Quantity, of measured − model
  // Per Quantity whose measurements all give σ, the RMS of (model − measured)/σ.
  std::array<std::optional<double>, kQuantityCount> NormalisedRms;
  std::optional<TLackOfFit> LackOfFit;  // where every measurement gives its σ
  // The covariance of the estimates: of the fitting variables θ (a positive constant's
  // logarithm, …), and carried to the constants' own units by dp/dθ; empty without one.
  std::vector<std::vector<double>> Covariance;
  std::vector<std::vector<double>> NaturalCovariance;
  double ResidualScale = 1.0;  // χ²/dof the covariance was scaled by (σ estimated), else 1
  std::array<std::optional<double>, kQuantityCount>
      EstimatedSigma;  // per Quantity where sigma was missing
  int Iterations = 0;
  long ModelSolves = 0;
  std::vector<std::string> Warnings;
  std::vector<TSuggestion> Suggestions;
  // The card the estimates make of the first case's card.
  ModelCard Fitted;
};

enum class FitFailureKind {
  kRefused,       // the data or parameters do not make a fit (a message says why)
  kStartFailed,   // a case cannot be solved at the start
  kNotConverged,  // the iteration limit was reached; Last holds the last iterate
  // It converged, but to nothing that can be called fitted: no Jacobian, a covariance that is
  // not finite and positive definite, a case the fitted card does not solve. Last holds it.
  kUnsound,
};

struct TFitFailure {
  FitFailureKind Kind = FitFailureKind::kRefused;
  std::string Message;
  std::optional<TFitResult> Last;
};

// Fits parameters to data (each row's Case naming one of cases; an empty name belongs to the
// only case). Refused: an unknown case, a position beyond a case's line, a parameter named
// twice or outside its bounds, fewer measurements than parameters.
std::variant<TFitResult, TFitFailure> FitCard(const std::vector<TFitCase>& cases,
                                              const std::vector<TMeasurement>& data,
                                              const std::vector<TFitParameter>& parameters,
                                              const TFitOptions& options = {});

}  // namespace vellmor
