#pragma once

#include <string>

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/report/result_columns.h"
#include "vellmor/report/result_file.h"
#include "vellmor/solver/spinline_profile.h"

namespace vellmor {

// Row p of the converged profile: stores VOut[p] = V[p] × 60 / 100 back into the profile and
// computes the two tenacities. Throws CalculationError on a floating-point fault (a zero
// velocity, an overflow).
TResultRow MakeResultRow(const TSpinCondition& condition, TSpinlineProfile& profile, int p);

// The row's text without its line end: one blank before each right-aligned field.
std::string FormatResultRow(const TResultRow& row, char decimal_separator = '.');

// Appends one row per point 1 … ZoneEndPoint[3] and two empty lines to the result file whose
// header WriteHeader wrote. Throws CalculationError with the rows before the failing point
// written (the file stays open), or FileWriteError (the file is abandoned).
void WriteResults(const TSpinCondition& condition, TSpinlineProfile& profile,
                  char decimal_separator, ResultLines& file);

// The whole result file of a run that succeeded, header and table, as the bytes a run writes
// into it: the file is one consumer of the solution, and a script another.
std::string ResultFileText(const TSpinCondition& condition, TSpinlineProfile& profile,
                           char decimal_separator);

}  // namespace vellmor
