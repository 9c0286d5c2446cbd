// The table of results appended after the condition header: one row per point of the
// converged profile, nine right-aligned columns, then two empty lines. The tenacities are
//   TEN = 0.00101972 F / (Output × 9000 / v)   (G/den),
// F in dyn (0.00101972 gf/dyn), Output × 9000 / v the fineness in denier (g per 9000 m) of a
// filament drawn at v m/min: the point's own velocity for TEN(RE), the take-up speed for
// TEN(AP).

#include "vellmor/report/write_results.h"

#include <algorithm>
#include <cassert>

#include "vellmor/base/floating_point_check.h"
#include "vellmor/base/run_error.h"
#include "vellmor/physics/numerics.h"
#include "vellmor/report/format_right.h"
#include "vellmor/report/result_file.h"
#include "vellmor/report/write_header.h"

namespace vellmor {
namespace {

constexpr long double kGramForcePerDyn = 0.00101972L;
constexpr long double kMetresPerDenierGram = 9000.0L;  // denier: grams per 9000 m

long double Tenacity(double tension, double output, double velocity) {
  return (kGramForcePerDyn * tension) / ((output * kMetresPerDenierGram) / velocity);
}

}  // namespace

TResultRow MakeResultRow(const TSpinCondition& condition, TSpinlineProfile& profile, int p) {
  ClearFloatingPointFaults();
  TResultRow row;
  row.X = profile.X[p];
  row.VOut = MetresPerMinute(profile.V[p]);
  row.F = profile.F[p];
  row.T = profile.T[p];
  row.D = profile.D[p];
  row.TA = profile.TA[p];
  row.H = profile.H[p];
  row.TenRE = static_cast<double>(Tenacity(row.F, condition.Output, row.VOut));
  row.TenAP = static_cast<double>(Tenacity(row.F, condition.Output, condition.TakeUpSpeed));
  // A zero velocity divides by zero; nothing of this row is stored before the check.
  try {
    ThrowOnFloatingPointFault();
  } catch (CalculationError& error) {
    error.AddPosition(PlaceAlongSpinline(row.X, condition.Increment), row.X);
    throw;
  }
  profile.VOut[p] = row.VOut;
  return row;
}

std::string FormatResultRow(const TResultRow& row, char decimal_separator) {
  std::string text;
  text.reserve(80);
  for (const TResultColumn& column : kResultColumns) {
    text += ' ';
    text += FormatRight(column.Width, column.Decimals, row.*column.Value, decimal_separator);
  }
  return text;
}

void WriteResults(const TSpinCondition& condition, TSpinlineProfile& profile,
                  char decimal_separator, ResultLines& file) {
  const int last_point = profile.ZoneEndPoint[3];
  assert(last_point <= MaxPoints);
  // A calculation failure in row p leaves rows 1 … p - 1 written.
  for (int p = 1; p <= std::min(last_point, MaxPoints); ++p) {
    file.WriteLine(FormatResultRow(MakeResultRow(condition, profile, p), decimal_separator));
  }
  file.WriteLine("");
  file.WriteLine("");
}

std::string ResultFileText(const TSpinCondition& condition, TSpinlineProfile& profile,
                           char decimal_separator) {
  ResultText text;
  WriteHeader(condition, decimal_separator, text);
  WriteResults(condition, profile, decimal_separator, text);
  return text.Text();
}

}  // namespace vellmor
