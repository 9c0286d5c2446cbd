// A cases file as a spreadsheet or a design-of-experiments tool writes it.

#include "vellmor/sweep/cases_table.h"

#include <algorithm>
#include <optional>

#include "vellmor/base/csv_lines.h"

namespace vellmor {

OrProblem<TCasesTable> ReadCasesTable(std::string_view csv, std::string_view source_name,
                                      CaseNameColumn names_allowed) {
  const std::vector<std::string_view> lines = CsvTextLines(csv);
  const std::string file(source_name);

  std::size_t header_index = 0;
  while (header_index < lines.size() && lines[header_index].empty()) ++header_index;
  if (header_index == lines.size()) {
    return TSweepProblem{file + ": no header line naming the options"};
  }
  const std::string_view header_line = lines[header_index];
  const char delimiter = CsvDelimiter(header_line);
  const std::string header_spot = file + ", line " + std::to_string(header_index + 1);
  CsvLineSplitter header_splitter(delimiter, header_spot);
  const std::optional<std::vector<std::string>> names = header_splitter.Split(header_line);
  if (!names) return TSweepProblem{header_splitter.problem()};

  TCasesTable table;
  std::optional<std::size_t> name_column;
  for (std::size_t i = 0; i < names->size(); ++i) {
    const std::string& name = (*names)[i];
    const std::string spot = header_spot + ", column " + std::to_string(i + 1) + ": ";
    if (name == "case" && names_allowed == CaseNameColumn::kAllowed) {
      if (name_column) return TSweepProblem{spot + "'case' is named twice"};
      name_column = i;
      continue;
    }
    const std::optional<TSweepColumn> column = FindSweepColumn(name);
    if (!column) {
      return TSweepProblem{spot + "'" + name + "' is neither an input nor a card key"};
    }
    if (column->Field != nullptr && !column->Field->Numeric()) {
      return TSweepProblem{spot + "the sweep names each case's result file itself"};
    }
    if (std::find(table.Columns.begin(), table.Columns.end(), *column) != table.Columns.end()) {
      return TSweepProblem{spot + "'" + name + "' is named twice"};
    }
    table.Columns.push_back(*column);
  }

  for (std::size_t index = header_index + 1; index < lines.size(); ++index) {
    if (lines[index].empty()) continue;
    const std::string spot = file + ", line " + std::to_string(index + 1);
    CsvLineSplitter splitter(delimiter, spot);
    std::optional<std::vector<std::string>> cells = splitter.Split(lines[index]);
    if (!cells) return TSweepProblem{splitter.problem()};
    if (cells->size() != names->size()) {
      return TSweepProblem{spot + ": " + std::to_string(cells->size()) +
                           " cells, but the header names " + std::to_string(names->size()) +
                           " options"};
    }
    if (name_column) {
      std::string name = std::move((*cells)[*name_column]);
      if (name.empty()) return TSweepProblem{spot + ": the case has no name"};
      if (std::find(table.Names.begin(), table.Names.end(), name) != table.Names.end()) {
        return TSweepProblem{spot + ": case '" + name + "' is named twice"};
      }
      table.Names.push_back(std::move(name));
      cells->erase(cells->begin() + static_cast<std::ptrdiff_t>(*name_column));
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
