#pragma once

// What ties the summaries of one sweep together: a fingerprint of the sweep's definition (its
// cases, base inputs, card and solver), kept in a small record beside each summary file
// (SUMMARY.sweep) rather than in the summary itself, so that the summary stays the plain CSV
// every reader takes, and the merge of its shards is byte for byte the summary of one run.
// The merge and the resumption of a shard read it to refuse what belongs to another sweep.

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vellmor/sweep/case_set.h"
#include "vellmor/sweep/sweep_runner.h"

namespace vellmor {

// The sweep a summary belongs to, and which part of it.
struct TSweepRecord {
  std::string Fingerprint;  // 16 hex digits
  std::size_t CaseCount = 0;
  TShard Shard;
};

// The record of the shard of a sweep of cases run with options (its solver: classical,
// with accuracy, converged, with the structure).
TSweepRecord RecordOf(const CaseSet& cases, const TSweepOptions& options);

// The name of the record beside a summary: "shard-1.csv" has "shard-1.csv.sweep".
std::string RecordPath(std::string_view summary_path);

// The record as its file holds it (a line of JSON), and read back; the message that refuses a
// text that is not one names source.
std::string RecordText(const TSweepRecord& record);
std::variant<TSweepRecord, std::string> ReadRecord(std::string_view text, std::string_view source);

// A summary's header and its cases' lines (each with its line end), by case number.
struct TSummaryLines {
  std::string Header;
  std::vector<std::pair<std::size_t, std::string>> Cases;  // in the file's order
};

// The lines of a summary text; the message that refuses one whose line does not start with a
// case number names source and the line.
std::variant<TSummaryLines, std::string> ReadSummaryLines(std::string_view csv,
                                                          std::string_view source);

// "5-8, 13, 20-21": case numbers (ascending) as ranges.
std::string CaseRanges(const std::vector<std::size_t>& cases);

// One shard summary to merge: its name, its text and its record's.
struct TShardSummary {
  std::string Name;
  std::string_view Csv;
  std::string_view Record;
};

struct TMergedSummary {
  std::string Summary;               // the header and every case's line, in case order
  std::vector<std::size_t> Missing;  // the cases none of the shards holds
};

// The shards merged into the whole summary. Refused, with the message naming what is wrong: a
// shard without a record, shards of different sweeps, a header that differs, a case in two
// shards (or twice in one), and, unless allow_missing, a case none holds (listed as ranges).
std::variant<TMergedSummary, std::string> MergeSummaries(const std::vector<TShardSummary>& shards,
                                                         bool allow_missing);

}  // namespace vellmor
