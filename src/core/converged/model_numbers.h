#pragma once

// The numbers the converged model reads, in another arithmetic than double: the constants of
// the laws and the numbers of the condition, so that each may be seeded as a direction of
// dual numbers (dual.h). The tables say where each double has its place.

#include <array>
#include <cstddef>
#include <utility>

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/physics/spinline_constants.h"

namespace vellmor {

// Every member of TSpinlineConstants<Real>, in its order.
template <class Real>
inline constexpr std::array<Real TSpinlineConstants<Real>::*, 27> kConstantMembers{
    &TSpinlineConstants<Real>::DensityIntercept,
    &TSpinlineConstants<Real>::DensitySlope,
    &TSpinlineConstants<Real>::SpecificHeatIntercept,
    &TSpinlineConstants<Real>::SpecificHeatSlope,
    &TSpinlineConstants<Real>::ViscosityFactor,
    &TSpinlineConstants<Real>::IvExponent,
    &TSpinlineConstants<Real>::ActivationK,
    &TSpinlineConstants<Real>::SolidificationC,
    &TSpinlineConstants<Real>::SolidFactor,
    &TSpinlineConstants<Real>::SwellFactor,
    &TSpinlineConstants<Real>::SwellTemperatureK,
    &TSpinlineConstants<Real>::SwellReferenceK,
    &TSpinlineConstants<Real>::SwellShearRateExponent,
    &TSpinlineConstants<Real>::SwellReferenceIv,
    &TSpinlineConstants<Real>::SwellIvExponent,
    &TSpinlineConstants<Real>::HeatFactor,
    &TSpinlineConstants<Real>::VelocityAreaExponent,
    &TSpinlineConstants<Real>::CrossFlowFactor,
    &TSpinlineConstants<Real>::CrossFlowExponent,
    &TSpinlineConstants<Real>::DragFactor,
    &TSpinlineConstants<Real>::DragBaseExponent,
    &TSpinlineConstants<Real>::DragVelocityExponent,
    &TSpinlineConstants<Real>::InertiaFactor,
    &TSpinlineConstants<Real>::Pi,
    &TSpinlineConstants<Real>::QuarterPi,
    &TSpinlineConstants<Real>::KelvinOffset,
    &TSpinlineConstants<Real>::Gravity,
};
// A member more in the constants needs its row above.
static_assert(sizeof(TSpinlineConstants<double>) == 27 * sizeof(double));

// The constants in arithmetic Real, every derivative 0.
template <class Real>
TSpinlineConstants<Real> ConstantsOf(const TSpinlineConstants<double>& k) {
  TSpinlineConstants<Real> other{};
  for (std::size_t i = 0; i < kConstantMembers<double>.size(); ++i) {
    other.*kConstantMembers<Real>[i] = Real(k.*kConstantMembers<double>[i]);
  }
  return other;
}

template <class Real>
using TConstantMember = Real TSpinlineConstants<Real>::*;

// The place in TSpinlineConstants<Real> of a member of TSpinlineConstants<double>.
template <class Real>
TConstantMember<Real> ConstantMemberOf(TConstantMember<double> member) {
  for (std::size_t i = 0; i < kConstantMembers<double>.size(); ++i) {
    if (kConstantMembers<double>[i] == member) return kConstantMembers<Real>[i];
  }
  return nullptr;
}

// One zone's numbers of the condition.
template <class Real>
struct TZoneNumbers {
  Real EndPosition = 0.0;
  Real A1 = 0.0;
  Real A2 = 0.0;
  Real A3 = 0.0;
  Real AirVelocity = 0.0;
};

// The numbers of a condition that the converged model reads (all but the increment).
template <class Real>
struct TConditionNumbers {
  Real HoleDiameter = 0.0;
  Real Output = 0.0;
  Real TakeUpSpeed = 0.0;
  Real MeltTemperature = 0.0;
  Real IV = 0.0;
  std::array<TZoneNumbers<Real>, 4> Zones;  // 1 to 3; 0 unused

  // The number in here that is condition's number at address (a member of condition), or
  // null when the converged model does not read it.
  Real* At(const TSpinCondition& condition, const double* address) {
    const std::array<std::pair<const double*, Real*>, 5> top{{
        {&condition.HoleDiameter, &HoleDiameter},
        {&condition.Output, &Output},
        {&condition.TakeUpSpeed, &TakeUpSpeed},
        {&condition.MeltTemperature, &MeltTemperature},
        {&condition.IV, &IV},
    }};
    for (const auto& [plain, other] : top) {
      if (plain == address) return other;
    }
    for (std::size_t zone = 1; zone <= 3; ++zone) {
      const TZoneCondition& z = condition.Zones[static_cast<int>(zone)];
      TZoneNumbers<Real>& o = Zones[zone];
      const std::array<std::pair<const double*, Real*>, 5> rows{{
          {&z.EndPosition, &o.EndPosition},
          {&z.A1, &o.A1},
          {&z.A2, &o.A2},
          {&z.A3, &o.A3},
          {&z.AirVelocity, &o.AirVelocity},
      }};
      for (const auto& [plain, other] : rows) {
        if (plain == address) return other;
      }
    }
    return nullptr;
  }
};

// The condition's numbers in arithmetic Real, every derivative 0.
template <class Real>
TConditionNumbers<Real> ConditionNumbersOf(const TSpinCondition& c) {
  TConditionNumbers<Real> n;
  n.HoleDiameter = c.HoleDiameter;
  n.Output = c.Output;
  n.TakeUpSpeed = c.TakeUpSpeed;
  n.MeltTemperature = c.MeltTemperature;
  n.IV = c.IV;
  for (int zone = 1; zone <= 3; ++zone) {
    const TZoneCondition& z = c.Zones[zone];
    n.Zones[static_cast<std::size_t>(zone)] = {z.EndPosition, z.A1, z.A2, z.A3, z.AirVelocity};
  }
  return n;
}

}  // namespace vellmor
