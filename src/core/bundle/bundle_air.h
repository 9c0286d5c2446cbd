#pragma once

// The quench air as it passes the rows of a bundle. In a zone of cross flow, the air leaving
// row i and reaching row i + 1, per strip of width w (the holes' pitch across the flow):
//
//   T_a,i+1(x) = T_a,i(x) + q_i(x) / (ρ_a c_p,a U_a,i(x) w),  q_i = π D_i h_i (T_i − T_a,i)
//   U_a,i+1(x) = U_a,i(x) exp(−½ C_D D_i(x) / w)
//
// except that air too slow to take the heat (π D h > ρ_a c_p,a U_a w, deep in a dense bundle)
// leaves at the filament's temperature rather than beyond it: no air passing a filament comes
// out hotter than the filament. The heat it could not take is then missing from the energy
// balance.
//
// q_i the heat row i's filament gives up per length (cal/(cm·s)). Row 1 meets the zones' own
// air; in a zone without cross flow no air passes from row to row and every row meets it. The
// air is tabulated at nodes evenly spaced over each zone of cross flow, its ends included (a
// zone end is where the air jumps, so each zone has a table of its own), and read between
// them by the splines of local_air.h.

#include <vector>

#include "vellmor/bundle/bundle_constants.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/converged/local_air.h"
#include "vellmor/inputs/spin_condition.h"

namespace vellmor {

// One zone of cross flow and the positions of its table (cm, ascending, an odd number, the
// zone's start and end included).
struct TAirZoneNodes {
  int Zone = 0;
  std::vector<double> X;
};

// The zones of cross flow on the line, in order; empty when the air stands everywhere.
std::vector<TAirZoneNodes> AirNodes(const TSpinCondition& condition);

// The positions of every table, zone after zone (a position where two zones of cross flow
// meet appears twice).
std::vector<double> AllNodes(const std::vector<TAirZoneNodes>& nodes);

// The air one row meets at the nodes, zone by zone as the nodes.
struct TRowAir {
  std::vector<std::vector<double>> Temperature;  // °C
  std::vector<std::vector<double>> Velocity;     // cm/s
};

// The zones' own air, which row 1 meets.
TRowAir InletAir(const TSpinCondition& condition, const std::vector<TAirZoneNodes>& nodes);

// The air as the splines of local_air.h: the rise above the zone's own temperature and the
// velocity.
TLocalAir LocalAirOf(const TSpinCondition& condition, const std::vector<TAirZoneNodes>& nodes,
                     const TRowAir& air);

// What one row's filament does to the air at the nodes.
struct TRowHeat {
  std::vector<std::vector<double>> HeatPerLength;  // q (cal/(cm·s))
  std::vector<std::vector<double>> Diameter;       // D (cm)
  std::vector<std::vector<double>> Temperature;    // T of the filament (°C)
};

// The heat given up and the diameter at the nodes of a filament whose samples at the nodes
// (AllNodes' positions, in that order) are those given, in the air it met there. W is the
// mass flow (g/s), k the laws' constants.
TRowHeat RowHeat(const std::vector<TAirZoneNodes>& nodes, const TRowAir& met,
                 const std::vector<TConvergedSample>& samples, double w,
                 const TSpinlineConstants<double>& k);

// The air that leaves a row which met air `met` and did `heat` to it.
TRowAir AirAfterRow(const TRowAir& met, const TRowHeat& heat, const TBundleConstants& bundle);

}  // namespace vellmor
