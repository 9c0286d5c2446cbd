#include "core/fit/spinline_fit.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>

#include "core/base/number_text.h"
#include "core/base/run_error.h"
#include "core/converged/converged_solution.h"
#include "core/physics/numerics.h"
#include "core/sensitivity/sensitivities.h"

namespace vellmor {
namespace {

// χ² with one degree of freedom exceeds it with probability 5 %; its root is the normal
// distribution's two-sided 95 % point.
constexpr double kChiSquare95 = 3.841458820694124;
constexpr double kNormal95 = 1.959963984540054;

// A residual that no step can want: what a trial point whose condition cannot be solved
// shows the trust region, so that it rejects the step and tries a shorter one.
constexpr double kUnsolvedResidual = 1e100;

// GSL's default on an error is to abort the process; a fit reports its failures instead. The
// handler is the library's one process-wide setting, set once to "return the status".
void TurnOffGslAborts() {
  static std::once_flag once;
  std::call_once(once, [] { gsl_set_error_handler_off(); });
}

std::string Text(double value) { return ShortestText(value).value_or("nan"); }

// The variable the fit moves for one parameter: θ = ln p for a positive constant, else
// θ = p / |start| (or p itself from 0); with bounds, θ = a + (b − a) / (1 + e^−u).
struct TScale {
  bool Log = false;
  double Unit = 1.0;
  std::optional<std::array<double, 2>> Bounds;  // of θ

  double Theta(double value) const { return Log ? std::log(value) : value / Unit; }
  double Value(double theta) const { return Log ? std::exp(theta) : theta * Unit; }
  // dp/dθ at θ.
  double Slope(double theta) const { return Log ? std::exp(theta) : Unit; }

  double ThetaOfU(double u) const {
    if (!Bounds) return u;
    const auto [a, b] = *Bounds;
    return a + (b - a) / (1.0 + std::exp(-u));
  }
  double UOfTheta(double theta) const {
    if (!Bounds) return theta;
    const auto [a, b] = *Bounds;
    const double s = (theta - a) / (b - a);
    return std::log(s / (1.0 - s));
  }
  double ThetaSlope(double u) const {
    if (!Bounds) return 1.0;
    const auto [a, b] = *Bounds;
    const double e = std::exp(-u);
    return (b - a) * e / ((1.0 + e) * (1.0 + e));
  }
};

struct TRow {
  std::size_t Case = 0;
  double X = 0.0;
  Quantity What = Quantity::kDiameterUm;
  double Measured = 0.0;
  double Sigma = 1.0;
  int Line = 0;
};

double ModelValue(const TConvergedSample& sample, Quantity what) {
  switch (what) {
    case Quantity::kDiameterUm:
      return sample.D * 1e4;
    case Quantity::kTemperatureC:
      return sample.T;
    case Quantity::kVelocityMMin:
      return MetresPerMinute(sample.V);
    case Quantity::kTensionDyn:
      return sample.F;
    case Quantity::kBirefringence:
      return sample.Birefringence;
    case Quantity::kCrystallinity:
      return sample.Crystallinity;
  }
  return 0.0;
}

// The converged model of every case at given parameter values, sampled where the rows are.
class SpinlineModel {
 public:
  SpinlineModel(const std::vector<TFitCase>& cases, const std::vector<TRow>& rows,
                std::vector<const TModelKey*> keys)
      : cases_(cases), rows_(rows), keys_(std::move(keys)), per_case_(cases.size()) {
    for (std::size_t i = 0; i < rows.size(); ++i) per_case_[rows[i].Case].Rows.push_back(i);
    for (TCase& c : per_case_) {
      for (const std::size_t i : c.Rows) {
        c.SampleX.push_back(rows[i].X);
        c.Structure = c.Structure || IsStructureQuantity(rows[i].What);
      }
      std::sort(c.SampleX.begin(), c.SampleX.end());
      c.SampleX.erase(std::unique(c.SampleX.begin(), c.SampleX.end()), c.SampleX.end());
    }
  }

  // The model's value at each row for parameter values; false, with Failure() saying why,
  // when a case cannot be solved there. A central point (not a neighbour of the Jacobian)
  // becomes where the next solutions start from.
  bool Predict(const std::vector<double>& values, std::vector<double>& out, bool central) {
    out.assign(rows_.size(), 0.0);
    for (std::size_t k = 0; k < cases_.size(); ++k) {
      TCase& c = per_case_[k];
      if (c.Rows.empty()) continue;
      ModelCard card = cases_[k].Card;
      for (std::size_t j = 0; j < keys_.size(); ++j) card.SetValue(*keys_[j], values[j]);
      TConvergedOptions options;
      options.Model = card.Constants();
      options.SampleX = c.SampleX;
      options.Start = c.Start;
      options.Structure = c.Structure;
      TConvergedSolution solution;
      try {
        ++solves_;
        solution = SolveConverged(cases_[k].Condition, options);
      } catch (const CalculationError& error) {
        failure_ = "case " + cases_[k].Name + ": " + error.what();
        return false;
      }
      for (const std::size_t i : c.Rows) {
        const auto at = std::lower_bound(c.SampleX.begin(), c.SampleX.end(), rows_[i].X);
        const auto& sample = solution.Profile[static_cast<std::size_t>(at - c.SampleX.begin())];
        out[i] = ModelValue(sample, rows_[i].What);
      }
      if (central) {
        c.Start = TConvergedOptions::TStart{solution.SpinneretTension, solution.ResidualSlope};
        c.Tension = solution.SpinneretTension;
      }
    }
    return true;
  }

  const std::string& Failure() const { return failure_; }
  long Solves() const { return solves_; }
  double Tension(std::size_t k) const { return per_case_[k].Tension; }
  std::size_t Size() const { return rows_.size(); }

 private:
  struct TCase {
    std::vector<std::size_t> Rows;
    std::vector<double> SampleX;
    bool Structure = false;  // a row measures the fibre's structure
    std::optional<TConvergedOptions::TStart> Start;
    double Tension = 0.0;
  };
  const std::vector<TFitCase>& cases_;
  const std::vector<TRow>& rows_;
  std::vector<const TModelKey*> keys_;
  std::vector<TCase> per_case_;
  std::string failure_;
  long solves_ = 0;
};

// The weighted least-squares problem over the parameters' fitting variables, some of them
// held fixed (the profile likelihood's).
class LeastSquares {
 public:
  LeastSquares(SpinlineModel& model, const std::vector<TRow>& rows,
               const std::vector<TScale>& scales)
      : model_(model), rows_(rows), scales_(scales) {}

  std::vector<double> Values(const std::vector<double>& theta) const {
    std::vector<double> values(theta.size());
    for (std::size_t j = 0; j < theta.size(); ++j) values[j] = scales_[j].Value(theta[j]);
    return values;
  }

  // Normalised residuals at θ; false when a case cannot be solved there.
  bool Residuals(const std::vector<double>& theta, std::vector<double>& r, bool central) {
    if (!model_.Predict(Values(theta), r, central)) return false;
    for (std::size_t i = 0; i < r.size(); ++i) r[i] = (r[i] - rows_[i].Measured) / rows_[i].Sigma;
    return true;
  }

  // ∂r/∂θ_j for the columns of free, by central differences of neighbouring solutions (a
  // one-sided one where a neighbour cannot be solved).
  bool Jacobian(const std::vector<double>& theta, const std::vector<std::size_t>& free,
                std::vector<std::vector<double>>& columns) {
    columns.assign(free.size(), {});
    std::vector<double> up, down;
    for (std::size_t c = 0; c < free.size(); ++c) {
      const std::size_t j = free[c];
      const double h = kSensitivityStep;
      std::vector<double> t = theta;
      t[j] = theta[j] + h;
      const bool has_up = Residuals(t, up, false);
      t[j] = theta[j] - h;
      const bool has_down = Residuals(t, down, false);
      std::vector<double> centre;
      if (!has_up || !has_down) {
        if (!has_up && !has_down) return false;
        if (!Residuals(theta, centre, false)) return false;
      }
      std::vector<double>& column = columns[c];
      column.resize(rows_.size());
      for (std::size_t i = 0; i < rows_.size(); ++i) {
        column[i] = has_up && has_down ? (up[i] - down[i]) / (2 * h)
                    : has_up           ? (up[i] - centre[i]) / h
                                       : (centre[i] - down[i]) / h;
      }
    }
    return true;
  }

  struct TMinimum {
    std::vector<double> Theta;
    double ChiSquare = 0.0;
    int Iterations = 0;
    bool Converged = false;
    bool Solved = true;  // false: the start itself cannot be solved
  };

  // Minimises over the free parameters from theta (the others held where theta has them).
  TMinimum Minimise(std::vector<double> theta, const std::vector<std::size_t>& free,
                    int max_iterations, double xtol = 1e-10) {
    TMinimum result;
    std::vector<double> r;
    if (!Residuals(theta, r, true)) {
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
    TProblem problem{this, &theta, &free};
    gsl_multifit_nlinear_fdf fdf{};
    fdf.f = &TProblem::F;
    fdf.df = &TProblem::Df;
    fdf.fvv = nullptr;
    fdf.n = rows_.size();
    fdf.p = free.size();
    fdf.params = &problem;
    gsl_multifit_nlinear_parameters parameters = gsl_multifit_nlinear_default_parameters();
    parameters.trs = gsl_multifit_nlinear_trs_lm;
    const std::unique_ptr<gsl_multifit_nlinear_workspace, void (*)(gsl_multifit_nlinear_workspace*)>
        workspace(gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &parameters, fdf.n, fdf.p),
                  gsl_multifit_nlinear_free);
    const std::unique_ptr<gsl_vector, void (*)(gsl_vector*)> start(gsl_vector_alloc(fdf.p),
                                                                   gsl_vector_free);
    for (std::size_t c = 0; c < free.size(); ++c) {
      gsl_vector_set(start.get(), c, scales_[free[c]].UOfTheta(theta[free[c]]));
    }
    int info = 0;
    int status = gsl_multifit_nlinear_init(start.get(), &fdf, workspace.get());
    if (status == GSL_SUCCESS) {
      status = gsl_multifit_nlinear_driver(static_cast<std::size_t>(max_iterations), xtol, 1e-12,
                                           0.0, nullptr, nullptr, &info, workspace.get());
    }
    const gsl_vector* u = gsl_multifit_nlinear_position(workspace.get());
    for (std::size_t c = 0; c < free.size(); ++c) {
      theta[free[c]] = scales_[free[c]].ThetaOfU(gsl_vector_get(u, c));
    }
    result.Iterations = static_cast<int>(gsl_multifit_nlinear_niter(workspace.get()));
    // No further progress within the model's own precision is a minimum as well.
    result.Converged = status == GSL_SUCCESS || status == GSL_ENOPROG;
    jacobian_failed_ = jacobian_failed_ || problem.JacobianFailed;
    result.Theta = theta;
    bool finite = true;
    for (std::size_t j = 0; j < theta.size(); ++j) {
      finite = finite && std::isfinite(scales_[j].Value(theta[j]));
    }
    result.Converged = result.Converged && finite;
    result.ChiSquare = finite && Residuals(theta, r, true) ? SumOfSquares(r) : NAN;
    if (!std::isfinite(result.ChiSquare)) result.Converged = false;
    return result;
  }

  bool JacobianFailed() const { return jacobian_failed_; }

  static double SumOfSquares(const std::vector<double>& r) {
    double sum = 0.0;
    for (const double v : r) sum += v * v;
    return sum;
  }

 private:
  // What GSL's callbacks see: the problem, the full θ (the fixed entries), the free indices.
  struct TProblem {
    LeastSquares* Self;
    const std::vector<double>* Theta;
    const std::vector<std::size_t>* Free;
    bool JacobianFailed = false;

    std::vector<double> ThetaOf(const gsl_vector* u) const {
      std::vector<double> theta = *Theta;
      for (std::size_t c = 0; c < Free->size(); ++c) {
        theta[(*Free)[c]] = Self->scales_[(*Free)[c]].ThetaOfU(gsl_vector_get(u, c));
      }
      return theta;
    }

    static int F(const gsl_vector* u, void* data, gsl_vector* f) {
      auto& p = *static_cast<TProblem*>(data);
      std::vector<double> r;
      const bool solved = p.Self->Residuals(p.ThetaOf(u), r, true);
      for (std::size_t i = 0; i < f->size; ++i) {
        gsl_vector_set(f, i, solved && std::isfinite(r[i]) ? r[i] : kUnsolvedResidual);
      }
      return GSL_SUCCESS;
    }

    static int Df(const gsl_vector* u, void* data, gsl_matrix* J) {
      auto& p = *static_cast<TProblem*>(data);
      const std::vector<double> theta = p.ThetaOf(u);
      std::vector<std::vector<double>> columns;
      if (!p.Self->Jacobian(theta, *p.Free, columns)) {
        p.JacobianFailed = true;
        return GSL_EDOM;
      }
      for (std::size_t c = 0; c < p.Free->size(); ++c) {
        const double slope = p.Self->scales_[(*p.Free)[c]].ThetaSlope(gsl_vector_get(u, c));
        for (std::size_t i = 0; i < J->size1; ++i) gsl_matrix_set(J, i, c, columns[c][i] * slope);
      }
      return GSL_SUCCESS;
    }
  };

  SpinlineModel& model_;
  const std::vector<TRow>& rows_;
  const std::vector<TScale>& scales_;
  bool jacobian_failed_ = false;
};

using TMatrix = std::vector<std::vector<double>>;

// The inverse of a symmetric positive-definite matrix, by Cholesky; nullopt when it is not
// positive definite (a constant the data do not fix).
std::optional<TMatrix> InverseOf(const TMatrix& m) {
  const std::size_t p = m.size();
  const std::unique_ptr<gsl_matrix, void (*)(gsl_matrix*)> a(gsl_matrix_alloc(p, p),
                                                             gsl_matrix_free);
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) gsl_matrix_set(a.get(), i, j, m[i][j]);
  }
  TurnOffGslAborts();
  if (gsl_linalg_cholesky_decomp1(a.get()) != GSL_SUCCESS) return std::nullopt;
  if (gsl_linalg_cholesky_invert(a.get()) != GSL_SUCCESS) return std::nullopt;
  TMatrix inverse(p, std::vector<double>(p));
  for (std::size_t i = 0; i < p; ++i) {
    for (std::size_t j = 0; j < p; ++j) inverse[i][j] = gsl_matrix_get(a.get(), i, j);
  }
  for (const auto& row : inverse) {
    for (const double v : row) {
      if (!std::isfinite(v)) return std::nullopt;
    }
  }
  return inverse;
}

// AᵀA of the columns A.
TMatrix NormalMatrix(const TMatrix& columns) {
  const std::size_t p = columns.size();
  TMatrix normal(p, std::vector<double>(p));
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = 0; b < p; ++b) {
      normal[a][b] =
          std::inner_product(columns[a].begin(), columns[a].end(), columns[b].begin(), 0.0);
    }
  }
  return normal;
}

// The singular values of the matrix of columns, largest first, with the right singular
// vector of the smallest.
std::pair<std::vector<double>, std::vector<double>> SingularValues(const TMatrix& columns) {
  const std::size_t p = columns.size();
  const std::size_t n = columns.front().size();
  const std::unique_ptr<gsl_matrix, void (*)(gsl_matrix*)> a(gsl_matrix_alloc(n, p),
                                                             gsl_matrix_free);
  const std::unique_ptr<gsl_matrix, void (*)(gsl_matrix*)> v(gsl_matrix_alloc(p, p),
                                                             gsl_matrix_free);
  const std::unique_ptr<gsl_vector, void (*)(gsl_vector*)> s(gsl_vector_alloc(p), gsl_vector_free);
  const std::unique_ptr<gsl_vector, void (*)(gsl_vector*)> work(gsl_vector_alloc(p),
                                                                gsl_vector_free);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < p; ++j) gsl_matrix_set(a.get(), i, j, columns[j][i]);
  }
  TurnOffGslAborts();
  gsl_linalg_SV_decomp(a.get(), v.get(), s.get(), work.get());
  std::vector<double> values(p), smallest(p);
  for (std::size_t j = 0; j < p; ++j) {
    values[j] = gsl_vector_get(s.get(), j);
    smallest[j] = gsl_matrix_get(v.get(), j, p - 1);
  }
  return {values, smallest};
}

// σ of a quantity none of whose measurements gives one: a start from the size of its values,
// refined from the residuals.
double FirstSigmaGuess(const std::vector<TMeasurement>& data, Quantity q) {
  double sum = 0.0;
  int n = 0;
  for (const TMeasurement& m : data) {
    if (m.What == q) sum += std::fabs(m.Value), ++n;
  }
  const double mean = n > 0 ? sum / n : 1.0;
  return mean > 0.0 ? 0.01 * mean : 1.0;
}

TFitFailure Refused(std::string message) {
  return TFitFailure{FitFailureKind::kRefused, std::move(message), std::nullopt};
}

}  // namespace

std::variant<TFitParameter, std::string> ParseFitParameter(std::string_view text) {
  const std::string shown = "--fit " + std::string(text);
  const std::size_t equals = text.find('=');
  TFitParameter parameter;
  parameter.Key = FindModelKey(text.substr(0, equals));
  if (parameter.Key == nullptr) {
    return shown + ": '" + std::string(text.substr(0, equals)) +
           "' is not a card key (vellmor-cli model lists them)";
  }
  if (equals == std::string_view::npos) return parameter;
  std::vector<std::optional<double>> numbers;
  std::string_view rest = text.substr(equals + 1);
  while (true) {
    const std::size_t colon = rest.find(':');
    const std::optional<double> number = CardNumber(rest.substr(0, colon));
    if (!number) return shown + ": expected KEY, KEY=START or KEY=START:LO:HI";
    numbers.push_back(number);
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  if (numbers.size() != 1 && numbers.size() != 3) {
    return shown + ": expected KEY, KEY=START or KEY=START:LO:HI";
  }
  parameter.Start = numbers[0];
  if (numbers.size() == 3) {
    parameter.Lo = numbers[1];
    parameter.Hi = numbers[2];
    if (!(*parameter.Lo < *parameter.Start && *parameter.Start < *parameter.Hi)) {
      return shown + ": the start must lie between the bounds, LO < START < HI";
    }
  }
  return parameter;
}

namespace {

// The rows of measurements, each to its case; or the message that refuses one (what names
// the file: "measured data," or "candidates,").
std::variant<std::vector<TRow>, std::string> RowsOf(const std::vector<TFitCase>& cases,
                                                    const std::vector<TMeasurement>& measurements,
                                                    std::string_view what) {
  std::vector<TRow> rows;
  for (const TMeasurement& m : measurements) {
    const std::string spot = std::string(what) + " line " + std::to_string(m.Line) + ": ";
    std::size_t k = 0;
    if (m.Case.empty()) {
      if (cases.size() != 1) {
        return spot + "no case named, and the cases file has " + std::to_string(cases.size());
      }
    } else {
      while (k < cases.size() && cases[k].Name != m.Case) ++k;
      if (k == cases.size()) return spot + "case '" + m.Case + "' is not among the cases";
    }
    const double length = cases[k].Condition.Zones[3].EndPosition;
    if (m.X > length) {
      return spot + "x_cm " + Text(m.X) + " lies beyond the take-up point of case " +
             cases[k].Name + " (" + Text(length) + " cm)";
    }
    rows.push_back({k, m.X, m.What, m.Value, m.Sigma.value_or(0.0), m.Line});
  }
  return rows;
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
  void ProfileIntervals();
  // Tensions, residuals, RMS per quantity, the fitted card.
  void Cases();
  std::optional<TFitFailure> Suggest();
  std::variant<TFitResult, TFitFailure> Outcome();

  bool Converged() const { return minimum_.Converged; }
  bool HasCovariance() const { return covariance_.has_value(); }

 private:
  std::size_t N() const { return rows_.size(); }
  std::size_t P() const { return keys_.size(); }
  void ApplySigma();

  const std::vector<TFitCase>& cases_;
  const std::vector<TMeasurement>& data_;
  const TFitOptions& options_;
  std::vector<TRow> rows_, picks_;
  std::vector<const TModelKey*> keys_;
  std::vector<TScale> scales_;
  std::vector<double> theta_;
  std::vector<std::size_t> all_;
  std::array<bool, kQuantityCount> estimated_{};
  bool any_estimated_ = false;
  std::array<double, kQuantityCount> sigma_{};
  std::optional<SpinlineModel> model_;
  std::optional<LeastSquares> problem_;
  LeastSquares::TMinimum minimum_;
  TMatrix columns_;
  bool has_jacobian_ = false;
  std::optional<TMatrix> covariance_;
  double scale2_ = 1.0;  // χ²/dof where σ was estimated, else 1
  TFitResult result_;
};

std::optional<TFitFailure> Fit::Prepare(const std::vector<TFitParameter>& parameters) {
  if (cases_.empty()) return Refused("no operating condition to fit");
  if (parameters.empty()) return Refused("no constant to fit: give --fit KEY");
  auto measured = RowsOf(cases_, data_, "measured data,");
  if (auto* problem = std::get_if<std::string>(&measured)) return Refused(*problem);
  rows_ = std::get<std::vector<TRow>>(std::move(measured));

  // The candidates, checked before any solve: each needs its σ, or the data's for its
  // quantity.
  if (options_.Suggest > 0) {
    auto candidates = RowsOf(cases_, options_.Candidates, "candidates,");
    if (auto* problem = std::get_if<std::string>(&candidates)) return Refused(*problem);
    picks_ = std::get<std::vector<TRow>>(std::move(candidates));
    for (const TRow& row : picks_) {
      const bool measured_too = std::any_of(rows_.begin(), rows_.end(),
                                            [&](const TRow& m) { return m.What == row.What; });
      if (row.Sigma == 0.0 && !measured_too) {
        return Refused("candidates, line " + std::to_string(row.Line) + ": no sigma for " +
                       std::string(QuantityName(row.What)) +
                       ", and the measured data give none to take");
      }
    }
  }

  for (const TFitParameter& parameter : parameters) {
    if (std::find(keys_.begin(), keys_.end(), parameter.Key) != keys_.end()) {
      return Refused("--fit " + std::string(parameter.Key->Path) + ": given twice");
    }
    keys_.push_back(parameter.Key);
    const double start = parameter.Start.value_or(cases_.front().Card.Value(*parameter.Key));
    TScale scale;
    scale.Log = start > 0.0 && (!parameter.Lo || *parameter.Lo > 0.0);
    scale.Unit = start != 0.0 ? std::fabs(start) : 1.0;
    if (parameter.Lo && parameter.Hi) {
      scale.Bounds = std::array<double, 2>{scale.Theta(*parameter.Lo), scale.Theta(*parameter.Hi)};
    }
    scales_.push_back(scale);
    theta_.push_back(scale.Theta(start));
  }
  for (const TRow& row : rows_) {
    if (row.Sigma == 0.0) estimated_[static_cast<std::size_t>(row.What)] = true;
  }
  any_estimated_ = std::find(estimated_.begin(), estimated_.end(), true) != estimated_.end();
  if (N() < P() || (any_estimated_ && N() == P())) {
    return Refused(std::to_string(N()) + " measurements cannot fix " + std::to_string(P()) +
                   " constants" + (any_estimated_ ? " and the measurements' sigma" : ""));
  }
  for (const Quantity q : kQuantities) {
    sigma_[static_cast<std::size_t>(q)] = FirstSigmaGuess(data_, q);
  }
  ApplySigma();
  model_.emplace(cases_, rows_, keys_);
  problem_.emplace(*model_, rows_, scales_);
  all_.resize(P());
  std::iota(all_.begin(), all_.end(), std::size_t{0});
  return std::nullopt;
}

void Fit::ApplySigma() {
  for (std::size_t i = 0; i < N(); ++i) {
    const std::size_t q = static_cast<std::size_t>(rows_[i].What);
    if (estimated_[q] && !data_[i].Sigma) rows_[i].Sigma = sigma_[q];
  }
}

std::optional<TFitFailure> Fit::CheckDependence() {
  std::vector<double> r;
  if (!problem_->Residuals(theta_, r, true)) {
    return TFitFailure{FitFailureKind::kStartFailed,
                       "the start can not be solved: " + model_->Failure(), std::nullopt};
  }
  // A change of the constant by 1 % moving no measurement by a ten-thousandth of its σ (the
  // solutions' own noise lies far below that).
  TMatrix start_columns;
  if (!problem_->Jacobian(theta_, all_, start_columns)) return std::nullopt;
  for (std::size_t j = 0; j < P(); ++j) {
    if (std::all_of(start_columns[j].begin(), start_columns[j].end(),
                    [](double v) { return std::fabs(v) < 1e-2; })) {
      return Refused("the measurements do not depend on " + std::string(keys_[j]->Path) +
                     ": nothing to fit it to");
    }
  }
  return std::nullopt;
}

std::optional<TFitFailure> Fit::Minimise() {
  for (int round = 0; round < 8; ++round) {
    minimum_ = problem_->Minimise(theta_, all_, options_.MaxIterations);
    result_.Iterations += minimum_.Iterations;
    if (!minimum_.Solved) {
      return TFitFailure{FitFailureKind::kStartFailed,
                         "the start can not be solved: " + model_->Failure(), std::nullopt};
    }
    theta_ = minimum_.Theta;
    if (!minimum_.Converged || !any_estimated_) break;
    std::vector<double> predicted;
    model_->Predict(problem_->Values(theta_), predicted, true);
    std::array<double, kQuantityCount> sum{};
    std::array<int, kQuantityCount> count{};
    for (std::size_t i = 0; i < N(); ++i) {
      const std::size_t q = static_cast<std::size_t>(rows_[i].What);
      if (!estimated_[q] || data_[i].Sigma) continue;
      sum[q] += (predicted[i] - rows_[i].Measured) * (predicted[i] - rows_[i].Measured);
      ++count[q];
    }
    double change = 0.0;
    for (const Quantity quantity : kQuantities) {
      const std::size_t q = static_cast<std::size_t>(quantity);
      if (count[q] == 0) continue;
      // Each quantity's share of the degrees of freedom.
      const double dof = count[q] * static_cast<double>(N() - P()) / static_cast<double>(N());
      const double next = std::max(std::sqrt(sum[q] / dof), 1e-300);
      change = std::max(change, std::fabs(next / sigma_[q] - 1.0));
      sigma_[q] = next;
    }
    ApplySigma();
    if (change < 1e-6) break;
  }
  return std::nullopt;
}

void Fit::Statistics() {
  std::vector<double> r;
  result_.ChiSquare = problem_->Residuals(theta_, r, true) ? LeastSquares::SumOfSquares(r) : NAN;
  result_.DegreesOfFreedom = static_cast<int>(N() - P());
  scale2_ = any_estimated_ && N() > P() ? result_.ChiSquare / static_cast<double>(N() - P()) : 1.0;
  has_jacobian_ = problem_->Jacobian(theta_, all_, columns_);
  if (has_jacobian_) covariance_ = InverseOf(NormalMatrix(columns_));
  if (covariance_) {
    for (auto& row : *covariance_) {
      for (double& v : row) v *= scale2_;
    }
  }
  const std::size_t p = P();
  for (std::size_t j = 0; j < p; ++j) {
    const TScale& scale = scales_[j];
    TParameterEstimate estimate;
    estimate.Key = keys_[j]->Path;
    estimate.LogScale = scale.Log;
    estimate.Estimate = scale.Value(theta_[j]);
    const double se = covariance_ ? std::sqrt((*covariance_)[j][j]) : NAN;
    estimate.StandardError = scale.Slope(theta_[j]) * se;
    estimate.Wald95 = {scale.Value(theta_[j] - kNormal95 * se),
                       scale.Value(theta_[j] + kNormal95 * se)};
    if (scale.Bounds) {
      const auto [a, b] = *scale.Bounds;
      estimate.AtBound = std::min(theta_[j] - a, b - theta_[j]) < 1e-6 * (b - a);
      if (estimate.AtBound) {
        result_.Warnings.push_back(std::string(keys_[j]->Path) + " ends at its bound " +
                                   Text(scale.Value(theta_[j])) + ": its interval says nothing");
      }
    }
    result_.Parameters.push_back(estimate);
  }
  if (!has_jacobian_) {
    result_.Warnings.push_back("the Jacobian could not be formed at the estimate: " +
                               model_->Failure());
  } else {
    const auto [values, smallest] = SingularValues(columns_);
    if (values.back() < 1e-8 * values.front()) {
      const std::size_t worst = static_cast<std::size_t>(
          std::max_element(smallest.begin(), smallest.end(),
                           [](double a, double b) { return std::fabs(a) < std::fabs(b); }) -
          smallest.begin());
      result_.Warnings.push_back("the data can not determine " + std::string(keys_[worst]->Path) +
                                 " (singular value " + Text(values.back() / values.front()) +
                                 " of the largest)");
    }
  }
  result_.Correlation.assign(p, std::vector<double>(p, NAN));
  if (!covariance_) {
    if (has_jacobian_) {
      result_.Warnings.push_back("the information matrix is singular: no standard errors");
    }
    return;
  }
  const TMatrix& c = *covariance_;
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = 0; b < p; ++b) {
      result_.Correlation[a][b] = c[a][b] / std::sqrt(c[a][a] * c[b][b]);
    }
  }
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = a + 1; b < p; ++b) {
      if (std::fabs(result_.Correlation[a][b]) > 0.99) {
        result_.Warnings.push_back(std::string(keys_[a]->Path) + " and " +
                                   std::string(keys_[b]->Path) + " are correlated at " +
                                   FixedPointText(result_.Correlation[a][b], 4) +
                                   ": the data can not tell them apart");
      }
    }
  }
}

void Fit::ProfileIntervals() {
  if (!minimum_.Converged || !options_.ProfileIntervals || !covariance_) return;
  for (std::size_t j = 0; j < P(); ++j) {
    std::vector<std::size_t> others;
    for (std::size_t k = 0; k < P(); ++k) {
      if (k != j) others.push_back(k);
    }
    std::vector<double> last = theta_;
    // The signed root of the rise of χ² with the others fitted again, √((χ²(t) − χ²min)/s²):
    // nearly straight in t, so secant steps from the estimate find where it reaches 1.96 in
    // two or three fits. A profile point needs χ² to a small part of its 3.84 rise, not the
    // estimate's precision.
    const auto root = [&](double t, bool& ok) {
      std::vector<double> start = last;
      start[j] = t;
      const LeastSquares::TMinimum m =
          problem_->Minimise(start, others, options_.MaxIterations, 1e-7);
      ok = m.Solved && m.Converged;
      if (ok) last = m.Theta;
      return std::sqrt(std::max(m.ChiSquare - result_.ChiSquare, 0.0) / scale2_);
    };
    const double se = std::sqrt((*covariance_)[j][j]);
    std::array<double, 2> bounds{};
    bool bounded = true;
    for (int side = 0; side < 2 && bounded; ++side) {
      const double direction = side == 0 ? -1.0 : 1.0;
      last = theta_;
      double t0 = theta_[j], r0 = 0.0;
      double t1 = theta_[j] + direction * kNormal95 * se;
      bool found = false;
      for (int k = 0; k < 16 && !found; ++k) {
        if (scales_[j].Bounds) {
          const auto [a, b] = *scales_[j].Bounds;
          if (t1 <= a || t1 >= b) break;  // the interval reaches the bound
        }
        bool ok = false;
        const double r1 = root(t1, ok);
        if (!ok) break;
        if (std::fabs(r1 - kNormal95) < 1e-3) {
          found = true;
          break;
        }
        // Where the rise has not grown, step twice as far instead of along the secant.
        const double t2 = r1 > r0 + 1e-6 ? t1 + (kNormal95 - r1) * (t1 - t0) / (r1 - r0)
                                         : theta_[j] + 2.0 * (t1 - theta_[j]);
        t0 = t1, r0 = r1, t1 = t2;
      }
      bounded = found;
      if (found) bounds[static_cast<std::size_t>(side)] = scales_[j].Value(t1);
      if (options_.Observer != nullptr) {
        // A side given up leaves the other unsearched: both count as done.
        const std::size_t done = 2 * j + (bounded ? static_cast<std::size_t>(side) + 1 : 2);
        options_.Observer->OnIntervalBound(done, 2 * P());
      }
    }
    if (bounded) result_.Parameters[j].Profile95 = bounds;
  }
}

void Fit::Cases() {
  std::vector<double> predicted;
  model_->Predict(problem_->Values(theta_), predicted, true);
  std::array<double, kQuantityCount> squares{};
  std::array<int, kQuantityCount> counts{};
  for (std::size_t k = 0; k < cases_.size(); ++k) {
    result_.Cases.push_back(
        {cases_[k].Name, cases_[k].Texts, cases_[k].DecimalSeparator, model_->Tension(k), {}});
  }
  for (std::size_t i = 0; i < N() && i < predicted.size(); ++i) {
    const TRow& row = rows_[i];
    result_.Cases[row.Case].Residuals.push_back({row.X, row.What, row.Measured, predicted[i],
                                                 (predicted[i] - row.Measured) / row.Sigma,
                                                 row.Sigma, row.Line});
    const std::size_t q = static_cast<std::size_t>(row.What);
    squares[q] += (predicted[i] - row.Measured) * (predicted[i] - row.Measured);
    ++counts[q];
  }
  for (const Quantity quantity : kQuantities) {
    const std::size_t q = static_cast<std::size_t>(quantity);
    if (counts[q] > 0) result_.Rms[q] = std::sqrt(squares[q] / counts[q]);
    if (estimated_[q]) result_.EstimatedSigma[q] = sigma_[q];
  }
  result_.Fitted = cases_.front().Card;
  for (std::size_t j = 0; j < P(); ++j) {
    result_.Fitted.SetValue(*keys_[j], result_.Parameters[j].Estimate);
  }
}

std::optional<TFitFailure> Fit::Suggest() {
  if (options_.Suggest <= 0 || !covariance_ || !minimum_.Converged) return std::nullopt;
  // A candidate without σ takes the last measured one of its quantity (given or estimated).
  for (TRow& row : picks_) {
    if (row.Sigma > 0.0) continue;
    for (const TRow& measured : rows_) {
      if (measured.What == row.What) row.Sigma = measured.Sigma;
    }
  }
  SpinlineModel candidate_model(cases_, picks_, keys_);
  LeastSquares candidate_problem(candidate_model, picks_, scales_);
  TMatrix candidates;
  if (!candidate_problem.Jacobian(theta_, all_, candidates)) {
    return Refused("candidates: " + candidate_model.Failure());
  }
  TMatrix information = NormalMatrix(columns_);
  for (auto& row : information) {
    for (double& v : row) v /= scale2_;
  }
  const std::size_t p = P();
  std::vector<bool> taken(picks_.size(), false);
  for (int pick = 0; pick < options_.Suggest; ++pick) {
    const std::optional<TMatrix> inverse = InverseOf(information);
    if (!inverse) break;
    // det(F + g gᵀ) = det F · (1 + gᵀ F⁻¹ g): the pick of the largest gᵀ F⁻¹ g.
    double best_gain = -1.0;
    std::size_t best = picks_.size();
    for (std::size_t c = 0; c < picks_.size(); ++c) {
      if (taken[c]) continue;
      double gain = 0.0;
      for (std::size_t a = 0; a < p; ++a) {
        for (std::size_t b = 0; b < p; ++b) {
          gain += candidates[a][c] * (*inverse)[a][b] * candidates[b][c];
        }
      }
      if (gain > best_gain) best_gain = gain, best = c;
    }
    if (best == picks_.size()) break;
    taken[best] = true;
    for (std::size_t a = 0; a < p; ++a) {
      for (std::size_t b = 0; b < p; ++b) {
        information[a][b] += candidates[a][best] * candidates[b][best];
      }
    }
    TSuggestion suggestion;
    suggestion.Candidate = options_.Candidates[best];
    suggestion.Sigma = picks_[best].Sigma;
    const std::optional<TMatrix> after = InverseOf(information);
    for (std::size_t j = 0; j < p; ++j) {
      suggestion.StandardErrorsAfter.push_back(
          after ? scales_[j].Slope(theta_[j]) * std::sqrt((*after)[j][j]) : NAN);
    }
    result_.Suggestions.push_back(std::move(suggestion));
  }
  return std::nullopt;
}

std::variant<TFitResult, TFitFailure> Fit::Outcome() {
  result_.ModelSolves = model_->Solves();
  if (minimum_.Converged) return std::move(result_);
  return TFitFailure{FitFailureKind::kNotConverged,
                     problem_->JacobianFailed()
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
  Fit fit(cases, data, options);
  if (auto failure = fit.Prepare(parameters)) return *std::move(failure);
  if (auto failure = fit.CheckDependence()) return *std::move(failure);
  if (auto failure = fit.Minimise()) return *std::move(failure);
  // What the estimate shows, also of a fit that did not converge (its last iterate).
  fit.Statistics();
  fit.ProfileIntervals();
  fit.Cases();
  if (auto failure = fit.Suggest()) return *std::move(failure);
  return fit.Outcome();
}

}  // namespace vellmor
