#pragma once

#include <string>

namespace CLI {
class App;
}

namespace vellmor::cli {

// The name that stands for standard output in --json, --csv and --converged-csv.
inline constexpr const char* kStandardOutputName = "-";

// The machine-readable exports a call asks for, each written after the run whatever its
// outcome: a file name, "-" for standard output, or empty for none.
struct TExportRequest {
  std::string JsonFile;
  std::string CsvFile;
  std::string ConvergedCsvFile;  // the converged profile; asks for the converged solution

  // Standard output then carries an export, so the summary and progress go to standard error.
  bool UsesStandardOutput() const {
    return JsonFile == kStandardOutputName || CsvFile == kStandardOutputName ||
           ConvergedCsvFile == kStandardOutputName;
  }
};

// Adds --json, --csv and --converged-csv, and says in the help what their exit status means.
void AddExportOptions(CLI::App& app, TExportRequest& request);

// Throws CLI::ValidationError when an export's name is empty, or when two outputs of the call
// would land in one place: two on standard output, two in one file, or an export on the result
// file, which it would replace. app holds the export options.
void CheckExportFiles(const TExportRequest& request, const std::string& save_file,
                      const CLI::App& app);

}  // namespace vellmor::cli
