#pragma once

#include <cstddef>
#include <optional>

#include "vellmor/converged/spinline_equations.h"
#include "vellmor/converged/state_layout.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/physics/cooling_air.h"
#include "vellmor/physics/pet_properties.h"
#include "vellmor/physics/spinline_laws.h"
#include "vellmor/structure/structure_laws.h"

namespace vellmor {

// Where one filament's components sit in the state of the converged solution, consecutive
// from Base: velocity V (cm/s), tension F (dyn), temperature T (°C), the time the filament has
// taken from the spinneret (s), a quadrature (dt/dx = 1/V) that no equation depends on, and
// with the structure Nakamura's integral ψ of the crystallization rate (dψ/dx = K/V).
struct TFilamentBlock {
  std::size_t Base = 0;
  bool WithPsi = false;

  std::size_t Velocity() const { return Base; }
  std::size_t Tension() const { return Base + 1; }
  std::size_t Temperature() const { return Base + 2; }
  std::size_t Time() const { return Base + 3; }
  std::size_t Psi() const { return WithPsi ? Base + 4 : kNoComponent; }
};

// Declares one filament's block at the end of layout: V, F and T under error control; the
// time, which follows from the others to the same order and needs no step of its own; and
// with the structure ψ under error control too, its absolute tolerance a thousandth of theirs
// (ψ is a fraction of 1, a tenth at the end of a fast line and a hundredth at the onset).
TFilamentBlock DeclareFilament(TStateLayout& layout, bool with_structure);

// How the fibre's structure takes part in one stretch of the line.
struct TStructureMode {
  const TStructureConstants* Constants = nullptr;  // null: the structure is not computed
  bool InWindow = false;  // between the solidification and the upper temperature: crystallizing
  // The birefringence frozen in where the filament first solidified; until then it follows
  // the stress.
  std::optional<double> FrozenBirefringence;
};

// The air of the zone that holds position x (cm): zone 1 before the end of zone 1, zone 2
// before the end of zone 2, zone 3 (with zone 2's air-temperature equation) after. A zone end
// itself belongs to the next zone.
TZoneAir ZoneAirAt(const TSpinCondition& condition, double x);
// The number of that zone: 1, 2 or 3.
int ZoneAt(const TSpinCondition& condition, double x);

// The filament and its air at one point, with every coefficient of the local state.
using TLocalPoint = TLocalPointOf<double>;

// The spinline equations with every coefficient taken from the state and position where they
// are evaluated, in double precision: the system of the converged solution, the laws of
// spinline_laws.h with constants k. One instance
// covers one stretch of the line without a discontinuity: one cooling zone, and one side of
// the glass point (the viscosity branch is fixed, so that a step that ends just below 70 °C
// does not switch it halfway; the driver finds the crossing and restarts), and with the
// structure one side of the crystallization window's upper edge.
class LocalSpinlineSystem {
 public:
  // filament: where the state holds the filament (its ψ declared when the structure is
  // given); iv: intrinsic viscosity; mass_flow in g/s; glassy: the viscosity below the glass
  // point. Every evaluation adds one to *evaluations when it is not null. air: the zone's air
  // as filaments upstream left it (null: the zone's own). k, the structure's constants and
  // the air must outlive the system.
  LocalSpinlineSystem(const TFilamentBlock& filament, double iv, double mass_flow,
                      const TZoneAir& zone, bool glassy, long* evaluations = nullptr,
                      const TSpinlineConstants<double>& k = kBuiltInConstants,
                      const TStructureMode& structure = {}, const TAirAlongZone* air = nullptr);

  // The coefficients at state y and position x (cm).
  TLocalPoint PointAt(const TState& y, double x) const;

  // dV/dx, dF/dx, dT/dx, dψ/dx and dt/dx at state y and position x, into the filament's
  // components of dydx (the others are left as they are), in odeint's form of a system.
  void operator()(const TState& y, TState& dydx, double x) const;

 private:
  TFilamentBlock filament_;
  TSpinlineEquations<double, TStructureConstants> equations_;
  long* evaluations_;
};

}  // namespace vellmor
