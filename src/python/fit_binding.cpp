// vellmor.fit: the card fitted to measurements, as the runner's fit document.

#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <vector>

#include "core/exports/fit_json.h"
#include "core/fit/fit_run.h"
#include "python/bindings.h"
#include "python/python_values.h"

namespace vellmor::python {
namespace {

py::dict Fit(const std::map<std::string, std::string>& base, const ModelCard& card,
             const std::string& measured, const std::string& measured_source,
             const std::optional<std::string>& cases, const std::string& cases_source,
             const std::vector<std::string>& fits, int suggest,
             const std::optional<std::string>& candidates, const std::string& candidates_source,
             int max_iterations, bool profile_intervals) {
  TFitInputs inputs;
  inputs.Texts = TextsOf(base);
  inputs.Card = card;
  inputs.Measured = measured;
  inputs.MeasuredSource = measured_source;
  if (cases) inputs.Cases = *cases;
  inputs.CasesSource = cases_source;
  inputs.Fits = fits;
  inputs.Options.MaxIterations = max_iterations;
  inputs.Options.ProfileIntervals = profile_intervals;
  inputs.Options.Suggest = suggest;
  if (candidates) inputs.Candidates = *candidates;
  inputs.CandidatesSource = candidates_source;
  std::variant<TFitRun, std::string> run = std::string();
  {
    py::gil_scoped_release unlocked;
    FloatingPointGuard guard;
    run = RunFit(inputs);
  }
  py::dict out;
  if (const auto* refused = std::get_if<std::string>(&run)) {
    out["refused"] = *refused;
    return out;
  }
  FloatingPointGuard guard;
  const TFitRun& fitted = std::get<TFitRun>(run);
  out["refused"] = py::none();
  out["document"] = ToPython(FitJson(fitted.Fit));
  const TFitResult* result = std::get_if<TFitResult>(&fitted.Fit);
  if (const auto* failure = std::get_if<TFitFailure>(&fitted.Fit)) {
    out["failure"] = failure->Kind == FitFailureKind::kRefused       ? "refused"
                     : failure->Kind == FitFailureKind::kStartFailed ? "start_failed"
                                                                     : "not_converged";
    out["message"] = failure->Message;
    if (failure->Last) result = &*failure->Last;
  } else {
    out["failure"] = py::none();
    out["message"] = py::none();
  }
  out["fitted_card"] = result != nullptr ? py::cast(result->Fitted) : py::none();
  return out;
}

}  // namespace

void BindFit(py::module_& m) {
  m.def("fit", &Fit, py::arg("base"), py::arg("card"), py::arg("measured"),
        py::arg("measured_source"), py::arg("cases"), py::arg("cases_source"), py::arg("fits"),
        py::arg("suggest"), py::arg("candidates"), py::arg("candidates_source"),
        py::arg("max_iterations"), py::arg("profile_intervals"));
}

}  // namespace vellmor::python
