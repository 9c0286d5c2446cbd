#include "vellmor/stability/disturbance_response.h"

#include <numbers>

#include "vellmor/stability/pencil_spectrum.h"

namespace vellmor {

std::string_view DisturbanceName(Disturbance disturbance) {
  return disturbance == Disturbance::kTakeUp ? "take-up" : "throughput";
}

std::vector<TResponsePoint> DisturbanceResponse(const TSteadyLineGrid& line,
                                                Disturbance disturbance,
                                                std::span<const double> frequencies_hz) {
  const TLineOperator op = AssembleLineOperator(line.Fine);
  std::vector<double> b(op.K.Rows(), 0.0);
  // The driven row holds δV/V alone, scaled to 1: its right-hand side is δ.
  b[disturbance == Disturbance::kTakeUp ? op.TakeUpRow : op.ExitVelocityRow] = 1.0;
  const std::size_t last = line.Fine.size() - 1;
  const std::size_t area = op.Index(last, line.Fine[last].Grid.X.size() - 1, kArea);
  std::vector<TResponsePoint> response;
  for (const double hz : frequencies_hz) {
    const std::complex<double> s(0.0, 2.0 * std::numbers::pi * hz);
    response.push_back({hz, SolveShifted(op.K, op.M, s, b)[area]});
  }
  return response;
}

}  // namespace vellmor
