#include "vellmor/base/csv.h"

#include "vellmor/base/number_text.h"

namespace vellmor {

std::string CsvCell(std::string_view text) {
  if (text.find_first_of(",;\"\r\n") == std::string_view::npos) return std::string(text);
  std::string cell = "\"";
  for (const char c : text) {
    if (c == '"') cell += '"';
    cell += c;
  }
  cell += '"';
  return cell;
}

void CsvRecord::Separate() {
  if (!first_) text_ += ',';
  first_ = false;
}

CsvRecord& CsvRecord::Text(std::string_view text) {
  Separate();
  text_ += CsvCell(text);
  return *this;
}

CsvRecord& CsvRecord::Plain(std::string_view cell) {
  Separate();
  text_ += cell;
  return *this;
}

CsvRecord& CsvRecord::Number(std::optional<double> value) {
  Separate();
  if (value) {
    if (const std::optional<std::string> text = ShortestText(*value)) text_ += *text;
  }
  return *this;
}

std::string CsvRecord::End() && {
  text_ += kCsvLineEnd;
  return std::move(text_);
}

}  // namespace vellmor
