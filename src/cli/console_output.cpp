#include "cli/console_output.h"

#include "cli/exit_status.h"

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <string>
#include <system_error>

#include "vellmor/base/number_text.h"
#include "vellmor/physics/numerics.h"
#include "vellmor/report/format_fixed.h"

namespace vellmor::cli {
namespace {

// The result table's columns: velocity to 0.1 m/min, tension to 0.001 dyn, temperature to
// 0.1 °C, diameter to 0.00001 cm.
std::string Velocity(double centimetres_per_second, char separator) {
  return FormatFixed(MetresPerMinute(centimetres_per_second), 7, 1, separator) + " m/min";
}
std::string Tension(double dyn, char separator) {
  return FormatFixed(dyn, 8, 3, separator) + " dyn";
}

// A temperature of the model (70 °C, or a card's 72.5) as written, with the user's separator.
std::string Temperature(double celsius, char separator) {
  std::string text = ShortestText(celsius).value_or("?");
  for (char& c : text) {
    if (c == '.') c = separator;
  }
  return text;
}

}  // namespace

void StreamSink::ShowMessage(std::string_view text) {
  out_ << kMessagePrefix << text << '\n' << std::flush;
}

int Complain(std::string_view message, int status) {
  StreamSink sink(std::cerr);
  // A message of several lines is several messages, each with the runner's name.
  for (std::size_t start = 0; start <= message.size();) {
    const std::size_t end = std::min(message.find('\n', start), message.size());
    sink.ShowMessage(message.substr(start, end - start));
    start = end + 1;
  }
  return status;
}

int Refuse(const TRequestProblem& problem, int status) { return Complain(problem.Message, status); }

void ProgressPrinter::OnPass(const TPassRecord& pass) {
  out_ << "pass " << pass.Pass << ": tension " << Tension(pass.Tension, decimal_separator_)
       << ", final velocity " << Velocity(pass.FinalVelocity, decimal_separator_);
  if (pass.RanAway) out_ << ", ran away at point " << pass.LastPoint;
  out_ << '\n' << std::flush;
}

void PrintSolution(std::ostream& out, std::string_view first_words, const TRunSummary& summary,
                   char decimal_separator, const TProcessNumbers* numbers,
                   double solidification_c) {
  const double deviation_percent =
      (summary.FinalVelocity - summary.TakeUpVelocity) / summary.TakeUpVelocity * 100.0;
  out << first_words << summary.Passes << (summary.Passes == 1 ? " pass\n" : " passes\n")
      << "Spinneret tension:  " << Tension(summary.Tension, decimal_separator) << '\n'
      << "Final velocity:     " << Velocity(summary.FinalVelocity, decimal_separator)
      << " (take-up " << Velocity(summary.TakeUpVelocity, decimal_separator) << ", "
      << FormatFixed(deviation_percent, 6, 3, decimal_separator) << " %)\n"
      << "Final diameter:     " << FormatFixed(summary.FinalDiameter, 8, 5, decimal_separator)
      << " cm\n"
      << "Final temperature:  " << FormatFixed(summary.FinalTemperature, 6, 1, decimal_separator)
      << " °C\n";
  if (numbers != nullptr) PrintProcessNumbers(out, *numbers, decimal_separator, solidification_c);
}

void PrintSummary(std::ostream& out, const TRunSummary& summary, char decimal_separator,
                  const TProcessNumbers* numbers) {
  PrintSolution(out, "Converged after ", summary, decimal_separator, numbers, kGlassTransition);
  out << "Result file:        "
      << (summary.SaveFileName == "-" ? "standard output" : summary.SaveFileName) << '\n';
}

void PrintProcessNumbers(std::ostream& out, const TProcessNumbers& numbers, char decimal_separator,
                         double solidification_c) {
  // Each number with the decimals of the one table of process numbers; the precision only
  // leaves room for its integer digits.
  const auto text = [&](std::string_view key, int precision) {
    const TProcessNumberInfo& info = ProcessNumberInfo(key);
    return FormatFixed(info.Value(numbers).value_or(0.0), precision, info.Decimals,
                       decimal_separator);
  };
  const std::string solidification = Temperature(solidification_c, decimal_separator);
  if (numbers.Freeze) {
    out << "Freeze point:       " << text("freeze_point_cm", 7) << " cm (filament at "
        << solidification << " °C)\n"
        << "Stress at freeze:   " << text("freeze_stress_MPa", 8) << " MPa\n";
  } else {
    out << "Freeze point:       none (the filament stays above " << solidification << " °C)\n";
  }
  out << "Take-up tension:    " << text("take_up_tension_dyn", 8) << " dyn\n"
      << "Fineness:           " << text("fineness_dtex", 8) << " dtex ("
      << text("fineness_denier", 8) << " den)\n"
      << "Draw-down ratio:    " << text("draw_down_ratio", 8) << '\n'
      << "Residence time:     " << text("residence_time_s", 8) << " s\n";
}

void PrintAccuracy(std::ostream& out, const TAccuracyCheck& check, char decimal_separator,
                   MessageSink& sink) {
  if (check.Report) {
    out << FormatAccuracySummary(*check.Report, decimal_separator) << '\n';
  } else {
    sink.ShowMessage(check.Failure);
  }
}

std::string FlushFailure(std::ostream& out) {
  errno = 0;
  out.flush();
  if (out) return {};
  return std::generic_category().message(errno != 0 ? errno : EIO);
}

int ExitStatusOf(RunStatus status, bool exported, bool summary_printed) {
  switch (status) {
    case RunStatus::kSucceeded:
      if (!exported) return kExitExportFailed;
      return summary_printed ? kExitSucceeded : kExitSummaryLost;
    case RunStatus::kRefused:
      return kExitRefused;
    case RunStatus::kFailed:
      return kExitFailed;
  }
  return kExitFailed;
}

}  // namespace vellmor::cli
