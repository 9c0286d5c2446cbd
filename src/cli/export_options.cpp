#include "cli/export_options.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <system_error>

namespace vellmor::cli {
namespace {

constexpr const char* kExportFooter =
    "Exports: --json and --csv are written once the run has ended, whatever its outcome, each\n"
    "through a temporary file renamed into place. Exit status 73 when the run succeeded but an\n"
    "export could not be written; a refused or failed run keeps its own status.";

// Where a name leads, so that "./a.json" and "a.json" are seen to be one file.
std::filesystem::path Place(const std::string& name) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(name, error).lexically_normal();
  const std::filesystem::path place = std::filesystem::weakly_canonical(absolute, error);
  return error ? absolute : place;
}

bool SamePlace(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (a == kStandardOutputName || b == kStandardOutputName) return a == b;
  return Place(a) == Place(b);
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
  app.footer([] { return std::string(kExportFooter); });
}

void CheckExportFiles(const TExportRequest& request, const std::string& save_file) {
  if (SamePlace(request.JsonFile, request.CsvFile)) {
    const std::string place = request.JsonFile == kStandardOutputName ? "write to standard output"
                                                                      : "name " + request.JsonFile;
    throw CLI::ValidationError("--json and --csv",
                               "both " + place + "; give each export a place of its own");
  }
  for (const auto& [option, file] :
       {std::pair{"--json", &request.JsonFile}, std::pair{"--csv", &request.CsvFile}}) {
    if (*file != kStandardOutputName && SamePlace(*file, save_file)) {
      throw CLI::ValidationError(
          option, "names the result file " + save_file + ", which the export would replace");
    }
  }
}

}  // namespace vellmor::cli
