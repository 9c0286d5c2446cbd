#pragma once

// The forward sensitivities of one pass of the converged solution: the pass followed again
// over the steps and pieces its trace recorded (adaptive_pass.h), its state in dual numbers
// whose directions are seeded with the parameters (and the spinneret tension), so that each
// Dormand–Prince step also integrates S' = ∂f/∂y S + ∂f/∂p for every direction at once. Where
// a piece ends, the derivatives jump as its end moves (dual_dopri5.h): at the glass point and
// the crystallization window's edge by the event's motion, at a zone end by the input that
// puts it there. The take-up end moves with zone 3's end: the state there is followed to it.
//
// A dual number's directions are a group of kDerivativeLanes parameters; the caller follows
// the pass once per group.

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "vellmor/converged/adaptive_pass.h"
#include "vellmor/converged/dual.h"
#include "vellmor/converged/model_numbers.h"
#include "vellmor/converged/structure_terms.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/physics/spinline_constants.h"

namespace vellmor {

inline constexpr int kDerivativeLanes = 8;
using TLaneDual = Dual<kDerivativeLanes>;
// V, F, T, the time and ψ (0 without the structure).
using TDualFilament = std::array<TLaneDual, 5>;

// The model of one pass with each number a dual number, seeded with the group's directions.
struct TDualPassModel {
  TSpinlineConstants<TLaneDual> K;
  std::optional<TStructureParametersOf<TLaneDual>> Structure;  // when the pass follows it
  // Its plain constants, against which the copy of the structure's laws is checked.
  const TStructureConstants* PlainStructure = nullptr;
  TConditionNumbers<TLaneDual> Condition;
  TLaneDual MassFlow;         // W (g/s)
  TLaneDual ViscosityFactor;  // f IV^e
  TDualFilament Start;        // the filament at the spinneret exit
};

// The filament at one position: V (cm/s), F (dyn), T (°C), D (cm), with the structure Δn and
// the crystallinity X.
struct TDualSample {
  TLaneDual V;
  TLaneDual F;
  TLaneDual T;
  TLaneDual D;
  TLaneDual Birefringence;
  TLaneDual Crystallinity;
};

struct TFollowedPass {
  TDualSample End;  // at the take-up end, as it moves
  TLaneDual EndTime;
  // The first solidification crossing, where it moves, and the filament there.
  bool Froze = false;
  TLaneDual FreezePoint;
  TDualSample FreezeState;
  TLaneDual FreezeStressMPa;
  std::vector<TDualSample> Samples;  // at fixed positions
  // With the structure: Δn as frozen in (at the end if never), f and X at take-up.
  TLaneDual Birefringence;
  TLaneDual Orientation;
  TLaneDual Crystallinity;
  // Whether the copy of the structure's laws gave their values where it was checked.
  bool StructureLawsAgree = true;
};

// Follows the traced pass of condition with model's numbers, sampling at sample_x (ascending,
// clamped to the line); each evaluation of the equations adds one to evaluations.
TFollowedPass FollowPass(const TPassTrace& trace, const TDualPassModel& model,
                         const TSpinCondition& condition, std::span<const double> sample_x,
                         long& evaluations);

}  // namespace vellmor
