#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/sweep/case_set.h"
#include "core/sweep/sweep_runner.h"

namespace vellmor::cli {

// The summary or a result file could not be written: the sweep stops, whatever case it is at.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The summary CSV, on standard output or in a file. A file is written under a temporary name
// beside it and renamed over the summary only by Commit, so the summary's name never holds
// half a summary; without Commit the temporary file goes again.
class SummaryOutput {
 public:
  // Standard output.
  SummaryOutput();
  // The file path; throws OutputError when its temporary file cannot be created.
  explicit SummaryOutput(std::filesystem::path path);
  SummaryOutput(const SummaryOutput&) = delete;
  SummaryOutput& operator=(const SummaryOutput&) = delete;
  ~SummaryOutput();

  // Buffered; throws OutputError when a write fails.
  void Write(std::string_view text);
  void Flush();
  // Flush, close and rename into place. Throws OutputError on failure.
  void Commit();

 private:
  int fd_ = 1;
  std::filesystem::path path_;       // empty for standard output
  std::filesystem::path temporary_;  // the file being written
  std::string buffer_;
};

// The name of case_number's result file in a result directory: the case number, zero-padded
// to the digits of case_count so that names sort in case order, then each varied option and
// its text, with any byte outside A-Z a-z 0-9 . _ - made '_':
// "07_take-up-speed=4500_zone2-air-velocity=20.txt".
std::string ResultFileName(std::size_t case_number, std::size_t case_count,
                           const std::vector<const TInputField*>& columns,
                           const std::vector<std::string>& texts);

// No result files: every case writes its file to the null device, so the run is the same
// sequence of opens and writes as a single run's and nothing is left anywhere.
class DiscardedResultFiles : public CaseFiles {
 public:
  // Throws OutputError when the null device cannot be written.
  DiscardedResultFiles();
  std::string SaveFileName(std::size_t case_number, int worker) override;
  void AfterRun(const TCaseResult& result, int worker) override;
};

// Each succeeded case's result file in a directory, byte for byte the file a single run of its
// texts writes. The run writes it under a hidden temporary name in the directory, which is
// renamed to ResultFileName once the case has succeeded and removed otherwise, so a name in
// the directory always holds a whole result file.
class ResultDirectory : public CaseFiles {
 public:
  // Creates directory when missing; throws OutputError when it cannot, or when the temporary
  // names in it would be longer than a result file name may be.
  ResultDirectory(std::filesystem::path directory, const CaseSet& cases, int jobs);
  ResultDirectory(const ResultDirectory&) = delete;
  ResultDirectory& operator=(const ResultDirectory&) = delete;
  // Removes the temporary file of a case that a stopped sweep left half done.
  ~ResultDirectory() override;

  std::string SaveFileName(std::size_t case_number, int worker) override;
  void AfterRun(const TCaseResult& result, int worker) override;

 private:
  std::string TemporaryName(std::size_t case_number) const;

  std::filesystem::path directory_;
  const CaseSet& cases_;
  std::string temporary_prefix_;
  std::vector<std::string> in_progress_;  // per worker: the temporary file it is writing
};

}  // namespace vellmor::cli
