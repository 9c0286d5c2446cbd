#pragma once

// Which knob matters: the elasticity ∂ln y/∂ln p of six results y of the converged model with
// respect to every numeric input and every card constant p,
//
//   E = (p / y) dy/dp,
//
// dy/dp the exact derivative of the converged solution (converged_derivatives.h): the forward
// sensitivities integrated over the solution's own steps, with their jumps where the freeze
// point, the crystallization window's edge or a zone end moves, and the shooting's dF0/dp.
// They are right to about the integration's tolerance (1e-8 per step): six significant
// digits or better for every E, against the three of differences, at the cost of about one
// pass per eight parameters. A parameter at zero has E = 0.
//
// Where a derivative is not exact (a constant of a coupled structure whose laws its copy for
// the derivatives does not follow, or derivatives that could not be formed at all), central
// differences of neighbouring converged solutions take its place,
//
//   E = (y(p (1 + h)) − y(p (1 − h))) / (2 h y(p)),
//
// right to three significant digits or better for every E above 1e-3 (the truncation
// h²/6 ∂³ln y/∂(ln p)³, about 1e-5 of E at h = 0.1 %, plus the solutions' own noise over 2h,
// near 1e-6 in E); smaller ones to about 1e-6 absolute.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {

// The results, by their process-number keys.
inline constexpr std::array<std::string_view, 6> kSensitivityOutputs{
    "spinneret_tension_dyn", "take_up_tension_dyn", "freeze_point_cm",
    "freeze_stress_MPa",     "final_temperature_C", "final_diameter_um"};

// The relative step h of the central differences (also the fit's step in its variables where
// it takes differences).
inline constexpr double kSensitivityStep = 1e-3;

struct TInputField;

struct TSensitivityParameter {
  std::string_view Name;  // the input's key ("take_up_speed") or a card key
  bool OnCard = false;
  double Value = 0.0;                  // in the condition or on the card
  const TInputField* Input = nullptr;  // the input it is, unless OnCard
};

struct TSensitivities {
  std::vector<TSensitivityParameter> Parameters;  // the inputs, then the card's constants
  // Elasticity[output][parameter]: nullopt where the output has no value (no freeze point, or
  // one at the spinneret) or a neighbouring solution failed.
  std::array<std::vector<std::optional<double>>, kSensitivityOutputs.size()> Elasticity;
  // Why a neighbouring solution failed, one line per parameter: "zone1_end: Converged …".
  std::vector<std::string> Failures;
};

// The elasticities around base, the converged solution of condition with model. Each
// neighbouring solution starts its shooting from base's spinneret tension.
TSensitivities ComputeSensitivities(const TSpinCondition& condition, const TModelConstants& model,
                                    const TConvergedSolution& base);

// The parameters in the order of |E| for output (an index of kSensitivityOutputs), largest
// first; those without a value last.
std::vector<std::size_t> ByMagnitude(const TSensitivities& sensitivities, std::size_t output);

}  // namespace vellmor
