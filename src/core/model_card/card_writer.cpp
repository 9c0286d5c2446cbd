// Writing a model card: every key of the table in its order, with its value, what it means and
// where the built-in value comes from, under a comment with each section's law.

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <string>

#include "vellmor/model_card/model_card.h"

namespace vellmor {
namespace {

// What each section's law is, for the card's comments.
std::string_view LawOf(std::string_view section) {
  if (section == "density") return "rho = intercept - slope T";
  if (section == "specific_heat") return "Cp = intercept + slope T";
  if (section == "viscosity") {
    return "Trouton viscosity = factor IV^iv_exponent exp(activation / (T + 273)),\n"
           "# times solid_factor below solidification_C";
  }
  if (section == "die_swell") {
    return "swell = factor exp(temperature (1/reference - 1/(Tm + 273)))\n"
           "#         SR^shear_rate_exponent (IV/reference_iv)^iv_exponent";
  }
  if (section == "heat_transfer") {
    return "h = factor (V/A)^velocity_area_exponent\n"
           "#     (1 + (cross_flow_factor Va/V)^2)^cross_flow_exponent";
  }
  if (section == "air_drag") {
    return "drag per length = factor (W/rho)^flow_exponent V^velocity_exponent";
  }
  if (section == "momentum") return "inertia per length = inertia_factor W dV/dx";
  if (section == "structure") {
    return "the fibre's structure (vellmor-cli solve --structure), sigma = F rho V / W:\n"
           "# birefringence while molten, frozen at viscosity.solidification_C: saturating,\n"
           "#   intrinsic (1 - exp(-stress_optical_K_per_Pa sigma / ((T + 273) intrinsic)))\n"
           "#   with sigma in Pa; linear, stress_optical_per_GPa 1e-10 sigma in dyn/cm2;\n"
           "# orientation f = birefringence / intrinsic;\n"
           "# K = rate_max exp(-4 ln2 ((T - rate_peak) / rate_half_width)^2)\n"
           "#     exp(orientation_factor f^2) between solidification_C and upper_C;\n"
           "# psi = integral of K / V dx, crystallinity = ultimate (1 - exp(-psi^avrami))";
  }
  if (section == "air") {
    return "the quench air that carries a bundle's heat from row to row (vellmor-cli bundle)";
  }
  if (section == "bundle") {
    return "a bundle of rows across the cross flow (vellmor-cli bundle): behind row i,\n"
           "# Ta,i+1 = Ta,i + q_i / (air.density air.specific_heat Ua,i column_pitch),\n"
           "# Ua,i+1 = Ua,i exp(-drag_coefficient D_i / (2 column_pitch)), q_i = pi D h (T - Ta)";
  }
  return "weight per length = W g / V";
}

// Where the comments of a constant start.
constexpr std::size_t kCommentColumn = 44;

}  // namespace

std::string ModelCardYaml(const ModelCard& card) {
  YAML::Emitter name;
  name << card.Name();
  std::string yaml =
      "# Vellmor model card: every constant of the converged spinline model, one section per\n"
      "# law, the unit in each key. T is the filament temperature and Tm the melt's (°C), V the\n"
      "# filament velocity and Va the air's (cm/s), A the cross-section (cm²), W the mass flow\n"
      "# (g/s), SR the wall shear rate in the hole (1/s). Change a value, then\n"
      "# vellmor-cli solve --model THIS-FILE. A key left out keeps its built-in value.\n"
      "version: " +
      std::to_string(kModelCardVersion) + "\nname: " + std::string(name.c_str()) + "\n";
  std::string_view section;
  for (const TModelKey& key : kModelKeys) {
    if (key.Section() != section || key.Section().empty()) {
      section = key.Section();
      yaml += "\n# " + std::string(LawOf(section)) + "\n";
      if (!section.empty()) yaml += std::string(section) + ":\n";
    }
    std::string line =
        (section.empty() ? "" : "  ") + std::string(key.Key()) + ": " + card.Text(key);
    line.resize(std::max(line.size() + 1, kCommentColumn), ' ');
    yaml += line + "# " + std::string(key.Meaning) + ";\n" + std::string(kCommentColumn, ' ') +
            "# " + std::string(key.Source) + "\n";
  }
  if (card.Uncertainty()) yaml += UncertaintyYaml(*card.Uncertainty());
  return yaml;
}

}  // namespace vellmor
