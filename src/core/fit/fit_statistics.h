#pragma once

// What an estimate tells, from the covariance C of the fitting variables θ (the inverse of the
// information, scaled by χ²/dof where σ was estimated from the residuals): each constant's
// standard error s_j = √C_jj carried to its unit by dp/dθ, its Wald interval θ_j ± 1.96 s_j
// carried through the scale (so a positive constant's stays positive), the correlation
// C_ab / √(C_aa C_bb), and the RMS of model − measured per quantity. The warnings name a
// constant the data cannot determine. Internal to the fit.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include <gsl/gsl_matrix.h>

#include "vellmor/fit/fit_scale.h"
#include "vellmor/fit/measured_data.h"
#include "vellmor/fit/measurement_rows.h"
#include "vellmor/fit/spinline_fit.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor::fit {

// The normal distribution's two-sided 95 % point: the root of the 3.84 that χ² with one degree
// of freedom exceeds with probability 5 %.
inline constexpr double kNormal95 = 1.959963984540054;

// χ²/dof where σ was estimated from the residuals (and a degree of freedom is left), else 1.
double CovarianceScale(double chi_square, std::size_t measurements, std::size_t parameters,
                       bool sigma_estimated);

// Estimate, standard error, Wald interval and whether it ends at a bound, for each constant
// (standard errors NaN without a covariance); a warning for each at its bound.
std::vector<TParameterEstimate> ParameterEstimates(const std::vector<const TModelKey*>& keys,
                                                   const std::vector<TScale>& scales,
                                                   const std::vector<double>& theta,
                                                   const gsl_matrix* covariance,
                                                   std::vector<std::string>& warnings);

// The warning that the data cannot determine a constant: the Jacobian's smallest singular
// value below 1e-8 of its largest, naming the constant that weighs most in its direction.
std::optional<std::string> UndeterminedWarning(const gsl_matrix& jacobian,
                                               const std::vector<const TModelKey*>& keys);

// The correlation matrix (NaN without a covariance), with a warning for each pair beyond 0.95:
// the data then hardly tell the two constants apart, and each one's interval is wide.
std::vector<std::vector<double>> Correlation(const gsl_matrix* covariance,
                                             const std::vector<const TModelKey*>& keys,
                                             std::vector<std::string>& warnings);

// √(mean (model − measured)²) of each quantity measured.
std::array<std::optional<double>, kQuantityCount> RmsPerQuantity(
    const std::vector<TRow>& rows, const std::vector<double>& predicted);

// √(mean ((model − measured)/σ)²) of each quantity whose σ the data give (estimated: false).
std::array<std::optional<double>, kQuantityCount> NormalisedRmsPerQuantity(
    const std::vector<TRow>& rows, const std::vector<double>& predicted,
    const std::array<std::optional<double>, kQuantityCount>& estimated);

// The lack-of-fit test of a χ² on dof degrees of freedom: its upper-tail probability, and
// whether the model describes the data (p ≥ 0.01). nullopt without a degree of freedom.
std::optional<TLackOfFit> LackOfFitOf(double chi_square, int dof);

// The covariance as rows, and carried to the constants' units: C_p = D C D with D_jj = dp/dθ.
std::vector<std::vector<double>> CovarianceRows(const gsl_matrix& covariance);
std::vector<std::vector<double>> NaturalCovariance(const gsl_matrix& covariance,
                                                   const std::vector<TScale>& scales,
                                                   const std::vector<double>& theta);

// Whether a covariance is one: every entry finite and every variance above 0 (the inverse of
// the information, found by Cholesky, is positive definite where it exists).
bool IsUsableCovariance(const gsl_matrix& covariance);

}  // namespace vellmor::fit
