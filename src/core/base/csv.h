#pragma once

// The one CSV writer of Vellmor's tables (the exported profiles, the sweep's summary): fields
// quoted as RFC 4180 quotes them, records ended by LF alone, as the POSIX tools that merge and
// sort shard summaries expect, numbers in the shortest text that reads back to the same
// double with a point, and an empty cell for a number that is missing or not finite.

#include <optional>
#include <string>
#include <string_view>

namespace vellmor {

inline constexpr std::string_view kCsvLineEnd = "\n";

// A cell as RFC 4180 writes it: in double quotes, inner quotes doubled, when it holds a comma,
// a quote, a semicolon (the list separator under a decimal comma) or a line break; as it is
// otherwise.
std::string CsvCell(std::string_view text);

// One record, cell by cell.
class CsvRecord {
 public:
  // A text cell, quoted where it needs to be.
  CsvRecord& Text(std::string_view text);
  // A cell written as it is: a name of the header, or text already a cell.
  CsvRecord& Plain(std::string_view cell);
  // A number cell; empty for none or a value that is not finite.
  CsvRecord& Number(std::optional<double> value);
  // The record with its line end.
  std::string End() &&;

 private:
  void Separate();

  std::string text_;
  bool first_ = true;
};

}  // namespace vellmor
