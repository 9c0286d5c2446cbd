#include "vellmor/sweep/sweep_record.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>
#include <optional>

namespace vellmor {
namespace {

// FNV-1a over the definition: a fingerprint against mistakes (a shard of another sweep, a
// changed option), not against forgery.
std::uint64_t Fnv1a(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

std::string Hex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4)
    text[static_cast<std::size_t>(i)] = kDigits[value & 15];
  return text;
}

constexpr std::string_view kRecordKind = "vellmor sweep";

}  // namespace

TSweepRecord RecordOf(const CaseSet& cases, const TSweepOptions& options) {
  std::string definition = cases.Definition();
  definition += options.Solve
                    ? (options.Structure ? "solver converged, structure\n" : "solver converged\n")
                : options.Accuracy ? "solver classical, accuracy\n"
                                   : "solver classical\n";
  return {Hex(Fnv1a(definition)), cases.Count(), options.Shard};
}

std::string RecordPath(std::string_view summary_path) {
  return std::string(summary_path) + ".sweep";
}

std::string RecordText(const TSweepRecord& record) {
  nlohmann::ordered_json json;
  json["record"] = kRecordKind;
  json["fingerprint"] = record.Fingerprint;
  json["cases"] = record.CaseCount;
  json["shard"] = std::to_string(record.Shard.Index) + "/" + std::to_string(record.Shard.Count);
  return json.dump() + "\n";
}

std::variant<TSweepRecord, std::string> ReadRecord(std::string_view text, std::string_view source) {
  const std::string refused = std::string(source) + ": not the record of a sweep";
  const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
  if (!json.is_object() || !json.contains("record") || !json["record"].is_string() ||
      json["record"].get<std::string>() != kRecordKind || !json.contains("fingerprint") ||
      !json["fingerprint"].is_string() || !json.contains("cases") ||
      !json["cases"].is_number_unsigned() || !json.contains("shard") ||
      !json["shard"].is_string()) {
    return refused;
  }
  const auto shard = ParseShard(json["shard"].get<std::string>());
  if (std::holds_alternative<TSweepProblem>(shard)) return refused;
  return TSweepRecord{json["fingerprint"].get<std::string>(), json["cases"].get<std::size_t>(),
                      std::get<TShard>(shard)};
}

std::variant<TSummaryLines, std::string> ReadSummaryLines(std::string_view csv,
                                                          std::string_view source) {
  TSummaryLines lines;
  std::size_t start = 0;
  std::size_t number = 0;
  while (start < csv.size()) {
    std::size_t end = csv.find('\n', start);
    end = end == std::string_view::npos ? csv.size() : end + 1;
    const std::string_view line = csv.substr(start, end - start);
    start = end;
    ++number;
    if (number == 1) {
      lines.Header = line;
      continue;
    }
    std::size_t case_number = 0;
    const auto [stop, error] = std::from_chars(line.data(), line.data() + line.size(), case_number);
    // A line cut short (a summary whose writer was killed) has no line end.
    if (error != std::errc() || stop == line.data() + line.size() || *stop != ',' ||
        case_number == 0 || !line.ends_with('\n')) {
      return std::string(source) + ", line " + std::to_string(number) +
             ": not a case's line of a sweep summary";
    }
    lines.Cases.emplace_back(case_number, std::string(line));
  }
  if (number == 0) return std::string(source) + ": empty, not a sweep summary";
  return lines;
}

std::string CaseRanges(const std::vector<std::size_t>& cases) {
  std::string text;
  for (std::size_t i = 0; i < cases.size();) {
    std::size_t j = i;
    while (j + 1 < cases.size() && cases[j + 1] == cases[j] + 1) ++j;
    if (!text.empty()) text += ", ";
    text += std::to_string(cases[i]);
    if (j > i) {
      // Appended in two steps: GCC 12 warns of an overlap in "-" + to_string that is none.
      text += '-';
      text += std::to_string(cases[j]);
    }
    i = j + 1;
  }
  return text;
}

std::variant<TMergedSummary, std::string> MergeSummaries(const std::vector<TShardSummary>& shards,
                                                         bool allow_missing) {
  if (shards.empty()) return std::string("no shard summary to merge");
  std::optional<TSweepRecord> first;
  std::string header;
  std::map<std::size_t, std::pair<const std::string*, std::string>> by_case;
  std::vector<TSummaryLines> read;
  read.reserve(shards.size());
  for (const TShardSummary& shard : shards) {
    auto record = ReadRecord(shard.Record, RecordPath(shard.Name));
    if (auto* problem = std::get_if<std::string>(&record)) return std::move(*problem);
    const TSweepRecord& this_record = std::get<TSweepRecord>(record);
    if (!first) {
      first = this_record;
    } else if (this_record.Fingerprint != first->Fingerprint ||
               this_record.CaseCount != first->CaseCount) {
      return shard.Name + " is a shard of another sweep than " + shards.front().Name;
    }
    auto lines = ReadSummaryLines(shard.Csv, shard.Name);
    if (auto* problem = std::get_if<std::string>(&lines)) return std::move(*problem);
    TSummaryLines& summary = std::get<TSummaryLines>(lines);
    if (header.empty()) {
      header = summary.Header;
    } else if (summary.Header != header) {
      return shard.Name + ": its header differs from " + shards.front().Name + "'s";
    }
    for (auto& [case_number, line] : summary.Cases) {
      if (case_number > first->CaseCount) {
        return shard.Name + ": case " + std::to_string(case_number) + " is not one of the " +
               std::to_string(first->CaseCount) + " cases of the sweep";
      }
      const auto [at, added] = by_case.try_emplace(case_number, &shard.Name, std::move(line));
      if (!added) {
        return "case " + std::to_string(case_number) + " is in " + *at->second.first +
               (*at->second.first == shard.Name ? " twice" : " and in " + shard.Name);
      }
    }
  }
  TMergedSummary merged;
  for (std::size_t k = 1; k <= first->CaseCount; ++k) {
    if (!by_case.contains(k)) merged.Missing.push_back(k);
  }
  if (!merged.Missing.empty() && !allow_missing) {
    return std::to_string(merged.Missing.size()) + " of the " + std::to_string(first->CaseCount) +
           " cases are in no shard: " + CaseRanges(merged.Missing);
  }
  merged.Summary = header;
  for (const auto& [case_number, entry] : by_case) merged.Summary += entry.second;
  return merged;
}

}  // namespace vellmor
