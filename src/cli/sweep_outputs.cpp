#include "cli/sweep_outputs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "core/report/result_file.h"
#include "core/report/write_header.h"
#include "core/report/write_results.h"

namespace vellmor::cli {
namespace {

namespace fs = std::filesystem;

// Enough of the summary to make a write worth its system call.
constexpr std::size_t kSummaryFlushThreshold = 64 * 1024;

// The longest file name most file systems take (NAME_MAX); a result file name is cut to fit.
constexpr std::size_t kMaxFileNameBytes = 255;

constexpr const char* kNullDevice = "/dev/null";

std::string SystemMessage(int error) { return std::generic_category().message(error); }

bool IsSafeFileNameByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

// A case refused or failed because its result file could not be opened or written says
// nothing about the case: the result directory (or the null device) is at fault, and the sweep
// stops rather than fill the summary with the same refusal.
void ThrowIfTheFileWasAtFault(const TCaseResult& result, const std::string& save_file_name) {
  const bool not_opened =
      result.Status == RunStatus::kRefused &&
      (result.Message == kFileCanNotOpen || result.Message == kSaveFileNameTooLong);
  const bool not_written = result.Status == RunStatus::kFailed &&
                           (result.Message == kCanNotWriteResult ||
                            result.Message.find(save_file_name) != std::string::npos);
  if (not_opened || not_written) {
    throw OutputError("case " + std::to_string(result.Case) + ": can not write its result file " +
                      save_file_name + " (" + result.Message + ")");
  }
}

}  // namespace

SummaryOutput::SummaryOutput() = default;

SummaryOutput::SummaryOutput(fs::path path) : fd_(-1), path_(std::move(path)) {
  std::error_code error;
  if (fs::is_directory(path_, error)) {
    throw OutputError("can not write the summary " + path_.string() + ": it is a directory");
  }
  std::string suffix = ".";
  suffix += std::to_string(::getpid());
  suffix += ".partial";
  temporary_ = path_;
  temporary_ += suffix;
  fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    const int reason = errno;
    temporary_.clear();
    throw OutputError("can not create the summary " + path_.string() + ": " +
                      SystemMessage(reason));
  }
}

SummaryOutput::~SummaryOutput() {
  if (path_.empty()) return;
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void SummaryOutput::Write(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= kSummaryFlushThreshold) Flush();
}

void SummaryOutput::Flush() {
  std::size_t written = 0;
  while (written < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + written, buffer_.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int reason = n < 0 ? errno : EIO;
      buffer_.clear();
      throw OutputError("can not write the summary " +
                        (path_.empty() ? std::string("to standard output") : path_.string()) +
                        ": " + SystemMessage(reason));
    }
    written += static_cast<std::size_t>(n);
  }
  buffer_.clear();
}

void SummaryOutput::Commit() {
  Flush();
  if (path_.empty()) return;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 || ::rename(temporary_.c_str(), path_.c_str()) != 0) {
    const int reason = errno;
    throw OutputError("can not write the summary " + path_.string() + ": " + SystemMessage(reason));
  }
  temporary_.clear();
}

std::string ResultFileName(std::size_t case_number, std::size_t case_count,
                           const std::vector<const TInputField*>& columns,
                           const std::vector<std::string>& texts) {
  const std::string number = std::to_string(case_number);
  const std::size_t width = std::to_string(case_count).size();
  std::string name(width > number.size() ? width - number.size() : 0, '0');
  name += number;
  for (std::size_t j = 0; j < columns.size() && j < texts.size(); ++j) {
    name += '_';
    name += columns[j]->Name;
    name += '=';
    for (const char c : texts[j]) name += IsSafeFileNameByte(c) ? c : '_';
  }
  constexpr std::string_view kExtension = ".txt";
  // The case number in front keeps a cut name unique.
  if (name.size() + kExtension.size() > kMaxFileNameBytes) {
    name.resize(kMaxFileNameBytes - kExtension.size());
  }
  name += kExtension;
  return name;
}

DiscardedResultFiles::DiscardedResultFiles() {
  if (::access(kNullDevice, W_OK) != 0) {
    const int reason = errno;
    throw OutputError(std::string("can not write to ") + kNullDevice + ": " +
                      SystemMessage(reason));
  }
}

std::string DiscardedResultFiles::SaveFileName(std::size_t /*case_number*/, int /*worker*/) {
  return kNullDevice;
}

void DiscardedResultFiles::AfterRun(const TCaseResult& result, int /*worker*/) {
  ThrowIfTheFileWasAtFault(result, kNullDevice);
}

ResultDirectory::ResultDirectory(fs::path directory, const CaseSet& cases, int jobs)
    : directory_(std::move(directory)),
      cases_(cases),
      in_progress_(static_cast<std::size_t>(jobs)) {
  std::error_code error;
  fs::create_directories(directory_, error);
  if (error || !fs::is_directory(directory_)) {
    throw OutputError("can not create the result directory " + directory_.string() + ": " +
                      (error ? error.message() : std::string("it is a file")));
  }
  temporary_prefix_ =
      (directory_ / (".vellmor-sweep-" + std::to_string(::getpid()) + "-")).string();
  if (TemporaryName(cases_.Count()).size() > kMaxSaveFileNameLength) {
    throw OutputError("the result directory's name " + directory_.string() +
                      " is too long: its result file names would pass " +
                      std::to_string(kMaxSaveFileNameLength) + " bytes");
  }
}

ResultDirectory::~ResultDirectory() {
  for (const std::string& name : in_progress_) {
    if (!name.empty()) ::unlink(name.c_str());
  }
}

std::string ResultDirectory::TemporaryName(std::size_t case_number) const {
  return temporary_prefix_ + std::to_string(case_number) + ".partial";
}

std::string ResultDirectory::SaveFileName(std::size_t case_number, int worker) {
  std::string name = TemporaryName(case_number);
  in_progress_[static_cast<std::size_t>(worker)] = name;
  return name;
}

void ResultDirectory::AfterRun(const TCaseResult& result, int worker) {
  std::string& temporary = in_progress_[static_cast<std::size_t>(worker)];
  ThrowIfTheFileWasAtFault(result, temporary);
  if (result.Status == RunStatus::kSucceeded) {
    const fs::path final_name =
        directory_ / ResultFileName(result.Case, cases_.Count(), cases_.Columns(),
                                    cases_.ColumnTextsOf(result.Case));
    if (::rename(temporary.c_str(), final_name.c_str()) != 0) {
      const int reason = errno;
      throw OutputError("can not write the result file " + final_name.string() + ": " +
                        SystemMessage(reason));
    }
  } else {
    // A failed case leaves the header alone; the summary row says why it failed.
    ::unlink(temporary.c_str());
  }
  temporary.clear();
}

}  // namespace vellmor::cli
