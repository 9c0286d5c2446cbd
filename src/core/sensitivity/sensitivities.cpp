#include "vellmor/sensitivity/sensitivities.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/base/run_error.h"
#include "vellmor/converged/converged_numbers.h"
#include "vellmor/inputs/input_fields.h"

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

}  // namespace

TSensitivities ComputeSensitivities(const TSpinCondition& condition, const TModelConstants& model,
                                    const TConvergedSolution& base) {
  TSensitivities sensitivities;
  // Every input that the converged model reads (the increment is the march's alone).
  for (const TInputField& field : kInputFields) {
    if (!field.Numeric() || field.MarchOnly) continue;
    sensitivities.Parameters.push_back({field.Key, false, field.ValueIn(condition), &field});
  }
  for (const TModelKey& key : kModelKeys) {
    // The valid IV's range changes no law.
    if (!key.IsNumber() || key.IsValidity()) continue;
    // One-way, the structure is computed along the line and changes none of its results.
    if (key.IsStructure() && !model.Structure.Coupled) continue;
    sensitivities.Parameters.push_back({key.Path, true, ModelValue(model, key)});
  }
  const TOutputValues at_base = OutputsOf(base, condition, model);
  for (auto& row : sensitivities.Elasticity) row.resize(sensitivities.Parameters.size());

  TConvergedOptions options;
  options.Start = TConvergedOptions::TStart{base.SpinneretTension, base.ResidualSlope};
  // Differences over 2h see nothing of the unpolished root's 1e-12; the polishing pass would
  // add a quarter to their work.
  options.Polish = false;
  for (std::size_t j = 0; j < sensitivities.Parameters.size(); ++j) {
    const TSensitivityParameter& parameter = sensitivities.Parameters[j];
    if (parameter.Value == 0.0) {
      for (std::size_t i = 0; i < at_base.size(); ++i) {
        if (at_base[i]) sensitivities.Elasticity[i][j] = 0.0;
      }
      continue;
    }
    // The two neighbours: the parameter times 1 ± h, everything else as in base.
    std::array<TOutputValues, 2> sides;
    try {
      for (int side = 0; side < 2; ++side) {
        const double value =
            parameter.Value * (side == 0 ? 1.0 + kSensitivityStep : 1.0 - kSensitivityStep);
        TSpinCondition neighbour = condition;
        options.Model = model;
        if (parameter.OnCard) {
          SetModelValue(options.Model, *FindModelKey(parameter.Name), value);
        } else {
          parameter.Input->Of(neighbour) = value;
        }
        sides[static_cast<std::size_t>(side)] =
            OutputsOf(SolveConverged(neighbour, options), neighbour, options.Model);
      }
    } catch (const CalculationError& error) {
      sensitivities.Failures.push_back(std::string(parameter.Name) + ": " + error.what());
      continue;
    }
    for (std::size_t i = 0; i < at_base.size(); ++i) {
      if (!at_base[i] || *at_base[i] == 0.0 || !sides[0][i] || !sides[1][i]) continue;
      sensitivities.Elasticity[i][j] =
          (*sides[0][i] - *sides[1][i]) / (2.0 * kSensitivityStep * *at_base[i]);
    }
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
