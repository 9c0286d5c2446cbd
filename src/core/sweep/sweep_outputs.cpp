#include "vellmor/sweep/sweep_outputs.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "vellmor/report/result_file.h"

namespace vellmor {
namespace {

namespace fs = std::filesystem;

// Enough of the summary to make a write worth its system call.
constexpr std::size_t kSummaryFlushThreshold = 64 * 1024;

// The longest file name most file systems take (NAME_MAX); a result file name is cut to fit.
constexpr std::size_t kMaxFileNameBytes = 255;

std::string SystemMessage(int error) { return std::generic_category().message(error); }

bool IsSafeFileNameByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

bool IsStandardOutput(const std::string& path) { return path.empty() || path == "-"; }

}  // namespace

SummaryOutput::SummaryOutput(const std::string& path)
    : shown_(IsStandardOutput(path) ? "the summary to standard output" : "the summary " + path) {
  const TOutputOptions options{.DashIsStandardOutput = true, .Lock = true};
  if (const TOutputStatus opened = file_.Open(IsStandardOutput(path) ? "-" : path, options);
      !opened.Ok()) {
    throw SweepOutputError("can not write " + shown_ + ": " + opened.Reason);
  }
}

void SummaryOutput::Write(std::string_view text) {
  if (const TOutputStatus written = file_.Write(text); !written.Ok()) Fail(written);
}

void SummaryOutput::Flush() {
  if (const TOutputStatus written = file_.Flush(); !written.Ok()) Fail(written);
}

void SummaryOutput::Commit() {
  if (const TOutputStatus committed = file_.Commit(); !committed.Ok()) Fail(committed);
}

void SummaryOutput::Fail(const TOutputStatus& status) {
  throw SweepOutputError("can not write " + shown_ + ": " + status.Reason);
}

std::string ResultFileName(std::size_t case_number, std::size_t case_count,
                           const std::vector<TSweepColumn>& columns,
                           const std::vector<std::string>& texts) {
  const std::string number = std::to_string(case_number);
  const std::size_t width = std::to_string(case_count).size();
  std::string name(width > number.size() ? width - number.size() : 0, '0');
  name += number;
  for (std::size_t j = 0; j < columns.size() && j < texts.size(); ++j) {
    name += '_';
    name += columns[j].Name();
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

namespace {

// Why a directory is no place for this user's result files, or empty: one of its links is
// another user's (root's are the system's own), it is another user's, or anyone may put a
// link into it. Whoever owns a directory, or may write into it, decides where a name in it
// leads; a sweep run as root would otherwise write wherever they point.
std::string ForeignDirectory(const fs::path& directory) {
  const uid_t self = ::geteuid();
  std::error_code error;
  const fs::path absolute = fs::absolute(directory, error);
  fs::path prefix;
  for (const fs::path& part : absolute) {
    prefix /= part;
    struct stat link {};
    if (::lstat(prefix.c_str(), &link) != 0) break;
    const bool trusted = link.st_uid == self || link.st_uid == 0;
    if (S_ISLNK(link.st_mode) && !trusted) {
      return prefix.string() + " is a link of another user (uid " + std::to_string(link.st_uid) +
             ")";
    }
    // Another user's directory on the way may swap what follows for a link, unless it is
    // sticky (as /tmp is), where nobody may rename another's entries.
    if (S_ISDIR(link.st_mode) && !trusted && (link.st_mode & S_ISVTX) == 0) {
      return prefix.string() + " is another user's directory (uid " + std::to_string(link.st_uid) +
             ")";
    }
  }
  struct stat status {};
  if (::stat(directory.c_str(), &status) != 0) return {};
  if (status.st_uid != self) {
    return "the directory is another user's (uid " + std::to_string(status.st_uid) + ")";
  }
  if ((status.st_mode & S_IWOTH) != 0 && (status.st_mode & S_ISVTX) == 0) {
    return "anyone may write into the directory";
  }
  return {};
}

}  // namespace

ResultDirectory::ResultDirectory(fs::path directory, const CaseSet& cases,
                                 const SweepSpelling& spelling)
    : directory_(std::move(directory)), cases_(cases) {
  std::error_code error;
  if (const std::string foreign = ForeignDirectory(directory_); !foreign.empty()) {
    throw SweepOutputError(spelling("result_dir") + " " + directory_.string() + ": " + foreign +
                               "; a sweep writes its result files only into a directory of "
                               "its own",
                           SweepOutputError::Kind::kRefused);
  }
  fs::create_directories(directory_, error);
  if (error || !fs::is_directory(directory_)) {
    throw SweepOutputError("can not create the result directory " + directory_.string() + ": " +
                           (error ? error.message() : std::string("it is a file")));
  }
  // Once more as made: it may have been made by another between the look and the making.
  if (const std::string foreign = ForeignDirectory(directory_); !foreign.empty()) {
    throw SweepOutputError(spelling("result_dir") + " " + directory_.string() + ": " + foreign +
                               "; a sweep writes its result files only into a directory of "
                               "its own",
                           SweepOutputError::Kind::kRefused);
  }
  lock_fd_ = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock_fd_ < 0) {
    throw SweepOutputError("can not open the result directory " + directory_.string() + ": " +
                           SystemMessage(errno));
  }
  int locked = 0;
  do {
    locked = ::flock(lock_fd_, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0 && errno == EWOULDBLOCK) {
    ::close(lock_fd_);
    lock_fd_ = -1;
    throw SweepOutputError(spelling("result_dir") + " " + directory_.string() +
                               ": another sweep is writing into it; give each sweep a directory "
                               "of its own",
                           SweepOutputError::Kind::kRefused);
  }
  std::size_t longest_name = 0;
  for (std::size_t k = 1; k <= cases_.Count() && longest_name < kMaxFileNameBytes; ++k) {
    longest_name = std::max(
        longest_name,
        ResultFileName(k, cases_.Count(), cases_.Columns(), cases_.ColumnTextsOf(k)).size());
  }
  if ((directory_ / std::string(longest_name, 'x')).string().size() > kMaxSaveFileNameLength) {
    ::close(lock_fd_);
    lock_fd_ = -1;
    throw SweepOutputError("the result directory's name " + directory_.string() +
                           " is too long: its result file names would pass " +
                           std::to_string(kMaxSaveFileNameLength) + " bytes");
  }
}

ResultDirectory::~ResultDirectory() {
  if (lock_fd_ >= 0) ::close(lock_fd_);
}

std::string ResultDirectory::SaveFileName(std::size_t case_number, int /*worker*/) {
  return (directory_ / ResultFileName(case_number, cases_.Count(), cases_.Columns(),
                                      cases_.ColumnTextsOf(case_number)))
      .string();
}

void ResultDirectory::AfterRun(const TCaseResult& result, int /*worker*/) {
  // A result file that could not be opened or written says nothing about the case: the result
  // directory is at fault, and the sweep stops rather than fill the summary with the same
  // refusal.
  if (result.Failure == RunFailureKind::kResultFileRefused ||
      result.Failure == RunFailureKind::kWriteFailed) {
    throw SweepOutputError(
        "case " + std::to_string(result.Case) + ": can not write its result file " +
        SaveFileName(result.Case, 0) + " (" +
        (result.FileProblem.empty() ? result.Message : result.FileProblem) + ")");
  }
}

void CheckSummaryPlace(const std::string& summary, const std::string& cases_file,
                       const std::string& result_directory, const CaseSet& cases,
                       const SweepSpelling& spelling) {
  if (IsStandardOutput(summary)) return;
  if (!cases_file.empty() && cases_file != "-" && NamesSameFile(summary, cases_file)) {
    throw SweepOutputError(spelling("summary") + " " + summary + ": names the cases file " +
                               cases_file + ", which the summary would replace",
                           SweepOutputError::Kind::kRefused);
  }
  if (result_directory.empty()) return;
  const fs::path place = summary;
  const std::string file_name = place.filename().string();
  const fs::path directory = place.has_parent_path() ? place.parent_path() : fs::path(".");
  if (!NamesSameFile(directory.string(), result_directory)) return;
  for (std::size_t k = 1; k <= cases.Count(); ++k) {
    if (ResultFileName(k, cases.Count(), cases.Columns(), cases.ColumnTextsOf(k)) == file_name) {
      throw SweepOutputError(spelling("summary") + " " + summary +
                                 ": names the result file of case " + std::to_string(k) +
                                 ", which the summary would replace",
                             SweepOutputError::Kind::kRefused);
    }
  }
}

}  // namespace vellmor
