#include "vellmor/fit/measured_data.h"

#include <array>
#include <cmath>

#include "vellmor/base/csv_lines.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor {
namespace {

constexpr std::array<std::string_view, kQuantityCount> kQuantityNames{
    "diameter_um", "temperature_C", "velocity_m_min",
    "tension_dyn", "birefringence", "crystallinity"};

enum Column { kCase, kX, kQuantity, kValue, kSigma, kColumnCount };
constexpr std::array<std::string_view, kColumnCount> kColumnNames{"case", "x_cm", "quantity",
                                                                  "value", "sigma"};

}  // namespace

std::string_view QuantityName(Quantity quantity) {
  return kQuantityNames[static_cast<std::size_t>(quantity)];
}

std::optional<Quantity> FindQuantity(std::string_view name) {
  for (const Quantity quantity : kQuantities) {
    if (QuantityName(quantity) == name) return quantity;
  }
  return std::nullopt;
}

std::variant<TMeasuredData, std::string> ReadMeasuredData(std::string_view csv,
                                                          std::string_view source_name,
                                                          MeasuredRows rows) {
  const std::string file(source_name);
  const std::vector<std::string_view> lines = CsvTextLines(csv);
  std::size_t header_index = 0;
  while (header_index < lines.size() && lines[header_index].empty()) ++header_index;
  if (header_index == lines.size()) return file + ": no header line naming the columns";
  const char delimiter = CsvDelimiter(lines[header_index]);
  const std::string header_spot = file + ", line " + std::to_string(header_index + 1);
  CsvLineSplitter header_splitter(delimiter, header_spot);
  const auto header = header_splitter.Split(lines[header_index]);
  if (!header) return header_splitter.problem();

  std::array<std::optional<std::size_t>, kColumnCount> at;
  for (std::size_t i = 0; i < header->size(); ++i) {
    const std::string spot = header_spot + ", column " + std::to_string(i + 1) + ": ";
    const std::string& name = (*header)[i];
    std::size_t column = 0;
    while (column < kColumnCount && kColumnNames[column] != name) ++column;
    if (column == kColumnCount || (column == kValue && rows == MeasuredRows::kCandidates)) {
      std::string known = "case, x_cm, quantity, ";
      known += rows == MeasuredRows::kCandidates ? "sigma" : "value, sigma";
      return spot + "unknown column '" + name + "'; the columns are " + known;
    }
    if (at[column]) return spot + "'" + name + "' is named twice";
    at[column] = i;
  }
  for (const Column needed : {kX, kQuantity, kValue}) {
    if (needed == kValue && rows == MeasuredRows::kCandidates) continue;
    if (!at[needed]) {
      return header_spot + ": the column " + std::string(kColumnNames[needed]) + " is missing";
    }
  }

  TMeasuredData data;
  data.HasCaseColumn = at[kCase].has_value();
  for (std::size_t index = header_index + 1; index < lines.size(); ++index) {
    if (lines[index].empty()) continue;
    const std::string spot = file + ", line " + std::to_string(index + 1);
    CsvLineSplitter splitter(delimiter, spot);
    const auto cells = splitter.Split(lines[index]);
    if (!cells) return splitter.problem();
    if (cells->size() != header->size()) {
      return spot + ": " + std::to_string(cells->size()) + " cells, but the header names " +
             std::to_string(header->size());
    }
    const auto cell = [&](Column column) -> const std::string& { return (*cells)[*at[column]]; };
    const auto number = [&](Column column) -> std::variant<double, std::string> {
      const std::string& text = cell(column);
      const std::optional<double> value = CardNumber(text);
      if (!value) {
        return spot + ", column " + std::to_string(*at[column] + 1) + ": " +
               std::string(kColumnNames[column]) + " is not a number: '" + text + "'";
      }
      return *value;
    };
    TMeasurement row;
    row.Line = static_cast<int>(index + 1);
    if (at[kCase]) row.Case = cell(kCase);
    const auto x = number(kX);
    if (const auto* problem = std::get_if<std::string>(&x)) return *problem;
    row.X = std::get<double>(x);
    if (row.X < 0.0) return spot + ": x_cm must be 0 or more (the spinneret), not " + cell(kX);
    const std::optional<Quantity> quantity = FindQuantity(cell(kQuantity));
    if (!quantity) {
      return spot + ": unknown quantity '" + cell(kQuantity) +
             "'; the quantities are diameter_um, temperature_C, velocity_m_min, tension_dyn";
    }
    row.What = *quantity;
    if (rows == MeasuredRows::kMeasurements) {
      const auto value = number(kValue);
      if (const auto* problem = std::get_if<std::string>(&value)) return *problem;
      row.Value = std::get<double>(value);
    }
    if (at[kSigma] && !cell(kSigma).empty()) {
      const auto sigma = number(kSigma);
      if (const auto* problem = std::get_if<std::string>(&sigma)) return *problem;
      if (!(std::get<double>(sigma) > 0.0)) {
        return spot + ": sigma must be above 0, not " + cell(kSigma);
      }
      row.Sigma = std::get<double>(sigma);
    }
    data.Rows.push_back(std::move(row));
  }
  if (data.Rows.empty()) return file + ": no measurement below the header";
  return data;
}

}  // namespace vellmor
