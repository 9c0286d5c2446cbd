#include "vellmor/fit/least_squares.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>

#include <cmath>
#include <memory>
#include <new>

#include "vellmor/fit/gsl_owners.h"

namespace vellmor::fit {
namespace {

// A residual that no step can want: what a trial point whose condition cannot be solved shows
// the trust region, so that it rejects the step and tries a shorter one.
constexpr double kUnsolvedResidual = 1e100;

struct WorkspaceFree {
  void operator()(gsl_multifit_nlinear_workspace* w) const { gsl_multifit_nlinear_free(w); }
};
using Workspace = std::unique_ptr<gsl_multifit_nlinear_workspace, WorkspaceFree>;

// What GSL's callbacks see: the problem, the full θ (its fixed entries), the free indices.
struct TCallbacks {
  WeightedResiduals* Problem;
  const std::vector<double>* Theta;
  const std::vector<std::size_t>* Free;
  bool JacobianFailed = false;

  std::vector<double> ThetaOf(const gsl_vector* u) const {
    std::vector<double> theta = *Theta;
    for (std::size_t c = 0; c < Free->size(); ++c) {
      theta[(*Free)[c]] = Problem->Scales()[(*Free)[c]].ThetaOfU(gsl_vector_get(u, c));
    }
    return theta;
  }

  static int F(const gsl_vector* u, void* data, gsl_vector* f) {
    auto& self = *static_cast<TCallbacks*>(data);
    std::vector<double> r;
    const bool solved = self.Problem->Residuals(self.ThetaOf(u), r, true);
    for (std::size_t i = 0; i < f->size; ++i) {
      gsl_vector_set(f, i, solved && std::isfinite(r[i]) ? r[i] : kUnsolvedResidual);
    }
    return GSL_SUCCESS;
  }

  // ∂r/∂u: the Jacobian in θ times dθ/du. J is left as it was where it cannot be formed.
  static int Df(const gsl_vector* u, void* data, gsl_matrix* J) {
    auto& self = *static_cast<TCallbacks*>(data);
    GslMatrix columns = NewMatrix(J->size1, J->size2);
    if (!self.Problem->Jacobian(self.ThetaOf(u), *self.Free, *columns)) {
      self.JacobianFailed = true;
      return GSL_EDOM;
    }
    for (std::size_t c = 0; c < self.Free->size(); ++c) {
      const double slope = self.Problem->Scales()[(*self.Free)[c]].ThetaSlope(gsl_vector_get(u, c));
      for (std::size_t i = 0; i < J->size1; ++i) {
        gsl_matrix_set(J, i, c, gsl_matrix_get(columns.get(), i, c) * slope);
      }
    }
    return GSL_SUCCESS;
  }
};

}  // namespace

TMinimum Minimise(WeightedResiduals& problem, std::vector<double> theta,
                  const std::vector<std::size_t>& free, int max_iterations, double xtol) {
  TMinimum result;
  std::vector<double> r;
  if (!problem.Residuals(theta, r, true)) {
    result.Solved = false;
    result.Theta = theta;
    return result;
  }
  if (free.empty()) {
    result.Theta = theta;
    result.ChiSquare = SumOfSquares(r);
    result.Converged = true;
    return result;
  }
  TurnOffGslAborts();
  TCallbacks callbacks{&problem, &theta, &free};
  gsl_multifit_nlinear_fdf fdf{};
  fdf.f = &TCallbacks::F;
  fdf.df = &TCallbacks::Df;
  fdf.fvv = nullptr;
  fdf.n = problem.Size();
  fdf.p = free.size();
  fdf.params = &callbacks;
  gsl_multifit_nlinear_parameters parameters = gsl_multifit_nlinear_default_parameters();
  parameters.trs = gsl_multifit_nlinear_trs_lm;
  const Workspace workspace(
      gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &parameters, fdf.n, fdf.p));
  if (workspace == nullptr) throw std::bad_alloc();
  const GslVector start = NewVector(fdf.p);
  const std::vector<TScale>& scales = problem.Scales();
  for (std::size_t c = 0; c < free.size(); ++c) {
    gsl_vector_set(start.get(), c, scales[free[c]].UOfTheta(theta[free[c]]));
  }
  int info = 0;
  int status = gsl_multifit_nlinear_init(start.get(), &fdf, workspace.get());
  if (status == GSL_SUCCESS) {
    status = gsl_multifit_nlinear_driver(static_cast<std::size_t>(max_iterations), xtol, 1e-12, 0.0,
                                         nullptr, nullptr, &info, workspace.get());
  }
  const gsl_vector* u = gsl_multifit_nlinear_position(workspace.get());
  for (std::size_t c = 0; c < free.size(); ++c) {
    theta[free[c]] = scales[free[c]].ThetaOfU(gsl_vector_get(u, c));
  }
  result.Iterations = static_cast<int>(gsl_multifit_nlinear_niter(workspace.get()));
  // No further progress within the model's own precision is a minimum as well.
  result.Converged = status == GSL_SUCCESS || status == GSL_ENOPROG;
  result.JacobianFailed = callbacks.JacobianFailed;
  result.Theta = theta;
  bool finite = true;
  for (std::size_t j = 0; j < theta.size(); ++j) {
    finite = finite && std::isfinite(scales[j].Value(theta[j]));
  }
  result.Converged = result.Converged && finite;
  result.ChiSquare = finite && problem.Residuals(theta, r, true) ? SumOfSquares(r) : NAN;
  if (!std::isfinite(result.ChiSquare)) result.Converged = false;
  return result;
}

}  // namespace vellmor::fit
