#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/inputs/spinline_points.h"

namespace vellmor {

// One range check: its message, and the name scripts know it by, the key of the input it checks.
struct TInputCheck {
  std::string_view Name;
  std::string_view Message;
};

// The thirteen range checks in their fixed order. Still air (a velocity of 0) is allowed;
// every length, speed and temperature must be strictly positive.
inline constexpr std::array<TInputCheck, 13> kRangeChecks{{
    {"hole_diameter", "Value of Hole Diameter is not correct"},
    {"polymer_output", "Value of Output is not correct"},
    {"take_up_speed", "Value of Take-up Speed is not correct"},
    {"melt_temperature", "Value of Polymer Melt Temperature is not correct"},
    {"zone1_end", "Value of 1st Zone End Position is not correct"},
    {"zone2_end", "Value of 2nd Zone End Position is not correct"},
    {"zone3_end", "Value of 3rd Zone End Position is not correct"},
    {"zone1_air_velocity", "Value of 1st Zone Air Velocity is not correct"},
    {"zone2_air_velocity", "Value of 2nd Zone Air Velocity is not correct"},
    {"zone3_air_velocity", "Value of 3rd Zone Air Velocity is not correct"},
    {"iv", "IV is not in the proper range of value"},
    {"increment", "Value of Increment is not correct"},
    {"save_file", "Save File Name is not correct"},
}};

// The intrinsic viscosities the converged model admits, both ends included: the valid range a
// model card declares (the built-in card's 0.5 to 1.3), in place of the window's 0.61 to 0.9.
struct TIvRange {
  double Low = 0.5;
  double High = 1.3;

  friend bool operator==(const TIvRange&, const TIvRange&) = default;
};

// What a converged IV's refusal says after the IV: "IV 1.4 is outside the card's valid range
// 0.5 to 1.3".
inline constexpr std::string_view kIvOutsideValidRange = " is outside the card's valid range ";

// The check a refusal's message is from: a range check's name ("iv" also for the converged
// model's refusal of an IV outside the card's range), "number" for a text that is not a number,
// "too_many_points" or "too_few_points" for a profile that does not fit; empty for any other
// message.
std::string_view CheckNameOf(std::string_view message);

// The thirteen range checks in their fixed order: the message of the first one that fails,
// or nullopt when all pass.
std::optional<std::string_view> FailedCheck(const TSpinCondition& condition);

// The thirteen checks for the converged model: the same, but IV within iv rather than the
// window's range, refused with the value and the range. The message of the first one that
// fails, or nullopt when all pass.
std::optional<std::string> FailedConvergedCheck(const TSpinCondition& condition,
                                                const TIvRange& iv);

// The refusal of a profile that does not fit the solver (more than MaxPoints points or fewer
// than two), or nullopt when it fits. Made after the thirteen checks.
std::optional<std::string_view> FailedPointCount(const TSpinCondition& condition);

}  // namespace vellmor
