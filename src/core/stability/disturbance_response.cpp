#include "vellmor/stability/disturbance_response.h"

#include <numbers>

#include "vellmor/physics/spinline_laws.h"
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
  const std::size_t end = line.Fine[last].Grid.X.size() - 1;
  const std::size_t area = op.Index(last, end, kArea);
  const std::size_t temperature = op.Index(last, end, kTemperature);
  // δ(ρA)/(ρA) = δA/A + (dρ/dT / ρ) δT, δT in the operator's 100 °C.
  const TSpinlineConstants<double>& k = line.Fine[last].Laws[end].K;
  const double density = laws::Density(k, line.Fine[last].U[end][kTemperature]);
  const double per_kelvin = -k.DensitySlope / density * 100.0;
  std::vector<TResponsePoint> response;
  for (const double hz : frequencies_hz) {
    const std::complex<double> s(0.0, 2.0 * std::numbers::pi * hz);
    const std::vector<std::complex<double>> u = SolveShifted(op.K, op.M, s, b);
    response.push_back({hz, u[area] + per_kelvin * u[temperature]});
  }
  return response;
}

}  // namespace vellmor
