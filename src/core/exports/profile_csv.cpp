#include "core/exports/profile_csv.h"

#include <charconv>
#include <cstddef>

#include "core/exports/profile_columns.h"

namespace vellmor {
namespace {

// Shortest round-trip text of a double; std::to_chars ignores the locale.
void AppendNumber(std::string& out, double value) {
  char buffer[32];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

}  // namespace

std::string ProfileCsv(std::span<const TResultRow> rows) {
  std::string csv;
  csv.reserve(64 + rows.size() * 9 * 20);
  for (std::size_t i = 0; i < kProfileColumns.size(); ++i) {
    if (i > 0) csv += ',';
    csv += kProfileColumns[i].Name;
  }
  csv += "\r\n";
  for (const TResultRow& row : rows) {
    for (std::size_t i = 0; i < kProfileColumns.size(); ++i) {
      if (i > 0) csv += ',';
      AppendNumber(csv, row.*kProfileColumns[i].Value);
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace vellmor
