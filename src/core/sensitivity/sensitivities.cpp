// The elasticities E = (p / y) dy/dp from the exact derivatives of the converged solution
// (converged_derivatives.h), the central differences only where a derivative is not exact.

#include "vellmor/sensitivity/sensitivities.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/base/run_error.h"
#include "vellmor/converged/converged_derivatives.h"
#include "vellmor/converged/converged_numbers.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/physics/units.h"

namespace vellmor {
namespace {

using TOutputValues = std::array<std::optional<double>, kSensitivityOutputs.size()>;

TOutputValues OutputsOf(const TConvergedSolution& solution, const TSpinCondition& condition,
                        const TModelConstants& model) {
  const TProcessNumbers numbers = ProcessNumbersOf(solution, condition, model.Laws);
  TOutputValues values;
  for (std::size_t i = 0; i < kSensitivityOutputs.size(); ++i) {
    values[i] = ProcessNumberInfo(kSensitivityOutputs[i]).Value(numbers);
  }
  // A freeze point at the spinneret has no relative change.
  if (numbers.Freeze && numbers.Freeze->PositionCm == 0.0) values[2] = values[3] = std::nullopt;
  return values;
}

// dy/dp of the outputs, in their units, in the order of kSensitivityOutputs.
TOutputValues OutputDerivatives(const TSolutionDerivative& d) {
  TOutputValues values{d.SpinneretTension, d.TakeUpTension,    std::nullopt,
                       std::nullopt,       d.FinalTemperature, d.FinalDiameter * kMicrometresPerCm};
  if (d.FreezePoint) {
    values[2] = *d.FreezePoint;
    values[3] = d.FreezeStressMPa;
  }
  return values;
}

// The exact derivatives, or none where they cannot be formed.
std::optional<TConvergedDerivatives> ExactDerivatives(
    const TSpinCondition& condition, const TModelConstants& model, const TConvergedSolution& base,
    std::span<const TConvergedParameter> parameters) {
  TConvergedOptions options;
  options.Model = model;
  try {
    return DerivativesOf(condition, options, base, parameters);
  } catch (const CalculationError&) {
    return std::nullopt;
  }
}

// The elasticities by central differences, E = (y(p (1 + h)) − y(p (1 − h))) / (2 h y(p)),
// each neighbour started from base; false, with the failure, where one cannot be solved.
bool ByDifferences(const TSpinCondition& condition, const TModelConstants& model,
                   const TConvergedSolution& base, const TConvergedParameter& parameter,
                   const TOutputValues& at_base, TOutputValues& elasticity,
                   std::vector<std::string>& failures) {
  TConvergedOptions options;
  options.Start = TConvergedOptions::TStart{base.SpinneretTension, base.ResidualSlope};
  // Differences over 2h see nothing of the unpolished root's 1e-12; the polishing pass would
  // add a quarter to their work.
  options.Polish = false;
  const double value = parameter.ValueIn(condition, model);
  std::array<TOutputValues, 2> sides;
  try {
    for (int side = 0; side < 2; ++side) {
      TSpinCondition neighbour = condition;
      options.Model = model;
      parameter.Set(neighbour, options.Model,
                    value * (side == 0 ? 1.0 + kSensitivityStep : 1.0 - kSensitivityStep));
      sides[static_cast<std::size_t>(side)] =
          OutputsOf(SolveConverged(neighbour, options), neighbour, options.Model);
    }
  } catch (const CalculationError& error) {
    failures.push_back(std::string(parameter.Name()) + ": " + error.what());
    return false;
  }
  for (std::size_t i = 0; i < at_base.size(); ++i) {
    if (!at_base[i] || *at_base[i] == 0.0 || !sides[0][i] || !sides[1][i]) continue;
    elasticity[i] = (*sides[0][i] - *sides[1][i]) / (2.0 * kSensitivityStep * *at_base[i]);
  }
  return true;
}

}  // namespace

TSensitivities ComputeSensitivities(const TSpinCondition& condition, const TModelConstants& model,
                                    const TConvergedSolution& base) {
  // Every input that the converged model reads (the increment is the march's alone), then the
  // card's numbers. One-way, the structure is computed along the line and changes none of
  // its results.
  const std::vector<TConvergedParameter> parameters = ConvergedParameters(model.Structure.Coupled);
  TSensitivities sensitivities;
  for (const TConvergedParameter& parameter : parameters) {
    sensitivities.Parameters.push_back({parameter.Name(), parameter.OnCard(),
                                        parameter.ValueIn(condition, model), parameter.Input});
  }
  const TOutputValues at_base = OutputsOf(base, condition, model);
  for (auto& row : sensitivities.Elasticity) row.resize(parameters.size());

  const std::optional<TConvergedDerivatives> exact =
      ExactDerivatives(condition, model, base, parameters);
  for (std::size_t j = 0; j < parameters.size(); ++j) {
    const double p = sensitivities.Parameters[j].Value;
    TOutputValues elasticity;
    if (p == 0.0) {
      for (std::size_t i = 0; i < at_base.size(); ++i) {
        if (at_base[i]) elasticity[i] = 0.0;
      }
    } else if (exact && exact->Of[j].Covered) {
      const TOutputValues slope = OutputDerivatives(exact->Of[j]);
      for (std::size_t i = 0; i < at_base.size(); ++i) {
        if (!at_base[i] || *at_base[i] == 0.0 || !slope[i]) continue;
        elasticity[i] = *slope[i] * p / *at_base[i];
      }
    } else if (!ByDifferences(condition, model, base, parameters[j], at_base, elasticity,
                              sensitivities.Failures)) {
      continue;
    }
    for (std::size_t i = 0; i < at_base.size(); ++i) sensitivities.Elasticity[i][j] = elasticity[i];
  }
  return sensitivities;
}

std::vector<std::size_t> ByMagnitude(const TSensitivities& sensitivities, std::size_t output) {
  const auto& row = sensitivities.Elasticity[output];
  std::vector<std::size_t> order(row.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&row](std::size_t a, std::size_t b) {
    if (!row[a] || !row[b]) return row[a].has_value() && !row[b].has_value();
    return std::fabs(*row[a]) > std::fabs(*row[b]);
  });
  return order;
}

}  // namespace vellmor
