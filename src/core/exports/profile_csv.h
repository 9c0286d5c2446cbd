#pragma once

#include <span>
#include <string>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/report/write_results.h"
#include "vellmor/uncertainty/propagation.h"

namespace vellmor {

// The profile as CSV (RFC 4180): a header record of the column names with their units
// (kResultColumns), then one record per row; every record ends with CR LF. Numbers use a
// point whatever the user's locale and are the shortest text that reads back to the same
// double. No rows give the header record alone.
std::string ProfileCsv(std::span<const TResultRow> rows);

// A converged profile as CSV in the same way, its seven columns kConvergedColumns.
// With the structure, its four columns kStructureColumns after them.
// With intervals, a column NAME_lo and NAME_hi for each but the position, after those.
std::string ConvergedProfileCsv(std::span<const TConvergedSample> samples,
                                bool with_structure = false,
                                const TPropagatedUncertainty* uncertainty = nullptr);

}  // namespace vellmor
