#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vellmor/inputs/spin_condition.h"
#include "vellmor/report/write_results.h"

namespace vellmor {

// The most a result file can hold, with room to spare: 41 header lines and 1001 rows of
// about 71 bytes make some 80 KB. A larger file is refused unread.
inline constexpr std::uintmax_t kMaxResultFileBytes = 4 * 1024 * 1024;

// What a result file records: the conditions of its run and the rows of its table, each value
// as printed (so to the digits of its column).
struct TResultFileContents {
  TSpinCondition Condition;      // SaveFileName stays empty: a file does not name itself
  char DecimalSeparator = '.';   // the point or the comma, as the header's values show
  std::vector<TResultRow> Rows;  // none when the run failed before its table
  bool Complete = false;         // the table ends with its two empty lines and their line ends
};

// Why a text is not a result file: the line (1-based; 0 for the file as a whole) and what
// was expected there.
struct TResultFileError {
  int Line = 0;
  std::string Message;  // "expected …, found …"
};

// "line 13: expected …", or the message alone for the file as a whole.
std::string Describe(const TResultFileError& error);

struct TResultFileReading {
  std::optional<TResultFileContents> Contents;
  TResultFileError Error;  // when there are no contents
};

// Reads the bytes of a result file: the 41 header lines exactly as they are written, with a
// number after each label; then rows of nine numbers, each preceded by blanks (a value wider
// than its column lengthens its row); then the two empty lines. Numbers are in fixed or
// exponent form ("1.2346E5") with the decimal separator of the header. Lines end with CR LF;
// LF alone is accepted too, and the degree sign may also be UTF-8 "℃", as after an editor
// converted the file. A table cut short (a run that failed while writing it) is read as far
// as it goes, without Complete.
TResultFileReading ParseResultFile(std::string_view bytes);

// The largest magnitude a value of a result file may have to be drawn: far beyond any velocity,
// tension, temperature or air temperature a spinline takes, and small enough that the span
// of an axis stays a finite number.
inline constexpr double kLargestPlottableValue = 1e100;

// Why contents cannot be shown as a whole run: a table without its two closing empty lines
// (a file cut short while it was written or copied, whose last row may be cut too), or a value
// beyond kLargestPlottableValue. The error names the line; nullopt when contents can be shown.
std::optional<TResultFileError> NotShowable(const TResultFileContents& contents);

// Reads and parses the file at path. A file that cannot be read, is not an ordinary file or is
// larger than kMaxResultFileBytes gives an error for the file as a whole ("can not be read: …").
TResultFileReading ReadResultFile(const std::filesystem::path& path);

}  // namespace vellmor
