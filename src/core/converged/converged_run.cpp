#include "vellmor/converged/converged_run.h"

#include <algorithm>

#include "vellmor/base/message_keeper.h"
#include "vellmor/base/number_text.h"
#include "vellmor/base/run_error.h"
#include "vellmor/converged/converged_numbers.h"
#include "vellmor/inputs/read_inputs.h"

namespace vellmor {
namespace {

// Keeps the one message of a reading that failed.
class OneMessage : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override { message = text; }
  std::string message;
};

// A line without a freeze point says so: its numbers at the freeze point are missing, and its
// structure is that of a melt.
std::optional<std::string> StillMolten(const TConvergedSolution& solution,
                                       const TModelConstants& model) {
  if (solution.FreezePoint) return std::nullopt;
  const double above = solution.FinalTemperature - model.Laws.SolidificationC;
  std::string warning = "The filament reaches the take-up point still molten (" +
                        FixedPointText(above, 1) +
                        " °C above the solidification temperature): no freeze point";
  if (solution.Structure) warning += ", and the structure's numbers are those of the melt";
  return warning;
}

}  // namespace

std::variant<std::vector<double>, std::string> ProfilePositions(const TProfilePositions& positions,
                                                                double length) {
  std::vector<double> x;
  if (!positions.At.empty()) {
    for (const double at : positions.At) {
      if (!(at >= 0.0 && at <= length)) {
        return "Profile position " + ShortestText(at).value_or("?") +
               " cm is not on the line, which runs from 0 to " +
               ShortestText(length).value_or("?") + " cm";
      }
    }
    x = positions.At;
    std::sort(x.begin(), x.end());
    return x;
  }
  const int n = std::max(positions.Points, 0);
  x.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    // The last position is the take-up point itself, not a rounding short of it.
    if (i == 0) {
      x.push_back(0.0);
    } else {
      x.push_back(i + 1 == n ? length : length * i / (n - 1));
    }
  }
  return x;
}

TConvergedRun RunConverged(const TInputTexts& texts, const TConvergedRunOptions& options) {
  TConvergedRun run;
  OneMessage sink;
  if (!ReadInputs(texts, options.DecimalSeparator, run.Condition, sink, InputUse::kConverged,
                  options.Model.ValidIv)) {
    run.Failure = RunFailureKind::kInputRefused;
    run.Message = std::move(sink.message);
    return run;
  }
  auto positions = ProfilePositions(options.Positions, run.Condition.Zones[3].EndPosition);
  if (auto* refusal = std::get_if<std::string>(&positions)) {
    run.Failure = RunFailureKind::kInputRefused;
    run.Message = std::move(*refusal);
    return run;
  }
  TConvergedOptions converged;
  converged.Model = options.Model;
  converged.Structure = options.Structure;
  converged.SampleX = std::get<std::vector<double>>(std::move(positions));
  try {
    run.Solution = SolveConverged(run.Condition, converged);
  } catch (const CalculationError& error) {
    run.Status = RunStatus::kFailed;
    run.Failure = RunFailureKind::kCalculation;
    run.Fault = error.Fault();
    run.FaultPositionCm = error.PositionCm();
    run.FaultPass = error.Pass();
    run.Message = error.what();
    return run;
  }
  run.Numbers = ProcessNumbersOf(*run.Solution, run.Condition, options.Model.Laws);
  if (std::optional<std::string> molten = StillMolten(*run.Solution, options.Model)) {
    run.Warnings.push_back(std::move(*molten));
  }
  run.Status = RunStatus::kSucceeded;
  return run;
}

}  // namespace vellmor
