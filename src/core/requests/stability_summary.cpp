// The printout of the stability command: the steady line, the grids, the leading modes, the
// verdict and margin, and the critical point and response where asked.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "vellmor/requests/stability_request.h"

namespace vellmor {
namespace {

// A text of printf's with the decimal separator given.
std::string Separated(std::string text, char separator) {
  if (separator != '.') std::replace(text.begin(), text.end(), '.', separator);
  return text;
}

std::string Number(const char* format, double value, char separator) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return Separated(text, separator);
}

std::string Lambda(std::complex<double> lambda, char separator) {
  return Number("%.6g", lambda.real(), separator) + (lambda.imag() < 0.0 ? " - " : " + ") +
         Number("%.6g", std::fabs(lambda.imag()), separator) + "i";
}

std::string Hz(double omega, char separator) {
  return Number("%.5g", omega / (2.0 * std::numbers::pi), separator) + " Hz";
}

void AppendCritical(std::string& out, std::string_view key, const TCriticalPoint& point,
                    char separator) {
  const TLineStability& line = *point.Line;
  out += "Critical " + std::string(key) + ": ";
  if (!point.Found) {
    out += std::string(point.Upwards ? "none up to " : "none down to ") +
           Number("%.6g", point.Value, separator) +
           (point.Upwards ? " (the line stays stable" : " (the line stays unstable") +
           ", draw ratio " + Number("%.5g", line.DrawRatio(), separator) + ")\n";
  } else {
    out += Number("%.7g", point.Value, separator) + ", draw ratio " +
           Number("%.6g", line.DrawRatio(), separator) + ", angular frequency " +
           Number("%.6g", line.AngularFrequency(), separator) + " 1/s (" +
           Hz(line.AngularFrequency(), separator) + ", " +
           Number("%.5g", line.AngularFrequency() * line.Length / line.ExitVelocity, separator) +
           " v0/L)\n";
  }
  out += "                    after " + std::to_string(point.Evaluations) + " analyses\n";
}

}  // namespace

std::string StabilitySummary(const StabilityRequest& request, const StabilityResponse& response,
                             char separator) {
  const TLineStability& line = response.Line;
  std::string out = "Model card:         " + response.Card.Card.Name() + "\n";
  out += "Steady line:        draw ratio " + Number("%.5g", line.DrawRatio(), separator) +
         " (exit " + Number("%.5g", line.ExitVelocity, separator) + " cm/s, take-up " +
         Number("%.6g", line.TakeUpVelocity, separator) + " cm/s), freeze point " +
         (line.Steady.FreezePoint ? Number("%.5g", *line.Steady.FreezePoint, separator) + " cm"
                                  : std::string("none")) +
         "\n";
  std::string ends, coarse, fine;
  for (std::size_t s = 0; s < line.Ends.size(); ++s) {
    ends += (s == 0 ? "" : ", ") + Number("%.5g", line.Ends[s], separator);
  }
  for (std::size_t s = 0; s < line.Intervals.size(); ++s) {
    coarse += (s == 0 ? "" : "+") + std::to_string(line.Intervals[s]);
    fine += (s == 0 ? "" : "+") + std::to_string(FineIntervals(line.Intervals[s]));
  }
  out += "Grid:               " + std::to_string(line.Intervals.size()) + " sections (" + ends +
         " cm), " + coarse + " and " + fine + " Chebyshev intervals\n";
  const TStabilityMode& leading = line.Leading();
  out += "Leading eigenvalue: " + Lambda(leading.Lambda, separator) + " 1/s (" +
         Hz(leading.Lambda.imag(), separator) + "); the coarse grid's nearest " +
         Lambda(leading.Coarse, separator) + ", its leading growth rate " +
         Number("%.6g", line.CoarseGrowthRate, separator) +
         (leading.Converged ? "" : ": NOT converged") + "\n";
  out += "Verdict:            " + std::string(line.Stable() ? "stable" : "unstable") + ", margin " +
         Number("%.5g", -line.GrowthRate(), separator) + " 1/s";
  if (line.GrowthRate() != 0.0) {
    out += std::string(line.Stable() ? " (a disturbance decays by 1/e in " : " (grows by e in ") +
           Number("%.4g", 1.0 / std::fabs(line.GrowthRate()), separator) + " s)";
  }
  out += "\nModes:              growth rate (1/s)  angular frequency (1/s)  change on refinement\n";
  for (const TStabilityMode& mode : line.Modes) {
    char row[128];
    std::snprintf(row, sizeof row, "%20s%17.6g%25.6g%22.2g\n", "", mode.Lambda.real(),
                  mode.Lambda.imag(), std::abs(mode.Lambda - mode.Coarse));
    out += Separated(row, separator);
  }
  if (response.Critical) AppendCritical(out, request.Critical, *response.Critical, separator);
  if (request.Response) {
    out += "Response to " + std::string(DisturbanceName(*request.Response)) +
           " ripple: the titre at take-up, d(rho A)/(rho A) per unit relative ripple\n"
           "      frequency (Hz)   amplitude   phase (deg)\n";
    for (const TResponsePoint& point : response.Response) {
      char row[128];
      std::snprintf(row, sizeof row, "%20.6g%12.5g%14.2f\n", point.FrequencyHz,
                    std::abs(point.Gain), std::arg(point.Gain) * 180.0 / std::numbers::pi);
      out += Separated(row, separator);
    }
  }
  return out;
}

}  // namespace vellmor
