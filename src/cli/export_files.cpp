#include "cli/export_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/exports/profile_csv.h"
#include "core/exports/run_json.h"
#include "core/report/result_rows.h"

namespace vellmor::cli {
namespace {

namespace fs = std::filesystem;

std::string Description(int error) { return std::generic_category().message(error); }

// A link is followed, so that the file it leads to is replaced and the link stays; a link
// that leads nowhere yet is followed too, so the file is created where it points.
fs::path Target(const std::string& name) {
  // As many links as the kernel follows in one path.
  constexpr int kMaxLinks = 40;
  fs::path path = name;
  std::error_code error;
  for (int link = 0; link < kMaxLinks && fs::is_symlink(path, error); ++link) {
    const fs::path next = fs::read_symlink(path, error);
    if (error) break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

// Writes all of contents to fd; the errno of a failure, or 0.
int WriteAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t n = ::write(fd, contents.data(), contents.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    contents.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// A new file, or an ordinary file being replaced (whose permissions it keeps): written beside
// it and renamed into place.
std::string WriteThroughTemporaryFile(const fs::path& target, mode_t permissions,
                                      std::string_view contents) {
  const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // A hidden name beside the target. Built piece by piece: GCC 12 warns falsely (-Wrestrict)
  // on "." + string.
  std::string name(1, '.');
  name += target.filename().string();
  name += ".XXXXXX";
  std::string temporary = (directory / name).string();
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return Description(errno);
  int error = WriteAll(fd, contents);
  if (error == 0 && ::fchmod(fd, permissions) != 0) error = errno;
  // On the disk before the rename, so a crash leaves the old file rather than an empty one.
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return Description(error);
  }
  return {};
}

// A device or a pipe (/dev/stderr, a FIFO a script reads) is written into, never replaced.
// Non-blocking only for the open: a FIFO without a reader fails instead of hanging.
std::string WriteIntoSpecialFile(const fs::path& target, std::string_view contents) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return Description(errno);
  const int flags = ::fcntl(fd, F_GETFL);
  int error = (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0) ? errno : 0;
  if (error == 0) error = WriteAll(fd, contents);
  if (::close(fd) != 0 && error == 0) error = errno;
  return error != 0 ? Description(error) : std::string();
}

std::string WriteFile(const fs::path& target, std::string_view contents) {
  struct stat status {};
  if (::stat(target.c_str(), &status) != 0) {
    if (errno != ENOENT) return Description(errno);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return WriteThroughTemporaryFile(target, 0666 & ~mask, contents);
  }
  if (S_ISDIR(status.st_mode)) return Description(EISDIR);
  if (!S_ISREG(status.st_mode)) return WriteIntoSpecialFile(target, contents);
  // A file nobody may write stays as it is, as a read-only result file does.
  if ((status.st_mode & kAnyWriteBit) == 0) return Description(EACCES);
  return WriteThroughTemporaryFile(target, status.st_mode & 07777, contents);
}

void Report(MessageSink& sink, std::string_view what, const std::string& name,
            const std::string& failure) {
  std::string text = "Can not write ";
  text += what;
  text += name == kStandardOutputName ? " to standard output" : " file " + name;
  sink.ShowMessage(text + ": " + failure);
}

}  // namespace

std::string WriteWholeFile(const std::string& name, std::string_view contents,
                           std::ostream& standard_output) {
  if (name == kStandardOutputName) {
    standard_output.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    standard_output.flush();
    return standard_output ? std::string() : Description(EIO);
  }
  if (name.empty()) return "the name is empty";
  if (name.find('\0') != std::string::npos) return "the name holds a NUL byte";
  return WriteFile(Target(name), contents);
}

bool WriteExports(const TExportRequest& request, const TInputTexts& texts, char decimal_separator,
                  const TRunOutcome& outcome, std::string_view message, TRunState& state,
                  const TAccuracyCheck* converged, MessageSink& sink,
                  std::ostream& standard_output) {
  std::vector<TResultRow> rows;
  if (outcome.Status == RunStatus::kSucceeded &&
      !(request.JsonFile.empty() && request.CsvFile.empty())) {
    rows = ResultRowsOf(state.Condition, state.Profile);
  }
  bool written = true;
  auto write = [&](const std::string& name, std::string_view what, const std::string& contents) {
    if (const std::string failure = WriteWholeFile(name, contents, standard_output);
        !failure.empty()) {
      Report(sink, what, name, failure);
      written = false;
    }
  };
  if (!request.JsonFile.empty()) {
    TRunRecord record{texts, decimal_separator, outcome, message, rows};
    record.Converged = converged;
    write(request.JsonFile, "the JSON export", RunJsonText(record));
  }
  if (!request.CsvFile.empty()) write(request.CsvFile, "the CSV export", ProfileCsv(rows));
  if (!request.ConvergedCsvFile.empty()) {
    const bool solved = converged != nullptr && converged->Solution;
    write(request.ConvergedCsvFile, "the converged CSV export",
          ConvergedProfileCsv(solved ? converged->Solution->Profile
                                     : std::span<const TConvergedSample>()));
  }
  return written;
}

}  // namespace vellmor::cli
