#pragma once

// Reading CSV text line by line, as spreadsheets and instruments write it: RFC 4180 quoting
// within a line (a quoted cell may hold the delimiter and doubled quotes, but no line break),
// lines ending with LF or CR LF. The cases of a sweep and measured data are read with it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellmor {

// One physical line split into cells; nullopt, with the problem set ("SPOT, column 3: …"),
// when the quoting is broken. A line break inside a value is never a valid cell, and keeping
// every record on one line keeps what is made of it one line too.
class CsvLineSplitter {
 public:
  CsvLineSplitter(char delimiter, std::string spot)
      : delimiter_(delimiter), spot_(std::move(spot)) {}

  std::optional<std::vector<std::string>> Split(std::string_view line);
  const std::string& problem() const { return problem_; }

 private:
  std::nullopt_t Fail(std::size_t column, std::string_view what);

  char delimiter_;
  std::string spot_;
  std::string problem_;
};

// The lines of text without their LF or CR LF (a lone CR stays in its line), after a UTF-8
// byte order mark.
std::vector<std::string_view> CsvTextLines(std::string_view text);

// The delimiter of a file whose header line is header: ';' when it holds one, as spreadsheets
// write CSV under a comma locale, else ','.
inline char CsvDelimiter(std::string_view header) {
  return header.find(';') != std::string_view::npos ? ';' : ',';
}

}  // namespace vellmor
