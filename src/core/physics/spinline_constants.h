#pragma once

// The constants of the spinline's laws (spinline_laws.h), in the arithmetic of each model that
// uses them: data alone, which a model card holds and a program may read without the formulas.

namespace vellmor {

// The constants of the laws, in the arithmetic of the model that uses them.
template <class Real>
struct TSpinlineConstants {
  // PET
  Real DensityIntercept;       // g/cm³
  Real DensitySlope;           // g/(cm³·°C)
  Real SpecificHeatIntercept;  // cal/(g·°C)
  Real SpecificHeatSlope;      // cal/(g·°C²)
  Real ViscosityFactor;        // poise
  Real IvExponent;
  Real ActivationK;      // K
  Real SolidificationC;  // °C: below it the filament is solid (the glass transition)
  Real SolidFactor;      // the viscosity's factor there
  // die swell
  Real SwellFactor;
  Real SwellTemperatureK;
  Real SwellReferenceK;
  Real SwellShearRateExponent;
  Real SwellReferenceIv;
  Real SwellIvExponent;
  // heat transfer to the quench air
  Real HeatFactor;
  Real VelocityAreaExponent;
  Real CrossFlowFactor;
  Real CrossFlowExponent;
  // air drag
  Real DragFactor;
  Real DragBaseExponent;
  Real DragVelocityExponent;
  // momentum: the factor of the inertia term (1; 0 for a filament without inertia)
  Real InertiaFactor;
  // the solver's constants, shortened as the correlations were fitted with them
  Real Pi;
  Real QuarterPi;
  Real KelvinOffset;
  Real Gravity;  // cm/s²

  friend bool operator==(const TSpinlineConstants&, const TSpinlineConstants&) = default;
};

// The classical march's: decimal literals in extended precision. A double constant widened to
// long double is another number (2.84e-4 as a double is not 2.84e-4L), and the result file
// depends on it.
inline constexpr TSpinlineConstants<long double> kClassicalConstants{
    .DensityIntercept = 1.36L,
    .DensitySlope = 0.0005L,
    .SpecificHeatIntercept = 0.3L,
    .SpecificHeatSlope = 0.0006L,
    .ViscosityFactor = 0.273L,
    .IvExponent = 5.056L,
    .ActivationK = 6802.0L,
    .SolidificationC = 70.0L,
    .SolidFactor = 100.0L,
    .SwellFactor = 0.575L,
    .SwellTemperatureK = -3650.0L,
    .SwellReferenceK = 548.0L,
    .SwellShearRateExponent = 0.134L,
    .SwellReferenceIv = 0.61L,
    .SwellIvExponent = 0.85L,
    .HeatFactor = 1.37e-4L,
    .VelocityAreaExponent = 0.259L,
    .CrossFlowFactor = 8.0L,
    .CrossFlowExponent = 0.167L,
    .DragFactor = 2.84e-4L,
    .DragBaseExponent = 0.195L,
    .DragVelocityExponent = 1.195L,
    .InertiaFactor = 1.0L,
    .Pi = 3.1415926L,
    .QuarterPi = 0.78539815L,
    .KelvinOffset = 273.0L,
    .Gravity = 980.0L,
};

// The same constants as doubles: each narrows exactly to the double of its decimal literal (a
// test holds them to it).
constexpr TSpinlineConstants<double> Narrowed(const TSpinlineConstants<long double>& k) {
  const auto d = [](long double value) { return static_cast<double>(value); };
  return {d(k.DensityIntercept),
          d(k.DensitySlope),
          d(k.SpecificHeatIntercept),
          d(k.SpecificHeatSlope),
          d(k.ViscosityFactor),
          d(k.IvExponent),
          d(k.ActivationK),
          d(k.SolidificationC),
          d(k.SolidFactor),
          d(k.SwellFactor),
          d(k.SwellTemperatureK),
          d(k.SwellReferenceK),
          d(k.SwellShearRateExponent),
          d(k.SwellReferenceIv),
          d(k.SwellIvExponent),
          d(k.HeatFactor),
          d(k.VelocityAreaExponent),
          d(k.CrossFlowFactor),
          d(k.CrossFlowExponent),
          d(k.DragFactor),
          d(k.DragBaseExponent),
          d(k.DragVelocityExponent),
          d(k.InertiaFactor),
          d(k.Pi),
          d(k.QuarterPi),
          d(k.KelvinOffset),
          d(k.Gravity)};
}

// The converged model's built-in constants.
inline constexpr TSpinlineConstants<double> kBuiltInConstants = Narrowed(kClassicalConstants);

// The glass transition of PET (°C): below it the viscosity is a hundred times higher, the
// filament hardly draws any more and its structure is frozen in.
inline constexpr double kGlassTransition = kBuiltInConstants.SolidificationC;

}  // namespace vellmor
