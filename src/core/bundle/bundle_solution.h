#pragma once

// A multifilament bundle in a cross flow of quench air, row after row: row 1 is the single
// filament of the converged model in the zones' own air; each row after it meets the air the
// rows before it warmed and slowed (bundle_air.h), and is shot onto the take-up speed by itself,
// from the spinneret tension of the row before. The air does not mix back, so no row depends on
// one downstream of it.
//
// Qt-free and silent like the rest of the core; failures are CalculationError, their message
// naming the row.

#include <vector>

#include "vellmor/bundle/bundle_air.h"
#include "vellmor/converged/converged_solution.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {

struct TBundleOptions {
  TModelConstants Model;  // with the bundle's rows, pitches, drag and air
  bool Structure = false;
  // Each row's profile positions (cm, ascending); empty for none.
  std::vector<double> SampleX;
};

struct TBundleRow {
  TConvergedSolution Solution;            // its profile at the options' positions
  TRowAir Met;                            // the air it met at the nodes
  TRowHeat Heat;                          // what its filament did to the air there
  std::vector<TConvergedSample> AtNodes;  // the filament at the nodes (AllNodes' order)
};

struct TBundleSolution {
  std::vector<TAirZoneNodes> Nodes;  // the zones of cross flow and their tables' positions
  std::vector<TBundleRow> Rows;      // row 1 first
  TRowAir Leaving;                   // the air after the last row
  double MassFlow = 0.0;             // W of each filament (g/s)
};

// The bundle of options.Model.Bundle.Rows rows on a validated condition. Row 1's solution is
// SolveConverged's of the same condition and constants, to the last digit. Where no zone has
// cross flow every row is row 1. Throws CalculationError as SolveConverged does, " in row N of
// the bundle" added to its message.
TBundleSolution SolveBundle(const TSpinCondition& condition, const TBundleOptions& options);

}  // namespace vellmor
