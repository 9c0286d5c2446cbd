#pragma once

#include <array>
#include <string_view>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/physics/numerics.h"
#include "vellmor/report/result_columns.h"

namespace vellmor {

// The exported profile's columns are those of the table of results (kResultColumns), under
// their export names.

// One column of an exported converged profile, in the unit of the column of the same name.
struct TConvergedColumn {
  std::string_view ExportName;
  double (*Value)(const TConvergedSample&);
};

// The first seven columns of the table under the same names; the converged solution has no
// tenacities.
inline constexpr std::array<TConvergedColumn, 7> kConvergedColumns{{
    {kResultColumns[0].ExportName, [](const TConvergedSample& s) { return s.X; }},
    {kResultColumns[1].ExportName, [](const TConvergedSample& s) { return MetresPerMinute(s.V); }},
    {kResultColumns[2].ExportName, [](const TConvergedSample& s) { return s.F; }},
    {kResultColumns[3].ExportName, [](const TConvergedSample& s) { return s.T; }},
    {kResultColumns[4].ExportName,
     [](const TConvergedSample& s) { return s.D * kMicrometresPerCm; }},
    {kResultColumns[5].ExportName, [](const TConvergedSample& s) { return s.TA; }},
    {kResultColumns[6].ExportName, [](const TConvergedSample& s) { return s.H; }},
}};

// With the fibre's structure, four more after them.
inline constexpr std::array<TConvergedColumn, 4> kStructureColumns{{
    {"stress_dyn_cm2", [](const TConvergedSample& s) { return s.Stress; }},
    {"birefringence", [](const TConvergedSample& s) { return s.Birefringence; }},
    {"orientation", [](const TConvergedSample& s) { return s.Orientation; }},
    {"crystallinity", [](const TConvergedSample& s) { return s.Crystallinity; }},
}};

}  // namespace vellmor
