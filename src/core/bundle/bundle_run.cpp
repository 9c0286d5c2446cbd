#include "vellmor/bundle/bundle_run.h"

#include "vellmor/base/message_sink.h"
#include "vellmor/base/run_error.h"
#include "vellmor/inputs/read_inputs.h"

namespace vellmor {
namespace {

class OneMessage : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override { message = text; }
  std::string message;
};

// "Rows 3, 4 and 5 reach the take-up point still molten: no freeze point", or nothing.
std::optional<std::string> MoltenRows(const TBundleSolution& bundle) {
  std::vector<std::size_t> molten;
  for (std::size_t r = 0; r < bundle.Rows.size(); ++r) {
    if (!bundle.Rows[r].Solution.FreezePoint) molten.push_back(r + 1);
  }
  if (molten.empty()) return std::nullopt;
  std::string rows;
  for (std::size_t i = 0; i < molten.size(); ++i) {
    rows += (i == 0 ? "" : i + 1 == molten.size() ? " and " : ", ") + std::to_string(molten[i]);
  }
  return (molten.size() == 1 ? "Row " + rows + " reaches" : "Rows " + rows + " reach") +
         " the take-up point still molten: no freeze point";
}

}  // namespace

TBundleRun RunBundle(const TInputTexts& texts, const TBundleRunOptions& options) {
  TBundleRun run;
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
  TBundleOptions bundle;
  bundle.Model = options.Model;
  bundle.Structure = options.Structure;
  bundle.SampleX = std::get<std::vector<double>>(std::move(positions));
  try {
    run.Solution = SolveBundle(run.Condition, bundle);
  } catch (const CalculationError& error) {
    run.Status = RunStatus::kFailed;
    run.Failure = RunFailureKind::kCalculation;
    run.Fault = error.Fault();
    run.FaultPositionCm = error.PositionCm();
    run.FaultPass = error.Pass();
    run.Message = error.what();
    return run;
  }
  run.Spread = SpreadOf(*run.Solution);
  run.Energy = EnergyBalanceOf(*run.Solution, options.Model);
  if (std::optional<std::string> molten = MoltenRows(*run.Solution)) {
    run.Warnings.push_back(std::move(*molten));
  }
  run.Status = RunStatus::kSucceeded;
  return run;
}

}  // namespace vellmor
