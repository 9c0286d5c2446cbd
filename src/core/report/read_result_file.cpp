// Reading a result file back: the condition header line by line against its layout, then the
// table of results field by field.

#include "vellmor/report/read_result_file.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <system_error>

#include "vellmor/report/header_layout.h"

namespace vellmor {
namespace {

constexpr std::string_view kDegreeSign = "\x81\x8E";
constexpr std::string_view kUtf8DegreeSign = "\xE2\x84\x83";  // ℃
// Long enough for a whole row of the table.
constexpr std::size_t kShownLength = 80;

// The file's lines without their line ends; text after the last line end is a last line.
std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

// The line with a UTF-8 degree sign written back as the file's two bytes.
std::string WithFileDegreeSign(std::string_view line) {
  std::string text(line);
  for (std::size_t at; (at = text.find(kUtf8DegreeSign)) != std::string::npos;) {
    text.replace(at, kUtf8DegreeSign.size(), kDegreeSign);
  }
  return text;
}

// A text of the file as a message can show it: the degree sign as "℃", any other byte that
// is not printable ASCII as "?", quoted, and cut short when long.
std::string Shown(std::string_view text) {
  std::string shown = "\"";
  for (std::size_t i = 0; i < text.size() && i < kShownLength; ++i) {
    if (text.substr(i).starts_with(kDegreeSign)) {
      shown += kUtf8DegreeSign;
      ++i;
      continue;
    }
    const auto byte = static_cast<unsigned char>(text[i]);
    shown += (byte >= 0x20 && byte < 0x7F) ? text[i] : '?';
  }
  if (text.size() > kShownLength) shown += "…";
  return shown + "\"";
}

// A label as a reader sees it, without its runs of blanks: "Hole Diameter (cm) =".
std::string LabelShown(std::string_view label) {
  std::string shown;
  for (std::size_t i = 0; i < label.size(); ++i) {
    if (label[i] == ' ' && (shown.empty() || shown.back() == ' ')) continue;
    if (label.substr(i).starts_with(kDegreeSign)) {
      shown += kUtf8DegreeSign;
      ++i;
      continue;
    }
    shown += label[i];
  }
  while (shown.ends_with(' ')) shown.pop_back();
  return "\"" + shown + "\"";
}

std::string SeparatorName(char separator) {
  return separator == ',' ? "a decimal comma" : "a decimal point";
}

// A number as FormatFixed writes it: an optional minus, digits, optionally the separator and
// more digits, optionally E and the digits of the exponent.
std::optional<double> ParseNumber(std::string_view text, char separator) {
  std::string plain;
  std::size_t i = 0;
  auto digits = [&] {
    const std::size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') plain += text[i++];
    return i > start;
  };
  if (i < text.size() && text[i] == '-') plain += text[i++];
  if (!digits()) return std::nullopt;
  if (i < text.size() && text[i] == separator) {
    plain += '.';
    ++i;
    if (!digits()) return std::nullopt;
  }
  if (i < text.size() && text[i] == 'E') {
    plain += 'e';
    ++i;
    if (i < text.size() && text[i] == '-') plain += text[i++];
    if (!digits()) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  double value = 0.0;
  const std::from_chars_result result =
      std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) return std::nullopt;
  return value;
}

// The blank-separated fields of a table row.
std::vector<std::string_view> Fields(std::string_view row) {
  std::vector<std::string_view> fields;
  while (true) {
    const std::size_t start = row.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    row.remove_prefix(start);
    const std::size_t end = row.find(' ');
    fields.push_back(row.substr(0, end));
    if (end == std::string_view::npos) break;
    row.remove_prefix(end);
  }
  return fields;
}

class Reader {
 public:
  explicit Reader(std::string_view bytes)
      : lines_(SplitLines(bytes)), ends_with_line_end_(bytes.ends_with('\n')) {}

  TResultFileReading Read() {
    TResultFileReading reading;
    TResultFileContents contents;
    contents.DecimalSeparator = DecimalSeparator();
    if (!ReadHeader(contents) || !ReadTable(contents)) {
      reading.Error = error_;
      return reading;
    }
    reading.Contents = std::move(contents);
    return reading;
  }

 private:
  bool Fail(int line, std::string message) {
    error_ = {line, std::move(message)};
    return false;
  }

  // The text of line number (1-based) with the file's degree sign, or nullopt past the end.
  std::optional<std::string> Line(int number) const {
    if (number > static_cast<int>(lines_.size())) return std::nullopt;
    return WithFileDegreeSign(lines_[static_cast<std::size_t>(number - 1)]);
  }

  std::string Found(int number) const {
    const std::optional<std::string> line = Line(number);
    if (!line) return "the end of the file";
    if (line->empty()) return "an empty line";
    return Shown(*line);
  }

  // The separator the header's values are written with: the first point or comma in a
  // value. Every value has decimals, so the first line with a value shows it.
  char DecimalSeparator() const {
    for (int number = 1; number <= kHeaderLineCount; ++number) {
      const THeaderLine& layout = kHeaderLines[static_cast<std::size_t>(number - 1)];
      const std::optional<std::string> line = Line(number);
      if (!layout.HasValue() || !line || !line->starts_with(layout.Text)) continue;
      const std::size_t at = line->find_first_of(".,", layout.Text.size());
      if (at != std::string::npos) return (*line)[at];
    }
    return '.';
  }

  bool ReadHeader(TResultFileContents& contents) {
    for (int number = 1; number <= kHeaderLineCount; ++number) {
      const THeaderLine& layout = kHeaderLines[static_cast<std::size_t>(number - 1)];
      const std::optional<std::string> line = Line(number);
      if (!layout.HasValue()) {
        if (line != layout.Text) {
          const std::string expected = layout.Text.empty() ? "an empty line" : Shown(layout.Text);
          return Fail(number, "expected " + expected + ", found " + Found(number));
        }
        continue;
      }
      const std::string_view value = line && line->starts_with(layout.Text)
                                         ? std::string_view(*line).substr(layout.Text.size())
                                         : std::string_view();
      const std::optional<double> number_value = ParseNumber(value, contents.DecimalSeparator);
      if (!line || !line->starts_with(layout.Text) || !number_value) {
        return Fail(number, "expected " + LabelShown(layout.Text) + " followed by a number with " +
                                SeparatorName(contents.DecimalSeparator) + ", found " +
                                Found(number));
      }
      HeaderValue(contents.Condition, layout) = *number_value;
    }
    return true;
  }

  bool ReadTable(TResultFileContents& contents) {
    const int line_count = static_cast<int>(lines_.size());
    int number = kHeaderLineCount + 1;
    for (; number <= line_count && !Line(number)->empty(); ++number) {
      if (!ReadRow(number, contents)) return false;
    }
    // The two empty lines after the table, and nothing else.
    const int end_of_table = number;
    for (; number <= line_count; ++number) {
      if (!Line(number)->empty()) {
        return Fail(number, "expected nothing after the empty line that ends the table (line " +
                                std::to_string(end_of_table) + "), found " + Found(number));
      }
    }
    // A last line without its line end was cut short, even if only its LF is missing.
    contents.Complete = line_count - end_of_table + 1 == 2 && ends_with_line_end_;
    return true;
  }

  bool ReadRow(int number, TResultFileContents& contents) {
    const std::string line = *Line(number);
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() != kResultColumns.size()) {
      return Fail(number, "expected a row of 9 numbers (X V F T D TA H TEN(RE) TEN(AP)), found " +
                              std::to_string(fields.size()) + " in " + Found(number));
    }
    TResultRow row;
    for (std::size_t column = 0; column < fields.size(); ++column) {
      const std::optional<double> value = ParseNumber(fields[column], contents.DecimalSeparator);
      if (!value) {
        return Fail(number, "expected a number with " + SeparatorName(contents.DecimalSeparator) +
                                " for " + std::string(kResultColumns[column].Head) + ", found " +
                                Shown(fields[column]));
      }
      row.*kResultColumns[column].Value = *value;
    }
    contents.Rows.push_back(row);
    return true;
  }

  std::vector<std::string_view> lines_;
  bool ends_with_line_end_;
  TResultFileError error_;
};

}  // namespace

std::string Describe(const TResultFileError& error) {
  if (error.Line <= 0) return error.Message;
  return "line " + std::to_string(error.Line) + ": " + error.Message;
}

std::optional<TResultFileError> NotShowable(const TResultFileContents& contents) {
  for (std::size_t i = 0; i < contents.Rows.size(); ++i) {
    for (const TResultColumn& column : kResultColumns) {
      const double value = contents.Rows[i].*column.Value;
      if (std::isfinite(value) && std::abs(value) <= kLargestPlottableValue) continue;
      return TResultFileError{
          kHeaderLineCount + 1 + static_cast<int>(i),
          std::string(column.Head) + " lies beyond any value of a spinline (more than 1E100)"};
    }
  }
  if (!contents.Complete) {
    return TResultFileError{kHeaderLineCount + 1 + static_cast<int>(contents.Rows.size()),
                            "expected the two empty lines that end the table: the file is "
                            "incomplete (cut short while it was written or copied)"};
  }
  return std::nullopt;
}

TResultFileReading ParseResultFile(std::string_view bytes) { return Reader(bytes).Read(); }

TResultFileReading ReadResultFile(const std::filesystem::path& path) {
  TResultFileReading reading;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error) {
    reading.Error.Message = "can not be read: " + error.message();
    return reading;
  }
  // Reading a pipe or a device could wait for ever or never end.
  if (!std::filesystem::is_regular_file(status)) {
    reading.Error.Message = "is not an ordinary file";
    return reading;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > kMaxResultFileBytes) {
    reading.Error.Message = "is larger than any result file (" + std::to_string(size) + " bytes)";
    return reading;
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    reading.Error.Message =
        "can not be read: " + std::generic_category().message(errno != 0 ? errno : EIO);
    return reading;
  }
  std::string bytes;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    reading.Error.Message = "can not be read to its end";
    return reading;
  }
  return ParseResultFile(bytes);
}

}  // namespace vellmor
