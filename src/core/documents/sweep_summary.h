#pragma once

// The summary of a sweep (vellmor-cli sweep --summary) read back, and what a figure of it
// draws: one process number against a varied input, a series for each value of another
// varied input, each point with its 95 % interval where the summary has NAME_lo and NAME_hi
// (a sweep of the converged model with a fitted card writes them).

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vellmor {

struct TSweepSummary {
  // Every column by its header's name, one cell per case that succeeded: a number, or
  // nullopt for an empty cell or a text (the status, a message).
  std::vector<std::string> Names;
  std::vector<std::vector<std::optional<double>>> Columns;
  std::size_t Failed = 0;  // cases that did not succeed, left out

  const std::vector<std::optional<double>>* Column(std::string_view name) const;
};

// The summary's columns and its cases that succeeded, or the message that refuses it, naming
// the file and the line.
std::variant<TSweepSummary, std::string> ReadSweepSummary(std::string_view bytes,
                                                          std::string_view file_name);

struct TSweepPoint {
  double X = 0.0;
  double Y = 0.0;
  std::optional<double> Lo, Hi;  // the 95 % interval, where the summary gives it
};

// The cases of one value of the grouping column (none without one), in increasing x; a case
// without the number (a filament that never froze) is left out.
struct TSweepSeries {
  std::optional<double> By;
  std::vector<TSweepPoint> Points;
};

// One number against x: its series in increasing By.
struct TSweepPanel {
  std::string Key;         // "freeze_point_cm"
  bool Intervals = false;  // the summary has its NAME_lo and NAME_hi
  std::vector<TSweepSeries> Series;
};

struct TSweepFigureData {
  std::string X;
  std::string By;  // empty: no grouping
  std::vector<TSweepPanel> Panels;
};

// The panels of the numbers ys against the column x, grouped by the column by (may be
// empty); the message naming a column the summary does not have, and the columns it has.
std::variant<TSweepFigureData, std::string> SweepFigureData(const TSweepSummary& summary,
                                                            std::string_view x,
                                                            const std::vector<std::string>& ys,
                                                            std::string_view by);

// What a summary's column is, for an axis: "Freeze point (cm)" for a process number,
// "Birefringence" for the structure's, "Take-up speed (m/min)" for an input, else its key.
std::string SummaryColumnTitle(std::string_view key);

}  // namespace vellmor
