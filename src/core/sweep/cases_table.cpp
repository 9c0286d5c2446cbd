// A cases file as a spreadsheet or a design-of-experiments tool writes it.

#include "core/sweep/cases_table.h"

#include <algorithm>
#include <optional>

namespace vellmor {
namespace {

// One physical line split into cells; nullopt, with the problem set, when the quoting is
// broken. A quoted cell may not run past the end of its line: a line break inside a value is
// never a valid input text, and keeping every case on one line keeps the summary one too.
class LineSplitter {
 public:
  LineSplitter(char delimiter, std::string spot) : delimiter_(delimiter), spot_(std::move(spot)) {}

  std::optional<std::vector<std::string>> Split(std::string_view line) {
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

  const std::string& problem() const { return problem_; }

 private:
  std::nullopt_t Fail(std::size_t column, std::string_view what) {
    problem_ = spot_ + ", column " + std::to_string(column) + ": " + std::string(what);
    return std::nullopt;
  }

  char delimiter_;
  std::string spot_;
  std::string problem_;
};

// The lines of text without their LF or CR LF; a lone CR stays in its line.
std::vector<std::string_view> Lines(std::string_view text) {
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

}  // namespace

OrProblem<TCasesTable> ReadCasesTable(std::string_view csv, std::string_view source_name) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (csv.starts_with(kByteOrderMark)) csv.remove_prefix(kByteOrderMark.size());
  const std::vector<std::string_view> lines = Lines(csv);
  const std::string file(source_name);

  std::size_t header_index = 0;
  while (header_index < lines.size() && lines[header_index].empty()) ++header_index;
  if (header_index == lines.size()) {
    return TSweepProblem{file + ": no header line naming the options"};
  }
  const std::string_view header_line = lines[header_index];
  const char delimiter = header_line.find(';') != std::string_view::npos ? ';' : ',';
  const std::string header_spot = file + ", line " + std::to_string(header_index + 1);
  LineSplitter header_splitter(delimiter, header_spot);
  const std::optional<std::vector<std::string>> names = header_splitter.Split(header_line);
  if (!names) return TSweepProblem{header_splitter.problem()};

  TCasesTable table;
  for (std::size_t i = 0; i < names->size(); ++i) {
    const std::string& name = (*names)[i];
    const std::string spot = header_spot + ", column " + std::to_string(i + 1) + ": ";
    const std::optional<TSweepColumn> column = FindSweepColumn(name);
    if (!column) {
      return TSweepProblem{spot + "'" + name + "' is neither an input option nor a card key"};
    }
    if (column->Field != nullptr && !column->Field->Numeric) {
      return TSweepProblem{spot +
                           "the sweep names each case's result file itself (see --result-dir)"};
    }
    if (std::find(table.Columns.begin(), table.Columns.end(), *column) != table.Columns.end()) {
      return TSweepProblem{spot + "'" + name + "' is named twice"};
    }
    table.Columns.push_back(*column);
  }

  for (std::size_t index = header_index + 1; index < lines.size(); ++index) {
    if (lines[index].empty()) continue;
    const std::string spot = file + ", line " + std::to_string(index + 1);
    LineSplitter splitter(delimiter, spot);
    std::optional<std::vector<std::string>> cells = splitter.Split(lines[index]);
    if (!cells) return TSweepProblem{splitter.problem()};
    if (cells->size() != table.Columns.size()) {
      return TSweepProblem{spot + ": " + std::to_string(cells->size()) +
                           " cells, but the header names " + std::to_string(table.Columns.size()) +
                           " options"};
    }
    if (table.Rows.size() == kMaxSweepCases) {
      return TSweepProblem{spot + ": more than " + std::to_string(kMaxSweepCases) + " cases"};
    }
    table.Rows.push_back(std::move(*cells));
  }
  if (table.Rows.empty()) return TSweepProblem{file + ": no case below the header"};
  return table;
}

}  // namespace vellmor
