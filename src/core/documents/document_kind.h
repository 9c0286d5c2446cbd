#pragma once

// What a file Vellmor wrote (or a user measured) is, by its bytes: the one place that tells a
// run's JSON from a fit's, a profile CSV from measured data, and all of them from a result
// file, for every front end that opens files.

#include <exception>
#include <string>
#include <string_view>

namespace vellmor {

enum class DocumentKind {
  kResultFile,    // none of the others: the classical result file, as the viewer always took
  kRunJson,       // vellmor-cli --json
  kSolveJson,     // vellmor-cli solve --json (it carries its card)
  kFitJson,       // vellmor-cli fit --json
  kOtherJson,     // a JSON document of none of these
  kProfileCsv,    // --csv, --converged-csv, solve --csv: x_cm, v_m_min, f_dyn, t_C, the diameter
  kMeasuredCsv,   // measurements: a header with x_cm and quantity
  kSweepSummary,  // vellmor-cli sweep --summary: a header from case with status
};

// Whether a file whose first bytes (a few kilobytes) are head may be one of the documents:
// then it is worth reading whole and asking DocumentKindOf.
bool MayBeDocument(std::string_view head);

// The kind of a file's whole bytes.
DocumentKind DocumentKindOf(std::string_view bytes);

// Without a UTF-8 byte order mark.
std::string_view WithoutByteOrderMark(std::string_view bytes);

// What a reader of a JSON document says of one whose value has another type than its key
// takes, or lacks a key it needs: "fit.json is damaged: type must be number, but is string".
std::string DamagedJson(std::string_view file_name, const std::exception& error);

}  // namespace vellmor
