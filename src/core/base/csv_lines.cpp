#include "vellmor/base/csv_lines.h"

#include <algorithm>

namespace vellmor {

std::optional<std::vector<std::string>> CsvLineSplitter::Split(std::string_view line) {
  std::vector<std::string> cells;
  std::size_t pos = 0;
  while (true) {
    std::string cell;
    const std::size_t column = cells.size() + 1;
    if (pos < line.size() && line[pos] == '"') {
      ++pos;
      while (true) {
        if (pos >= line.size()) return Fail(column, "the quoted cell is not closed on its line");
        if (line[pos] == '"') {
          if (pos + 1 < line.size() && line[pos + 1] == '"') {
            cell += '"';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        cell += line[pos++];
      }
      if (pos < line.size() && line[pos] != delimiter_) {
        return Fail(column, "text after the closing quote");
      }
    } else {
      const std::size_t end = std::min(line.find(delimiter_, pos), line.size());
      cell.assign(line.substr(pos, end - pos));
      if (cell.find('"') != std::string::npos) {
        return Fail(column, "a quote inside an unquoted cell (quote the whole cell)");
      }
      pos = end;
    }
    if (cell.find('\r') != std::string::npos) {
      return Fail(column, "a line break inside a cell");
    }
    cells.push_back(std::move(cell));
    if (pos >= line.size()) return cells;
    ++pos;  // the delimiter
  }
}

std::nullopt_t CsvLineSplitter::Fail(std::size_t column, std::string_view what) {
  problem_ = spot_ + ", column " + std::to_string(column) + ": " + std::string(what);
  return std::nullopt;
}

std::vector<std::string_view> CsvTextLines(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

}  // namespace vellmor
