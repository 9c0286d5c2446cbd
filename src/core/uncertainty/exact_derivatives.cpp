#include "vellmor/uncertainty/exact_derivatives.h"

#include <exception>
#include <string_view>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/converged/converged_derivatives.h"
#include "vellmor/physics/numerics.h"

namespace vellmor::uncertainty {
namespace {

constexpr double kMetresPerMinutePerCmPerS = 0.6;

// d/dp of the process number of key; nullopt for one without an exact derivative.
std::optional<double> ProcessDerivative(std::string_view key, const TSolutionDerivative& d,
                                        const TConvergedSolution& s) {
  if (key == "freeze_point_cm") return d.FreezePoint;
  if (key == "freeze_velocity_m_min") {
    return d.FreezePoint ? std::optional(d.FreezeState.V * kMetresPerMinutePerCmPerS)
                         : std::nullopt;
  }
  if (key == "freeze_tension_dyn") {
    return d.FreezePoint ? std::optional(d.FreezeState.F) : std::nullopt;
  }
  if (key == "freeze_stress_MPa") {
    return d.FreezePoint ? std::optional(d.FreezeStressMPa) : std::nullopt;
  }
  if (key == "take_up_tension_dyn") return d.TakeUpTension;
  if (key == "fineness_dtex" || key == "fineness_denier") return 0.0;  // of the inputs alone
  if (key == "draw_down_ratio") {
    const double ratio = s.FinalVelocity / s.ExitVelocity;
    return (d.FinalVelocity - ratio * d.ExitVelocity) / s.ExitVelocity;
  }
  if (key == "residence_time_s") return d.ResidenceTime;
  if (key == "final_diameter_um") return d.FinalDiameter * kMicrometresPerCm;
  if (key == "final_temperature_C") return d.FinalTemperature;
  if (key == "spinneret_tension_dyn") return d.SpinneretTension;
  return std::nullopt;
}

// d/dp of the profile's columns at one sample, in the answers' order of columns.
void AddSample(std::vector<TFlat>& columns, std::size_t s, const TSampleDerivative& d,
               const TConvergedSample& at, bool structure, double d_intrinsic, double intrinsic) {
  columns[0][s] = 0.0;  // x
  columns[1][s] = d.V * kMetresPerMinutePerCmPerS;
  columns[2][s] = d.F;
  columns[3][s] = d.T;
  columns[4][s] = d.D * kMicrometresPerCm;
  columns[5][s] = 0.0;  // the air's temperature is the zone's, whatever the filament does
  if (!structure) return;
  // σ = F / (π/4 D²): dσ/σ = dF/F − 2 dD/D.
  columns[7][s] = at.F != 0.0 && at.D != 0.0 ? at.Stress * (d.F / at.F - 2.0 * d.D / at.D) : 0.0;
  columns[8][s] = d.Birefringence;
  // f = min(Δn/Δn°, 1).
  columns[9][s] =
      at.Orientation < 1.0
          ? d.Birefringence / intrinsic - at.Birefringence * d_intrinsic / (intrinsic * intrinsic)
          : 0.0;
  columns[10][s] = d.Crystallinity;
}

}  // namespace

std::optional<std::vector<TFlat>> ExactDerivatives(const TUncertainCase& solved,
                                                   const TScaledConstants& constants,
                                                   const TAnswers& base, std::string& why) {
  const TConvergedSolution& solution = *solved.Solution;
  std::vector<TConvergedParameter> parameters;
  for (const TModelKey* key : constants.Keys) parameters.push_back({nullptr, key});
  TConvergedDerivatives derivatives;
  try {
    derivatives = DerivativesOf(*solved.Condition, *solved.Options, solution, parameters);
  } catch (const std::exception& error) {
    why = error.what();
    return std::nullopt;
  }
  const bool structure = solution.Structure.has_value();
  const double intrinsic = solved.Options->Model.Structure.IntrinsicBirefringence;
  std::vector<TFlat> out;
  for (std::size_t i = 0; i < constants.Keys.size(); ++i) {
    const TSolutionDerivative& d = derivatives.Of[i];
    if (!d.Covered || (structure && !d.Structure) || d.Profile.size() != solution.Profile.size()) {
      why = "no exact derivative with respect to " + std::string(constants.Keys[i]->Path);
      return std::nullopt;
    }
    // dy/du = dy/dp · dp/du, p = e^u on a logarithm's scale.
    const double scale =
        constants.Log[i] ? ModelValue(solved.Options->Model, *constants.Keys[i]) : 1.0;
    TAnswerSet<std::optional<double>> set;
    for (const TProcessNumberInfo& info : kProcessNumberTable) {
      set.Process.push_back(ProcessDerivative(info.Key, d, solution));
    }
    if (structure) {
      // The onset of crystallization has no exact derivative.
      const TStructureDerivative& st = *d.Structure;
      set.Structure = {st.Birefringence, st.Orientation, st.Crystallinity, std::nullopt};
    }
    set.Profile.assign(base.Profile.size(), TFlat(solution.Profile.size()));
    const double d_intrinsic =
        constants.Keys[i]->Structure == &TStructureConstants::IntrinsicBirefringence ? 1.0 : 0.0;
    for (std::size_t s = 0; s < solution.Profile.size(); ++s) {
      AddSample(set.Profile, s, d.Profile[s], solution.Profile[s], structure, d_intrinsic,
                intrinsic);
    }
    TFlat flat = set.Flat();
    for (std::optional<double>& value : flat) {
      if (value) *value *= scale;
    }
    out.push_back(std::move(flat));
  }
  return out;
}

}  // namespace vellmor::uncertainty
