// The keys of the card in its order, each with what it means, where the built-in value comes
// from (the correlations of the classical model, which its reference dialog shows) and the
// range in which its law means something.

#include <algorithm>
#include <span>

#include "vellmor/model_card/model_key.h"

namespace vellmor {
namespace {

using D = TSpinlineConstants<double>;
using L = TSpinlineConstants<long double>;
using S = TStructureConstants;

// The texts of a key.
constexpr TModelKey Described(std::string_view path, std::string_view meaning,
                              std::string_view source) {
  TModelKey key;
  key.Path = path;
  key.Meaning = meaning;
  key.Source = source;
  return key;
}

// A number of the spinline's laws, in both arithmetics.
constexpr TModelKey LineNumber(std::string_view path, std::string_view meaning,
                               std::string_view source, double D::*value, long double L::*extended,
                               TNumberRange range = kAnyNumber) {
  TModelKey key = Described(path, meaning, source);
  key.Range = range;
  key.Value = value;
  key.Extended = extended;
  return key;
}

// A number of the fibre's structure.
constexpr TModelKey StructureNumber(std::string_view path, std::string_view meaning,
                                    std::string_view source, double S::*structure,
                                    TNumberRange range = kAnyNumber) {
  TModelKey key = Described(path, meaning, source);
  key.Range = range;
  key.Structure = structure;
  return key;
}

// An end of the IV range where the laws hold.
constexpr TModelKey ValidityNumber(std::string_view path, std::string_view meaning,
                                   std::string_view source, double TIvRange::*end) {
  TModelKey key = Described(path, meaning, source);
  key.Range = Above(0);
  key.Validity = end;
  return key;
}

// A number of the bundle and its air.
constexpr TModelKey BundleNumber(std::string_view path, std::string_view meaning,
                                 std::string_view source, double TBundleConstants::*bundle,
                                 TNumberRange range) {
  TModelKey key = Described(path, meaning, source);
  key.Range = range;
  key.Bundle = bundle;
  return key;
}

// A choice of the fibre's structure, an enumeration of the names' indices.
template <class Enum, Enum S::*member>
constexpr TChoicePlace kStructureChoice{
    [](const TModelConstants& constants) {
      return static_cast<std::size_t>(constants.Structure.*member);
    },
    [](TModelConstants& constants, std::size_t index) {
      constants.Structure.*member = static_cast<Enum>(index);
    }};

template <class Enum, Enum S::*member>
constexpr TModelKey StructureChoice(std::string_view path, std::string_view meaning,
                                    std::string_view source,
                                    std::span<const std::string_view> names) {
  TModelKey key = Described(path, meaning, source);
  key.Kind = KeyKind::kChoice;
  key.Names = names;
  key.Choice = &kStructureChoice<Enum, member>;
  return key;
}

// In the order of BirefringenceLaw.
constexpr std::array<std::string_view, 2> kBirefringenceLaws{"linear", "saturating"};
static_assert(static_cast<std::size_t>(BirefringenceLaw::kSaturating) == 1);

// A switch of the fibre's structure.
constexpr TModelKey StructureSwitch(std::string_view path, std::string_view meaning,
                                    std::string_view source, bool S::*flag) {
  TModelKey key = Described(path, meaning, source);
  key.Kind = KeyKind::kBoolean;
  key.Switch = flag;
  return key;
}

}  // namespace

std::string_view TModelKey::Section() const {
  const std::size_t point = Path.find('.');
  return point == std::string_view::npos ? std::string_view() : Path.substr(0, point);
}

std::string_view TModelKey::Key() const {
  const std::size_t point = Path.find('.');
  return point == std::string_view::npos ? Path : Path.substr(point + 1);
}

const std::array<TModelKey, 45> kModelKeys{{
    LineNumber("density.intercept_g_cm3", "density at 0 °C (g/cm³)",
               "amorphous PET, extrapolated; 1.215 g/cm³ in a melt of 290 °C", &D::DensityIntercept,
               &L::DensityIntercept, Above(0)),
    LineNumber("density.slope_g_cm3_per_C", "fall of the density per °C (g/(cm³·°C))",
               "thermal expansion along PET's melt line", &D::DensitySlope, &L::DensitySlope),
    LineNumber("specific_heat.intercept_cal_g_C", "specific heat at 0 °C (cal/(g·°C))",
               "PET, extrapolated; 0.474 cal/(g·°C) at 290 °C", &D::SpecificHeatIntercept,
               &L::SpecificHeatIntercept, Above(0)),
    LineNumber("specific_heat.slope_cal_g_C_per_C",
               "rise of the specific heat per °C (cal/(g·°C²))",
               "PET's heat capacity, linear over the spinline's range", &D::SpecificHeatSlope,
               &L::SpecificHeatSlope),
    LineNumber("viscosity.factor_P", "factor of the Trouton viscosity (poise)",
               "fitted with the two below to PET melts; 6365 poise at IV 0.67 and 290 °C",
               &D::ViscosityFactor, &L::ViscosityFactor, Above(0)),
    LineNumber("viscosity.iv_exponent", "power of the intrinsic viscosity",
               "the melt's dependence on molecular weight, through IV", &D::IvExponent,
               &L::IvExponent),
    LineNumber("viscosity.activation_K", "activation temperature of flow (K)",
               "Arrhenius law of PET melt flow, about 56.6 kJ/mol", &D::ActivationK,
               &L::ActivationK),
    LineNumber("viscosity.solidification_C",
               "solidification temperature (°C); the freeze point is taken here",
               "the glass transition of PET", &D::SolidificationC, &L::SolidificationC,
               Above(-273, " °C")),
    LineNumber("viscosity.solid_factor",
               "the viscosity's factor below the solidification temperature",
               "the model's glassy filament, which hardly draws any more", &D::SolidFactor,
               &L::SolidFactor, Above(0)),
    ValidityNumber("viscosity.valid_iv_min", "lowest intrinsic viscosity the converged model takes",
                   "the card's laws taken to hold from textile to industrial grades; the "
                   "classical run keeps 0.61 to 0.9",
                   &TIvRange::Low),
    ValidityNumber("viscosity.valid_iv_max",
                   "highest intrinsic viscosity the converged model takes",
                   "the same range's upper end", &TIvRange::High),
    LineNumber("die_swell.factor", "factor of the swell ratio",
               "empirical swell of PET from a capillary; 1.765 for the default hole and melt",
               &D::SwellFactor, &L::SwellFactor, Above(0)),
    LineNumber("die_swell.temperature_K", "temperature constant of the swell (K)",
               "a hotter melt relaxes sooner and swells less", &D::SwellTemperatureK,
               &L::SwellTemperatureK),
    LineNumber("die_swell.reference_K", "reference melt temperature of the swell (K)",
               "548 K, a melt of 275 °C, where the temperature factor is 1", &D::SwellReferenceK,
               &L::SwellReferenceK, Above(0)),
    LineNumber("die_swell.shear_rate_exponent", "power of the wall shear rate in the hole (1/s)",
               "more shear, more elastic recovery", &D::SwellShearRateExponent,
               &L::SwellShearRateExponent),
    LineNumber("die_swell.reference_iv", "reference intrinsic viscosity of the swell",
               "the lowest IV the model admits", &D::SwellReferenceIv, &L::SwellReferenceIv,
               Above(0)),
    LineNumber("die_swell.iv_exponent", "power of IV over the reference IV",
               "longer chains, more elastic recovery", &D::SwellIvExponent, &L::SwellIvExponent),
    LineNumber("heat_transfer.factor", "factor of the heat-transfer coefficient (cal/(cm²·s·°C))",
               "forced convection from a thin filament running through air, in the model's units",
               &D::HeatFactor, &L::HeatFactor, AtLeast(0)),
    LineNumber("heat_transfer.velocity_area_exponent", "power of V/A (V in cm/s, A in cm²)",
               "the same correlation: a faster, thinner filament loses heat faster",
               &D::VelocityAreaExponent, &L::VelocityAreaExponent),
    LineNumber("heat_transfer.cross_flow_factor", "factor of the ratio of air to filament velocity",
               "the rise of heat transfer in a cross flow of quench air", &D::CrossFlowFactor,
               &L::CrossFlowFactor),
    LineNumber("heat_transfer.cross_flow_exponent", "power of the cross-flow term",
               "the same rise; the decimal 0.167, not 1/6", &D::CrossFlowExponent,
               &L::CrossFlowExponent),
    LineNumber("air_drag.factor", "factor of the air drag per length (dyn/cm)",
               "skin friction of the filament on the air, in the model's units", &D::DragFactor,
               &L::DragFactor, AtLeast(0)),
    LineNumber("air_drag.flow_exponent", "power of W/ρ, the volume flow (cm³/s)",
               "the same correlation, through the filament's size", &D::DragBaseExponent,
               &L::DragBaseExponent),
    LineNumber("air_drag.velocity_exponent", "power of the filament velocity (cm/s)",
               "drag grows a little faster than the velocity", &D::DragVelocityExponent,
               &L::DragVelocityExponent),
    LineNumber("momentum.inertia_factor", "factor of the inertia term W dV/dx of the tension",
               "Newton's second law; 0 for the classical filament without inertia",
               &D::InertiaFactor, &L::InertiaFactor, AtLeast(0)),
    LineNumber("gravity_cm_s2", "gravitational acceleration along the line (cm/s²)",
               "standard gravity as the model rounds it; 0 for a line without weight", &D::Gravity,
               &L::Gravity),
    StructureChoice<BirefringenceLaw, &S::Law>(
        "structure.birefringence_law",
        "the melt's birefringence under stress σ: saturating, bounded by the intrinsic "
        "birefringence, or linear, C σ",
        "saturating: PET's measured law; linear: the law of cards before version 3",
        kBirefringenceLaws),
    StructureNumber("structure.stress_optical_K_per_Pa",
                    "C_T of the saturating law Δn° (1 − exp(−C_T σ / (T Δn°))), σ in Pa, T in "
                    "K (K/Pa)",
                    "PET melts: 1.7e-6 K/Pa, a slope of 4.96 1/GPa at 70 °C; one of the two to "
                    "calibrate",
                    &S::StressOpticalKPerPa, AtLeast(0)),
    StructureNumber("structure.stress_optical_per_GPa",
                    "stress-optical coefficient of the linear law (1/GPa)",
                    "PET melts, measured 5 to 9 1/GPa; one of the two to calibrate",
                    &S::StressOpticalPerGPa, AtLeast(0)),
    StructureNumber("structure.intrinsic_birefringence",
                    "birefringence of a fully oriented amorphous phase", "PET's amorphous phase",
                    &S::IntrinsicBirefringence, Above(0)),
    StructureNumber("structure.rate_max_per_s",
                    "crystallization rate at its peak, unoriented (1/s)",
                    "Ziabicki's rate constants for PET", &S::RateMaxPerS, AtLeast(0)),
    StructureNumber("structure.rate_peak_C", "temperature of the fastest crystallization (°C)",
                    "Ziabicki's rate constants for PET", &S::RatePeakC),
    StructureNumber("structure.rate_half_width_C", "width of the rate at half its peak (°C)",
                    "Ziabicki's rate constants for PET", &S::RateHalfWidthC, Above(0)),
    StructureNumber("structure.orientation_factor",
                    "rise of the rate with orientation f, exp(factor f^2)",
                    "oriented PET crystallizes orders faster; one of the two to calibrate",
                    &S::OrientationFactor),
    StructureNumber("structure.upper_C", "no crystallization above this temperature (°C)",
                    "near PET's melting point", &S::UpperC),
    // Below 1 the rate of θ = 1 − exp(−ψⁿ) is infinite where crystallization starts.
    StructureNumber("structure.avrami_index", "Avrami index n of the Nakamura kinetics",
                    "1 for crystals growing along the fibre", &S::AvramiIndex, AtLeast(1)),
    StructureNumber("structure.ultimate_crystallinity",
                    "crystallinity of a fully transformed fibre", "PET crystallizes to about half",
                    &S::UltimateCrystallinity, FromTo(0, 1)),
    StructureNumber("structure.heat_of_fusion_cal_g", "heat of fusion of the crystals (cal/g)",
                    "140 J/g for PET's crystals", &S::HeatOfFusionCalG, AtLeast(0)),
    StructureSwitch(
        "structure.coupled", "true: the crystals stiffen the melt and their heat keeps it warm",
        "false: the structure only follows the line the rest of the model gives", &S::Coupled),
    BundleNumber("air.density_g_cm3", "density of the quench air (g/cm³)",
                 "dry air at 1 atm and 30 °C", &TBundleConstants::AirDensity, Above(0)),
    BundleNumber("air.specific_heat_cal_g_C", "specific heat of the quench air (cal/(g·°C))",
                 "dry air, 1.005 J/(g·K)", &TBundleConstants::AirSpecificHeat, Above(0)),
    // A whole number, which the card's laws check.
    BundleNumber("bundle.rows",
                 "rows of holes across the quench air's flow, row 1 at its inlet; 1: one filament",
                 "one filament, as the classical model", &TBundleConstants::Rows, FromTo(1, 1000)),
    BundleNumber("bundle.row_pitch_cm", "distance between rows along the air's flow (cm)",
                 "a spinneret with holes 6 mm apart; the air carries no delay, so no law reads it",
                 &TBundleConstants::RowPitchCm, Above(0)),
    BundleNumber("bundle.column_pitch_cm",
                 "distance w between neighbouring holes of one row, across the flow (cm)",
                 "the same spinneret; each filament warms the air of a strip this wide",
                 &TBundleConstants::ColumnPitchCm, Above(0)),
    BundleNumber(
        "bundle.drag_coefficient",
        "C_D of a filament in the cross flow: the air slows by exp(−C_D D / (2 w)) per row",
        "a thin cylinder at a Reynolds number of about 1", &TBundleConstants::DragCoefficient,
        AtLeast(0)),
}};

const TModelKey* FindModelKey(std::string_view path) {
  const auto found = std::find_if(kModelKeys.begin(), kModelKeys.end(),
                                  [path](const TModelKey& key) { return key.Path == path; });
  return found == kModelKeys.end() ? nullptr : &*found;
}

bool IsCardSection(std::string_view name) {
  return !name.empty() &&
         std::any_of(kModelKeys.begin(), kModelKeys.end(),
                     [name](const TModelKey& key) { return key.Section() == name; });
}

}  // namespace vellmor
