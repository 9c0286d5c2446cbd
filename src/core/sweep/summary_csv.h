#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vellmor/sweep/sweep_column.h"
#include "vellmor/sweep/sweep_runner.h"

namespace vellmor {

// The sweep's summary is CSV as base/csv.h writes it (RFC 4180 quoting, LF line ends), one
// line per case:
//
//   case, one column per varied option (its text in the case), status, message, passes,
//   spinneret_tension_dyn, final_velocity_m_min, the process numbers, warnings
//
// warnings holds the run's warnings (an air hyperbola with its pole on the line, a solved
// filament that reaches the take-up point still molten), separated by "; "; it is empty for
// most cases. Numbers are written with a point and the fewest digits
// that read back to the same double, so the same case gives the same bytes on every machine
// and with any number of jobs. A cell
// with no number (a case that did not succeed, a filament that never freezes) is empty. Line
// breaks in a message become blanks, so that every case is one line and shard summaries merge
// with sort.
//
// A sweep with the converged solution (TSweepOptions::Accuracy) has five columns more at the
// end: converged_spinneret_tension_dyn, classical_error_percent (of the spinneret tension,
// 100 × (classical − converged) / converged), converged_freeze_point_cm,
// suggested_increment_cm and converged_message ("Converged solution failed: …", else empty).
// They are empty where the case did not succeed or its converged solution failed.

// Whether the summary has the converged solution's columns.
// kWithStructure: the four numbers of the fibre's structure after the warnings.
// kWithIntervals: then the 95 % interval of every number, NAME_lo and NAME_hi (the process
// numbers but the passes, and the structure's with it).
enum class SummaryColumns {
  kProcess,
  kWithAccuracy,
  kWithStructure,
  kWithIntervals,
  kWithStructureAndIntervals
};

// The header line, LF included.
std::string SummaryHeader(const std::vector<TSweepColumn>& columns,
                          SummaryColumns kind = SummaryColumns::kProcess);

// The line of one case, LF included; column_texts are the case's texts of the varied options.
std::string SummaryLine(const TCaseResult& result, const std::vector<std::string>& column_texts,
                        SummaryColumns kind = SummaryColumns::kProcess);

}  // namespace vellmor
