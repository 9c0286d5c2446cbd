#include "vellmor/documents/document_kind.h"

#include <nlohmann/json.hpp>

namespace vellmor {
namespace {

bool IsJsonStart(std::string_view bytes) {
  const std::size_t first = bytes.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && bytes[first] == '{';
}

bool IsProfileHeader(std::string_view header) {
  return header.starts_with("x_cm,v_m_min,f_dyn,t_C,d_um,") ||
         header.starts_with("x_cm,v_m_min,f_dyn,t_C,d_cm,");
}

bool IsMeasuredHeader(std::string_view header) {
  return header.find("x_cm") != std::string_view::npos &&
         header.find("quantity") != std::string_view::npos;
}

// The sweep's summary: its first column the case, its status after the varied inputs.
bool IsSummaryHeader(std::string_view header) {
  return header.starts_with("case,") && header.find(",status,message,") != std::string_view::npos;
}

}  // namespace

std::string_view WithoutByteOrderMark(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  return bytes;
}

bool MayBeDocument(std::string_view head) {
  head = WithoutByteOrderMark(head);
  const std::string_view header = head.substr(0, head.find('\n'));
  return IsJsonStart(head) || IsProfileHeader(header) || IsMeasuredHeader(header) ||
         IsSummaryHeader(header);
}

std::string DamagedJson(std::string_view file_name, const std::exception& error) {
  // The library's text without its "[json.exception.type_error.302] " tag.
  std::string_view what = error.what();
  if (what.starts_with('[')) {
    const std::size_t end = what.find("] ");
    if (end != std::string_view::npos) what.remove_prefix(end + 2);
  }
  return std::string(file_name) + " is damaged: " + std::string(what);
}

DocumentKind DocumentKindOf(std::string_view bytes) {
  bytes = WithoutByteOrderMark(bytes);
  if (IsJsonStart(bytes)) {
    const nlohmann::json document = nlohmann::json::parse(bytes, nullptr, false);
    if (!document.is_object()) return DocumentKind::kOtherJson;
    if (document.contains("cases") && document.contains("model")) return DocumentKind::kFitJson;
    if (!document.contains("profile")) return DocumentKind::kOtherJson;
    return document.contains("model") ? DocumentKind::kSolveJson : DocumentKind::kRunJson;
  }
  const std::string_view header = bytes.substr(0, bytes.find('\n'));
  if (IsProfileHeader(header)) return DocumentKind::kProfileCsv;
  if (IsSummaryHeader(header)) return DocumentKind::kSweepSummary;
  if (IsMeasuredHeader(header)) return DocumentKind::kMeasuredCsv;
  return DocumentKind::kResultFile;
}

}  // namespace vellmor
