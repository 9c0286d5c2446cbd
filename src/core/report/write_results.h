#pragma once

#include <string>

#include "core/inputs/spin_condition.h"
#include "core/report/result_file.h"
#include "core/run/message_sink.h"
#include "core/solver/spinline_profile.h"

namespace vellmor {

inline constexpr const char* kCanNotWriteResult = "Can not write result to file";

// The nine values of one row of the table of results.
struct TResultRow {
  double X = 0.0;      // cm
  double VOut = 0.0;   // m/min
  double F = 0.0;      // dyn
  double T = 0.0;      // °C
  double D = 0.0;      // cm
  double TA = 0.0;     // °C
  double H = 0.0;      // cal/(cm²·s·°C)
  double TenRE = 0.0;  // tenacity on the fineness at the point's own velocity (G/den)
  double TenAP = 0.0;  // tenacity on the fineness at the take-up speed (G/den)
};

// Row p of the converged profile: stores VOut[p] = V[p] × 60 / 100 back into the profile and
// computes the two tenacities. Throws CalculationError on a floating-point fault (a zero
// velocity, an overflow).
TResultRow MakeResultRow(const TSpinCondition& condition, TSpinlineProfile& profile, int p);

// The row's text without its line end: one blank before each right-aligned field.
std::string FormatResultRow(const TResultRow& row, char decimal_separator = '.');

// Appends one row per point 1 … ZoneEndPoint[3] and two empty lines to the result file whose
// header WriteHeader wrote, holding it with hold. Returns false after one message to sink when
// the file can no longer be opened, or the name no longer leads to the file of the header. Throws
// FileWriteError or CalculationError with the rows before the failure written; the file is released
// either way.
bool WriteResults(const TSpinCondition& condition, TSpinlineProfile& profile,
                  char decimal_separator, MessageSink& sink, ResultFileLock& hold);

}  // namespace vellmor
