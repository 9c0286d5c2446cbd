#pragma once

// How the line answers a small harmonic disturbance δ e^{iωt}: the same linearised operator
// (line_operator.h), driven at one boundary,
//
//   take-up      δV/V = δ at the take-up (a ripple of the roll's speed)
//   throughput   δV/V = δ at the spinneret with the cross-section held (the pump's pulsation
//                of the mass flow, δW/W = δ)
//
// and solved for the titre's relative amplitude at the take-up, the mass per length
// δ(ρA)/(ρA), per unit δ: its magnitude (the yarn's ripple per ripple of the cause) and phase.
// A slow ripple gives the steady lines' W / V_L: -1 for the roll, +1 for the pump.

#include <complex>
#include <span>
#include <string_view>
#include <vector>

#include "vellmor/stability/steady_line_grid.h"

namespace vellmor {

enum class Disturbance { kTakeUp, kThroughput };

// "take-up", "throughput".
std::string_view DisturbanceName(Disturbance disturbance);

struct TResponsePoint {
  double FrequencyHz = 0.0;
  std::complex<double> Gain;  // δ(ρA)/(ρA) at the take-up per unit δ
};

// On the fine grid of the line. Throws CalculationError at a frequency where the driven line
// has no solution (an eigenvalue on the imaginary axis).
std::vector<TResponsePoint> DisturbanceResponse(const TSteadyLineGrid& line,
                                                Disturbance disturbance,
                                                std::span<const double> frequencies_hz);

}  // namespace vellmor
