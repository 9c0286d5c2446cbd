#include "vellmor/bundle/bundle_air.h"

#include <cassert>
#include <cmath>

#include "vellmor/converged/local_spinline_system.h"

namespace vellmor {
namespace {

// Nodes about this far apart (cm): the heat a filament gives up bends over centimetres, and
// the spline's error falls as the fourth power of the spacing.
constexpr double kNodeSpacing = 0.1;
constexpr int kFewestIntervals = 32;

// The zone's own air temperature at x, as the converged equations take it.
double ZoneTemperature(const TZoneAir& air, double x) {
  return air.A1 == 0.0 ? air.A3 : laws::AirTemperature(air.A1, air.A2, air.A3, x);
}

}  // namespace

std::vector<TAirZoneNodes> AirNodes(const TSpinCondition& condition) {
  std::vector<TAirZoneNodes> nodes;
  double start = 0.0;
  for (int zone = 1; zone <= 3; ++zone) {
    const double end = std::max(start, condition.Zones[zone].EndPosition);
    if (condition.Zones[zone].AirVelocity != 0.0 && end > start) {
      // An even number of intervals, for Simpson's rule over the table.
      int intervals = static_cast<int>(std::ceil((end - start) / kNodeSpacing));
      intervals = std::max(intervals + intervals % 2, kFewestIntervals);
      TAirZoneNodes zone_nodes{zone, {}};
      zone_nodes.X.reserve(static_cast<std::size_t>(intervals) + 1);
      for (int i = 0; i <= intervals; ++i) {
        zone_nodes.X.push_back(i == intervals ? end : start + (end - start) * i / intervals);
      }
      nodes.push_back(std::move(zone_nodes));
    }
    start = end;
  }
  return nodes;
}

std::vector<double> AllNodes(const std::vector<TAirZoneNodes>& nodes) {
  std::vector<double> x;
  for (const TAirZoneNodes& zone : nodes) x.insert(x.end(), zone.X.begin(), zone.X.end());
  return x;
}

TRowAir InletAir(const TSpinCondition& condition, const std::vector<TAirZoneNodes>& nodes) {
  TRowAir air;
  for (const TAirZoneNodes& zone : nodes) {
    const TZoneAir own = ZoneAir(condition, zone.Zone);
    std::vector<double>& temperature = air.Temperature.emplace_back();
    for (const double x : zone.X) temperature.push_back(ZoneTemperature(own, x));
    air.Velocity.emplace_back(zone.X.size(), own.AirVelocity);
  }
  return air;
}

TLocalAir LocalAirOf(const TSpinCondition& condition, const std::vector<TAirZoneNodes>& nodes,
                     const TRowAir& air) {
  TLocalAir local;
  for (std::size_t z = 0; z < nodes.size(); ++z) {
    const TZoneAir own = ZoneAir(condition, nodes[z].Zone);
    std::vector<double> rise;
    rise.reserve(nodes[z].X.size());
    for (std::size_t n = 0; n < nodes[z].X.size(); ++n) {
      rise.push_back(air.Temperature[z][n] - ZoneTemperature(own, nodes[z].X[n]));
    }
    local.Zones[static_cast<std::size_t>(nodes[z].Zone)] = TAirAlongZone{
        CubicSpline(nodes[z].X, std::move(rise)), CubicSpline(nodes[z].X, air.Velocity[z])};
  }
  return local;
}

TRowHeat RowHeat(const std::vector<TAirZoneNodes>& nodes, const TRowAir& met,
                 const std::vector<TConvergedSample>& samples, double w,
                 const TSpinlineConstants<double>& k) {
  TRowHeat heat;
  std::size_t sample = 0;
  for (std::size_t z = 0; z < nodes.size(); ++z) {
    std::vector<double>& q = heat.HeatPerLength.emplace_back();
    std::vector<double>& d = heat.Diameter.emplace_back();
    heat.Temperature.emplace_back();
    for (std::size_t n = 0; n < nodes[z].X.size(); ++n, ++sample) {
      assert(sample < samples.size() && samples[sample].X == nodes[z].X[n]);
      const TConvergedSample& s = samples[sample];
      // The zone's own laws at its ends too, where a sample's air is the next zone's; the air
      // met, a constant of the zone (A1 = 0), is the table's at the node.
      TSpinlineEquations<double, TStructureConstants> equations;
      equations.K = &k;
      equations.MassFlow = w;
      equations.Zone = {0.0, 0.0, met.Temperature[z][n], met.Velocity[z][n]};
      const TLocalPoint point = equations.Point(s.V, s.F, s.T, 0.0, s.X);
      q.push_back(k.Pi * point.D * point.H * (s.T - point.TA));
      d.push_back(point.D);
      heat.Temperature.back().push_back(s.T);
    }
  }
  return heat;
}

TRowAir AirAfterRow(const TRowAir& met, const TRowHeat& heat, const TBundleConstants& bundle) {
  TRowAir after = met;
  const double w = bundle.ColumnPitchCm;
  const double capacity = bundle.AirDensity * bundle.AirSpecificHeat * w;  // per cm/s of air
  for (std::size_t z = 0; z < met.Temperature.size(); ++z) {
    for (std::size_t n = 0; n < met.Temperature[z].size(); ++n) {
      const double u = met.Velocity[z][n];
      const double t = met.Temperature[z][n];
      after.Temperature[z][n] = t + heat.HeatPerLength[z][n] / (capacity * u);
      // Air too slow to carry the heat off would pass the filament's own temperature; it leaves
      // at that temperature instead, and takes only the heat that brings it there.
      const double filament = heat.Temperature[z][n];
      if ((after.Temperature[z][n] - filament) * (t - filament) < 0.0) {
        after.Temperature[z][n] = filament;
      }
      after.Velocity[z][n] = u * std::exp(-0.5 * bundle.DragCoefficient * heat.Diameter[z][n] / w);
    }
  }
  return after;
}

}  // namespace vellmor
