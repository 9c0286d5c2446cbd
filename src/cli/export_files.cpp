#include "cli/export_files.h"

#include <vector>

#include "core/base/output_file.h"
#include "core/exports/profile_csv.h"
#include "core/exports/run_json.h"
#include "core/report/result_rows.h"

namespace vellmor::cli {

bool WriteExport(const std::string& name, std::string_view what, const std::string& contents,
                 MessageSink& sink) {
  const TOutputStatus status =
      WriteWholeOutput(name, contents, {.DashIsStandardOutput = true, .Lock = true});
  if (status.Ok()) return true;
  std::string text = "Can not write ";
  text += what;
  text += name == kStandardOutputName ? " to standard output" : " file " + name;
  sink.ShowMessage(text + ": " + status.Reason);
  return false;
}

bool WriteExports(const TExportRequest& request, const TInputTexts& texts, char decimal_separator,
                  const TRunOutcome& outcome, std::string_view message, TRunState& state,
                  const TAccuracyCheck* converged, MessageSink& sink, const TProgram* program) {
  std::vector<TResultRow> rows;
  if (outcome.Status == RunStatus::kSucceeded &&
      !(request.JsonFile.empty() && request.CsvFile.empty())) {
    rows = ResultRowsOf(state.Condition, state.Profile);
  }
  bool written = true;
  auto write = [&](const std::string& name, std::string_view what, const std::string& contents) {
    written = WriteExport(name, what, contents, sink) && written;
  };
  if (!request.JsonFile.empty()) {
    TRunRecord record{texts, decimal_separator, outcome, message, rows};
    record.Converged = converged;
    record.Program = program;
    write(request.JsonFile, "the JSON export", RunJsonText(record));
  }
  if (!request.CsvFile.empty()) write(request.CsvFile, "the CSV export", ProfileCsv(rows));
  if (!request.ConvergedCsvFile.empty()) {
    const bool solved = converged != nullptr && converged->Solution;
    write(request.ConvergedCsvFile, "the converged CSV export",
          ConvergedProfileCsv(solved ? converged->Solution->Profile
                                     : std::span<const TConvergedSample>()));
  }
  return written;
}

}  // namespace vellmor::cli
