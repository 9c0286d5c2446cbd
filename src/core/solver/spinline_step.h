#pragma once

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/physics/cooling_air.h"
#include "vellmor/physics/pet_properties.h"
#include "vellmor/solver/spinline_profile.h"

namespace vellmor {

// The quench air at point p of the profile: its cross-section becomes profile.Area and the
// air temperature and heat transfer are stored as TA[p] and H[p]. The march does this for the
// start point of every step, the tension search for the last point of the accepted pass.
// Throws CalculationError before storing anything if the air values are not finite.
TAirCondition StorePointAir(int p, const TSpinCondition& condition, TSpinlineProfile& profile);

// One Runge–Kutta–Gill step of a pass, from point p to point p + 1: the quench air of point
// p (its cross-section becomes profile.Area, TA[p] and H[p]), then V, F, T, the properties and
// the diameter of point p + 1 and the report velocities of both points.
//
// Two ways to the same bits. StepOneStageAtATime evaluates the air, then the equations stage
// after stage, and checks for floating-point faults after the air and after the step, as the
// calculation is defined; it throws CalculationError at the first check that fails, having
// stored the air if that check passed. StepTogether takes the same operations in the order
// their inputs allow, so that the logarithms and exponentials of the air, the drag, the four
// stages and the new point's viscosity run in batches side by side, and beside the stages'
// arithmetic; it stores nothing until the step is free of faults. It returns false, having stored
// nothing, where a fault was raised; the caller then takes the step one stage at a time, which
// reports the fault as the calculation meets it.
void StepOneStageAtATime(int p, const TSpinCondition& condition, const PetMaterial& pet,
                         TSpinlineProfile& profile);
bool StepTogether(int p, const TSpinCondition& condition, const PetMaterial& pet,
                  TSpinlineProfile& profile);

}  // namespace vellmor
