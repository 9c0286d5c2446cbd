#include "vellmor/requests/commands.h"

#include <algorithm>
#include <array>

#include "vellmor/inputs/input_fields.h"
#include "vellmor/requests/bundle_request.h"
#include "vellmor/requests/solve_request.h"
#include "vellmor/requests/stability_request.h"

namespace vellmor {
namespace {

constexpr std::array<TCommandParameter, 4> kRunParameters{
    {{"accuracy"}, {"json"}, {"csv"}, {"converged_csv"}}};
constexpr std::array<TCommandParameter, 11> kSolveParameters{{{"model"},
                                                              {"model_set"},
                                                              {"json"},
                                                              {"csv"},
                                                              {"points"},
                                                              {"at"},
                                                              {"sensitivities"},
                                                              {"structure"},
                                                              {"uncertainty"},
                                                              {"samples"},
                                                              {"seed"}}};
constexpr std::array<TCommandParameter, 8> kStabilityParameters{{{"model"},
                                                                 {"model_set"},
                                                                 {"json"},
                                                                 {"structure"},
                                                                 {"critical"},
                                                                 {"response"},
                                                                 {"frequencies"},
                                                                 {"intervals"}}};
constexpr std::array<TCommandParameter, 2> kModelParameters{{{"model"}, {"model_set"}}};
constexpr std::array<TCommandParameter, 11> kFitParameters{{{"model"},
                                                            {"model_set"},
                                                            {"measured", true},
                                                            {"fit", true},
                                                            {"cases"},
                                                            {"json"},
                                                            {"write_model"},
                                                            {"suggest"},
                                                            {"candidates"},
                                                            {"max_iterations"},
                                                            {"profile"}}};
constexpr std::array<TCommandParameter, 16> kSweepParameters{{{"vary"},
                                                              {"cases"},
                                                              {"summary"},
                                                              {"result_dir"},
                                                              {"jobs"},
                                                              {"shard"},
                                                              {"accuracy"},
                                                              {"solve"},
                                                              {"structure"},
                                                              {"resume"},
                                                              {"slurm_script"},
                                                              {"model"},
                                                              {"model_set"},
                                                              {"uncertainty"},
                                                              {"samples"},
                                                              {"seed"}}};
constexpr std::array<TCommandParameter, 8> kBundleParameters{{{"model"},
                                                              {"model_set"},
                                                              {"bundle_rows"},
                                                              {"json"},
                                                              {"csv"},
                                                              {"points"},
                                                              {"at"},
                                                              {"structure"}}};
constexpr std::array<TCommandParameter, 3> kMergeParameters{
    {{"shards", true}, {"output"}, {"allow_missing"}}};

const std::array<TCommand, 8> kCommands{{
    {"", "Simulate the spinline and write the result file", CommandInputs::kAll, kRunParameters},
    {"sweep", "Run many cases on every core, one summary line each", CommandInputs::kNumeric,
     kSweepParameters, "the sweep names each case's result file itself (see {result_dir})"},
    {"solve", "Solve the case with the converged model and a model card", CommandInputs::kNumeric,
     kSolveParameters, "solve writes no result file (see {json})"},
    {"model",
     "Print the model card (the built-in one without options) as YAML, a template to edit",
     CommandInputs::kNone,
     kModelParameters,
     {},
     ModelCommand},
    {"fit", "Fit card constants to measured profiles", CommandInputs::kNumeric, kFitParameters,
     "fit writes no result file (see {json})"},
    {"sweep merge", "Merge the shard summaries of one sweep into its whole summary",
     CommandInputs::kNone, kMergeParameters},
    {"stability",
     "Whether the converged line runs steadily: its leading eigenvalues, the critical point, "
     "the response to disturbances",
     CommandInputs::kNumeric, kStabilityParameters, "stability writes no result file (see {json})",
     StabilityCommand},
    {"bundle",
     "Solve a bundle of filaments row by row across the quench air, each row in the air the rows "
     "before it warmed and slowed",
     CommandInputs::kNumeric, kBundleParameters, "bundle writes no result file (see {json})",
     BundleCommand},
}};

constexpr std::array<Command, 8> kOrder{Command::kRun,       Command::kSweep,  Command::kSolve,
                                        Command::kStability, Command::kBundle, Command::kModel,
                                        Command::kFit,       Command::kMerge};

}  // namespace

const TCommand& CommandInfo(Command command) {
  return kCommands[static_cast<std::size_t>(command)];
}

std::span<const Command> Commands() { return kOrder; }

bool Takes(const TCommand& command, std::string_view key) {
  if (const TInputField* field = FindInputField(key); field != nullptr && field->Key == key) {
    return command.Inputs == CommandInputs::kAll ||
           (command.Inputs == CommandInputs::kNumeric && field->Numeric());
  }
  return std::any_of(command.Parameters.begin(), command.Parameters.end(),
                     [key](const TCommandParameter& p) { return p.Key == key; });
}

}  // namespace vellmor
