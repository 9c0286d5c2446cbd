#include "vellmor/requests/parameters.h"

#include <algorithm>
#include <array>

namespace vellmor {
namespace {

using K = ParameterKind;

// One row per parameter; a command takes those its table lists (commands.cpp).
constexpr std::array<TParameter, 37> kParameters{{
    // The converged model and its card.
    {"model", K::kInputFile, "FILE",
     "The model card (YAML) of the converged model; the command model prints the built-in one "
     "to start from",
     ""},
    {"model_set", K::kTexts, "KEY=VALUE",
     "Set one constant of the card, after the card is read (repeatable): "
     "heat_transfer.factor=2e-4",
     ""},
    {"accuracy", K::kFlag, "",
     "Also solve the case to convergence: how far the result is from it and which increment "
     "would be within 1 %",
     ""},
    {"structure", K::kFlag, "",
     "Follow the fibre's structure: birefringence, orientation, crystallinity and the onset of "
     "crystallization",
     ""},
    {"bundle_rows", K::kCount, "N",
     "Rows of the bundle across the quench air: the card's bundle.rows, after its other settings",
     "", 1, 1000},
    {"sensitivities", K::kFlag, "",
     "Add the elasticities of the results to every input and card constant", ""},
    {"points", K::kCount, "N",
     "Profile positions, evenly spaced from the spinneret to the take-up point (0: none)", "1001",
     0, 1'000'000},
    {"at", K::kNumbers, "X1,X2,...", "The profile at these positions instead (cm)", ""},
    // The stability of the line.
    {"critical", K::kText, "KEY",
     "Find where the line turns unstable as this input or card constant moves from its value "
     "(take-up-speed, heat_transfer.factor): the critical value, draw ratio and frequency",
     ""},
    {"response", K::kText, "take-up|throughput",
     "The titre's ripple at take-up per relative ripple of the roll's speed or of the "
     "pump's throughput",
     ""},
    {"frequencies", K::kText, "F1:F2:N",
     "The response at N frequencies from F1 to F2 (Hz), evenly spaced", ""},
    {"intervals", K::kCount, "N",
     "Chebyshev intervals per section of the line on average, the refinement half as many more",
     "8", 4, 64},
    {"uncertainty", K::kText, "METHOD",
     "95 % intervals from the card's uncertainty section: delta (the default with such a card), "
     "monte-carlo or none",
     ""},
    {"samples", K::kCount, "N", "Draws of the constants for monte-carlo", "1000", 20, 1'000'000},
    {"seed", K::kCount, "S", "Seed of monte-carlo's draws (the same seed, the same intervals)", "1",
     0, 4'000'000'000'000'000'000},
    // Exports.
    {"json", K::kOutputFile, "FILE", "Write the JSON document there (- for standard output)", "", 0,
     0, 0, false, false, "the JSON export"},
    {"csv", K::kOutputFile, "FILE", "Write the profile as CSV there (- for standard output)", "", 0,
     0, 0, false, false, "the CSV export"},
    {"converged_csv", K::kOutputFile, "FILE",
     "Also solve the case to convergence and write its profile at the result's x as CSV there "
     "(- for standard output)",
     "", 0, 0, 0, false, false, "the converged CSV export"},
    // The fit.
    {"measured", K::kInputFile, "FILE.csv",
     "The measurements: x_cm, quantity, value, and optionally sigma and case", ""},
    {"fit", K::kTexts, "KEY[=START[:LO:HI]]", "A card constant to fit (repeatable)", ""},
    {"cases", K::kInputFile, "FILE.csv",
     "The cases, one per row of a CSV file whose header names the inputs (- for standard input)",
     ""},
    {"write_model", K::kOutputFile, "FILE", "Write the card with the fitted constants (YAML)", "",
     0, 0, 0, false, false, "the fitted card"},
    {"suggest", K::kCount, "N", "Name the N candidate measurements that would help most", "", 1,
     1'000'000},
    {"candidates", K::kInputFile, "FILE.csv",
     "Candidate measurements for suggest (the measurements' format without value)", ""},
    {"max_iterations", K::kCount, "N", "Levenberg-Marquardt iterations at most", "100", 1,
     1'000'000},
    {"profile", K::kSwitch, "", "The profile-likelihood intervals, a few fits per constant", ""},
    // The sweep.
    {"vary", K::kTexts, "OPTION=LIST",
     "Vary an input (or with solve a card key): a,b,c or start:stop:step (repeatable)", ""},
    {"summary", K::kOutputFile, "FILE",
     "Write the summary CSV there (default and -: standard output)", "", 0, 0, 0, false, false,
     "the summary"},
    {"result_dir", K::kDirectory, "DIR", "Also write each succeeded case's result file there", ""},
    {"jobs", K::kCount, "N", "Cases run at the same time (0: every core this process may run on)",
     "0", 0, 1024, 'j'},
    {"shard", K::kText, "I/N", "Run only shard I of N of the cases", "1/1"},
    {"solve", K::kFlag, "", "Solve every case with the converged model and a model card instead",
     ""},
    {"resume", K::kFlag, "",
     "Complete the summary of this very sweep and shard: run only its missing cases", ""},
    {"slurm_script", K::kCount, "N",
     "Print a Slurm job script that runs this sweep as an array of N shards and merges them; "
     "runs nothing",
     "", 1, 100'000, 0, false, true},
    // The merge of a sweep's shards.
    {"shards", K::kInputFiles, "SHARD.csv", "The shard summaries, in any order", "", 0, 0, 0, true},
    {"output", K::kOutputFile, "FILE",
     "Write the merged summary there (default and -: standard output)", "", 0, 0, 'o', false, false,
     "the summary"},
    {"allow_missing", K::kFlag, "", "Write the cases there are; the missing ones are still named",
     ""},
}};

}  // namespace

std::string_view KindName(ParameterKind kind) {
  switch (kind) {
    case ParameterKind::kFlag:
      return "flag";
    case ParameterKind::kSwitch:
      return "switch";
    case ParameterKind::kCount:
      return "count";
    case ParameterKind::kText:
      return "text";
    case ParameterKind::kTexts:
      return "texts";
    case ParameterKind::kNumbers:
      return "numbers";
    case ParameterKind::kInputFile:
      return "input_file";
    case ParameterKind::kInputFiles:
      return "input_files";
    case ParameterKind::kOutputFile:
      return "output_file";
    case ParameterKind::kDirectory:
      return "directory";
  }
  return "text";
}

std::span<const TParameter> Parameters() { return kParameters; }

const TParameter* FindParameter(std::string_view key) {
  const auto found = std::find_if(kParameters.begin(), kParameters.end(),
                                  [key](const TParameter& p) { return p.Key == key; });
  return found == kParameters.end() ? nullptr : &*found;
}

}  // namespace vellmor
