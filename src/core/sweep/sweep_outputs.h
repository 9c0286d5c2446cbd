#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <functional>

#include "vellmor/base/output_file.h"
#include "vellmor/sweep/case_set.h"
#include "vellmor/sweep/sweep_runner.h"

namespace vellmor {

// The summary or a result file could not be written (kCantWrite), or an output is refused
// before anything ran (kRefused): the sweep stops, whatever case it is at.
class SweepOutputError : public std::runtime_error {
 public:
  enum class Kind { kCantWrite, kRefused };
  explicit SweepOutputError(const std::string& message, Kind kind = Kind::kCantWrite)
      : std::runtime_error(message), kind_(kind) {}
  Kind WhatKind() const { return kind_; }

 private:
  Kind kind_;
};

// How the messages spell a parameter ("--result-dir" for the runner).
using SweepSpelling = std::function<std::string(std::string_view key)>;

// The summary CSV, on standard output or in a file, through the one writer of every output:
// a file's name keeps what it had until Commit puts the whole summary there.
class SummaryOutput {
 public:
  // path, or standard output when it is empty or "-". Throws SweepOutputError when the
  // summary cannot be opened (or another sweep is writing it).
  explicit SummaryOutput(const std::string& path);

  // Buffered; throws SweepOutputError when a write fails.
  void Write(std::string_view text);
  void Flush();
  // Writes out the rest and puts the summary in place. Throws SweepOutputError on failure.
  void Commit();

 private:
  [[noreturn]] void Fail(const TOutputStatus& status);

  std::string shown_;  // "the summary FILE" or "the summary to standard output"
  OutputFile file_;
};

// The name of case_number's result file in a result directory: the case number, zero-padded
// to the digits of case_count so that names sort in case order, then each varied option and
// its text, with any byte outside A-Z a-z 0-9 . _ - made '_':
// "07_take_up_speed=4500_zone2_air_velocity=20.txt".
std::string ResultFileName(std::size_t case_number, std::size_t case_count,
                           const std::vector<TSweepColumn>& columns,
                           const std::vector<std::string>& texts);

// Each succeeded case's result file in a directory, byte for byte the file a single run of its
// texts writes, put in place whole once the case has succeeded; a failed case leaves its name
// as it was. The directory is locked for the whole sweep, so that two sweeps never write into
// one directory.
class ResultDirectory : public CaseFiles {
 public:
  // Creates directory when missing; throws SweepOutputError when it cannot, when another
  // sweep is writing into it (refused: nothing was run), or when its result file names would
  // be longer than a result file name may be.
  ResultDirectory(std::filesystem::path directory, const CaseSet& cases,
                  const SweepSpelling& spelling);
  ResultDirectory(const ResultDirectory&) = delete;
  ResultDirectory& operator=(const ResultDirectory&) = delete;
  ~ResultDirectory() override;

  std::string SaveFileName(std::size_t case_number, int worker) override;
  void AfterRun(const TCaseResult& result, int worker) override;

 private:
  std::filesystem::path directory_;
  const CaseSet& cases_;
  int lock_fd_ = -1;
};

// Throws SweepOutputError (refused) when the summary would replace a file the sweep needs: its
// cases file, or one of the result files it writes into result_directory.
void CheckSummaryPlace(const std::string& summary, const std::string& cases_file,
                       const std::string& result_directory, const CaseSet& cases,
                       const SweepSpelling& spelling);

}  // namespace vellmor
