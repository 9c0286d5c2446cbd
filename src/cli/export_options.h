#pragma once

#include <string>

namespace CLI {
class App;
}

namespace vellmor::cli {

// The name that stands for standard output in --json and --csv.
inline constexpr const char* kStandardOutputName = "-";

// The machine-readable exports a call asks for, each written after the run whatever its
// outcome: a file name, "-" for standard output, or empty for none.
struct TExportRequest {
  std::string JsonFile;
  std::string CsvFile;

  // Standard output then carries an export, so the summary and progress go to standard error.
  bool UsesStandardOutput() const {
    return JsonFile == kStandardOutputName || CsvFile == kStandardOutputName;
  }
};

// Adds --json and --csv, and says in the help what their exit status means.
void AddExportOptions(CLI::App& app, TExportRequest& request);

// Throws CLI::ValidationError when two outputs of the call would land in one place: both
// exports on standard output, both in one file, or an export on the result file, which it
// would replace.
void CheckExportFiles(const TExportRequest& request, const std::string& save_file);

}  // namespace vellmor::cli
