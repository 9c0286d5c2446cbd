#include "cli/export_options.h"

#include "cli/arguments.h"

#include <CLI/CLI.hpp>

#include <array>
#include <utility>

#include "core/base/output_file.h"

namespace vellmor::cli {
namespace {

constexpr const char* kExportFooter =
    "Exports: --json, --csv and --converged-csv are written once the run has ended, whatever\n"
    "its outcome, each through a temporary file renamed into place. Exit status 73 when the\n"
    "run succeeded but an export could not be written, 74 when its summary could not be\n"
    "printed (a closed or broken standard output); a refused or failed run keeps its own\n"
    "status.\n"
    "Accuracy: --accuracy (or --converged-csv) also solves the run's condition to convergence\n"
    "and tells how far the result is from it. When the converged solution fails, the message\n"
    "goes to standard error and into the JSON; the result file and the exit status stay those\n"
    "of the run.\n";

// "./a.json" and "a.json", or a link and its target, are one file.
bool SamePlace(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (a == kStandardOutputName || b == kStandardOutputName) return a == b;
  return NamesSameFile(a, b);
}

}  // namespace

void AddExportOptions(CLI::App& app, TExportRequest& request) {
  app.add_option("--json", request.JsonFile,
                 "Also write the run as one JSON document to this file (- for standard output): "
                 "inputs, outcome, process numbers, passes and profile")
      ->type_name("FILE");
  app.add_option("--csv", request.CsvFile,
                 "Also write the profile as CSV to this file (- for standard output), one record "
                 "per point, every value to full precision")
      ->type_name("FILE");
  app.add_option("--converged-csv", request.ConvergedCsvFile,
                 "Also solve the case to convergence (as --accuracy) and write the converged "
                 "profile at the result's x as CSV to this file (- for standard output)")
      ->type_name("FILE");
  app.footer([] { return std::string(kExportFooter); });
}

void CheckExportFiles(const TExportRequest& request, const std::string& save_file,
                      const CLI::App& app) {
  RefuseEmptyValues(app, {"--json", "--csv", "--converged-csv"}, "the name is empty");
  const std::array<std::pair<const char*, const std::string*>, 3> exports{{
      {"--json", &request.JsonFile},
      {"--csv", &request.CsvFile},
      {"--converged-csv", &request.ConvergedCsvFile},
  }};
  for (std::size_t i = 0; i < exports.size(); ++i) {
    const auto& [option, file] = exports[i];
    if (file->empty()) continue;
    for (std::size_t j = i + 1; j < exports.size(); ++j) {
      const auto& [other_option, other_file] = exports[j];
      if (!SamePlace(*file, *other_file)) continue;
      const std::string place =
          *file == kStandardOutputName ? "write to standard output" : "name " + *file;
      throw CLI::ValidationError(std::string(option) + " and " + other_option,
                                 "both " + place + "; give each export a place of its own");
    }
    if (*file == kStandardOutputName && save_file == kStandardOutputName) {
      throw CLI::ValidationError(std::string(option) + " and --save-file",
                                 "both write to standard output; give each a place of its own");
    }
    if (*file != kStandardOutputName && SamePlace(*file, save_file)) {
      throw CLI::ValidationError(
          option, "names the result file " + save_file + ", which the export would replace");
    }
  }
}

}  // namespace vellmor::cli
