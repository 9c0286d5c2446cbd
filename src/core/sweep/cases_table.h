#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vellmor/inputs/input_fields.h"
#include "vellmor/sweep/sweep_column.h"
#include "vellmor/sweep/sweep_problem.h"

namespace vellmor {

// The cases of a design of experiments, one per row: the header names input options (or card
// keys, for the converged model), each
// cell holds that option's text for the row's case exactly as typed. An empty cell leaves the
// option as the command line (or the window's default) sets it.
struct TCasesTable {
  std::vector<TSweepColumn> Columns;
  std::vector<std::vector<std::string>> Rows;  // each as long as Columns
  // With a "case" column (see CaseNameColumn): each row's name, in row order.
  std::vector<std::string> Names;
};

// Whether the header may have a column "case" naming each row, as measured data refer to the
// conditions they were taken at; a sweep numbers its cases itself.
enum class CaseNameColumn { kRefused, kAllowed };

// Reads a CSV text (RFC 4180: fields in double quotes may hold the delimiter and doubled
// quotes; lines end with LF or CR LF). The delimiter is ';' when the header line holds one,
// as spreadsheets write CSV under a comma locale, and ',' otherwise. A UTF-8 byte order mark
// and empty lines are skipped. Problems name the file (source_name), line and column: an
// unknown or repeated option, a row with too many or too few cells, an unclosed quote, a line
// break inside a cell.
// Names must be unique and not empty.
OrProblem<TCasesTable> ReadCasesTable(std::string_view csv, std::string_view source_name,
                                      CaseNameColumn names = CaseNameColumn::kRefused);

}  // namespace vellmor
