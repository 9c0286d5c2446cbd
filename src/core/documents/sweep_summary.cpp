#include "vellmor/documents/sweep_summary.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/base/csv_lines.h"
#include "vellmor/documents/varied_inputs.h"
#include "vellmor/structure/structure_summary.h"

namespace vellmor {
namespace {

std::optional<double> NumberOf(std::string_view cell) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
  if (cell.empty() || error != std::errc() || end != cell.data() + cell.size()) return std::nullopt;
  return value;
}

std::string Names(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) {
    if (name == "case" || name == "status" || name == "message" || name == "warnings") continue;
    if (!list.empty()) list += ", ";
    list += name;
  }
  return list;
}

}  // namespace

const std::vector<std::optional<double>>* TSweepSummary::Column(std::string_view name) const {
  for (std::size_t c = 0; c < Names.size(); ++c) {
    if (Names[c] == name) return &Columns[c];
  }
  return nullptr;
}

std::variant<TSweepSummary, std::string> ReadSweepSummary(std::string_view bytes,
                                                          std::string_view file_name) {
  const std::vector<std::string_view> lines = CsvTextLines(bytes);
  const std::string file(file_name);
  if (lines.empty()) return file + " is empty";
  CsvLineSplitter header_splitter(',', file + ", line 1");
  const std::optional<std::vector<std::string>> header = header_splitter.Split(lines.front());
  if (!header) return header_splitter.problem();
  const auto status = std::find(header->begin(), header->end(), "status");
  if (header->empty() || header->front() != "case" || status == header->end()) {
    return file + " is not the summary of vellmor-cli sweep: its header has no case and status";
  }
  const std::size_t status_column = static_cast<std::size_t>(status - header->begin());
  TSweepSummary summary;
  summary.Names = *header;
  summary.Columns.resize(header->size());
  for (std::size_t l = 1; l < lines.size(); ++l) {
    if (lines[l].empty()) continue;
    CsvLineSplitter splitter(',', file + ", line " + std::to_string(l + 1));
    const std::optional<std::vector<std::string>> cells = splitter.Split(lines[l]);
    if (!cells) return splitter.problem();
    if (cells->size() != header->size()) {
      return file + ", line " + std::to_string(l + 1) + ": " + std::to_string(cells->size()) +
             " cells, the header has " + std::to_string(header->size());
    }
    if ((*cells)[status_column] != "succeeded") {
      ++summary.Failed;
      continue;
    }
    for (std::size_t c = 0; c < cells->size(); ++c) {
      summary.Columns[c].push_back(NumberOf((*cells)[c]));
    }
  }
  return summary;
}

std::variant<TSweepFigureData, std::string> SweepFigureData(const TSweepSummary& summary,
                                                            std::string_view x,
                                                            const std::vector<std::string>& ys,
                                                            std::string_view by) {
  const auto missing = [&summary](std::string_view name) {
    return "the summary has no column " + std::string(name) + "; it has " + Names(summary.Names);
  };
  const std::vector<std::optional<double>>* xs = summary.Column(x);
  if (xs == nullptr) return missing(x);
  const std::vector<std::optional<double>>* groups = nullptr;
  if (!by.empty()) {
    groups = summary.Column(by);
    if (groups == nullptr) return missing(by);
  }
  if (ys.empty()) return std::string("name at least one number to plot against ") + std::string(x);
  TSweepFigureData data{std::string(x), std::string(by), {}};
  for (const std::string& y : ys) {
    const std::vector<std::optional<double>>* values = summary.Column(y);
    if (values == nullptr) return missing(y);
    const std::vector<std::optional<double>>* lo = summary.Column(y + "_lo");
    const std::vector<std::optional<double>>* hi = summary.Column(y + "_hi");
    TSweepPanel panel{y, lo != nullptr && hi != nullptr, {}};
    std::map<std::optional<double>, TSweepSeries> by_group;
    for (std::size_t c = 0; c < values->size(); ++c) {
      if (!(*xs)[c] || !(*values)[c]) continue;
      const std::optional<double> group = groups != nullptr ? (*groups)[c] : std::nullopt;
      TSweepSeries& series = by_group[group];
      series.By = group;
      TSweepPoint point{*(*xs)[c], *(*values)[c], std::nullopt, std::nullopt};
      if (panel.Intervals && (*lo)[c] && (*hi)[c]) {
        point.Lo = (*lo)[c];
        point.Hi = (*hi)[c];
      }
      series.Points.push_back(point);
    }
    for (auto& [group, series] : by_group) {
      std::stable_sort(series.Points.begin(), series.Points.end(),
                       [](const TSweepPoint& a, const TSweepPoint& b) { return a.X < b.X; });
      panel.Series.push_back(std::move(series));
    }
    data.Panels.push_back(std::move(panel));
  }
  return data;
}

std::string SummaryColumnTitle(std::string_view key) {
  for (const TProcessNumberInfo& number : kProcessNumberTable) {
    if (number.Key == key) return std::string(number.Label);
  }
  for (const TStructureNumberInfo& number : kStructureNumbers) {
    if (number.Key == key) return std::string(number.Label);
  }
  if (key == "final_velocity_m_min") return "Final velocity (m/min)";
  return InputTitle(key);
}

}  // namespace vellmor
