// The result file handle over a POSIX file descriptor.

#include "core/report/result_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "core/run/run_error.h"

namespace vellmor {
namespace {

// The buffer is written out once it holds this much: about 110 rows of the table.
constexpr std::size_t kFlushThreshold = 8192;

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

// Refusals the kernel would not make for a privileged process: an existing directory, or an
// existing file nobody may write (a read-only result file stays read-only even for root).
bool RefusedBeforeOpening(const std::string& name) {
  struct stat status {};
  if (::stat(name.c_str(), &status) != 0) return false;  // missing: the open decides
  if (S_ISDIR(status.st_mode)) return true;
  return (status.st_mode & kAnyWriteBit) == 0;
}

int OpenFlags(ResultFile::Mode mode) {
  // Non-blocking only for the open itself: a FIFO without a reader fails instead of hanging.
  // The file is not truncated here: only once it is locked.
  const int common = O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  return mode == ResultFile::Mode::kCreate ? common | O_CREAT : common | O_APPEND;
}

bool IsRegularFile(int fd) {
  struct stat status {};
  return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

// Takes the exclusive lock without waiting. False only when another open file holds it; a file
// system that cannot lock at all does not stop the run. Only ordinary files are locked: a
// device such as /dev/null is shared by every run that writes into it.
bool LockExclusively(int fd) {
  if (!IsRegularFile(fd)) return true;
  int result = 0;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result == 0 || errno != EWOULDBLOCK;
}

// Empties a regular file; devices and FIFOs have nothing to empty.
bool EmptyFile(int fd) {
  if (!IsRegularFile(fd)) return true;
  int result = 0;
  do {
    result = ::ftruncate(fd, 0);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

}  // namespace

bool ResultFileLock::Locks(int fd) const {
  struct stat locked {};
  struct stat other {};
  if (fd_ < 0 || ::fstat(fd_, &locked) != 0 || ::fstat(fd, &other) != 0) return false;
  return locked.st_dev == other.st_dev && locked.st_ino == other.st_ino;
}

void ResultFileLock::Release() noexcept {
  // Closing the last descriptor of the open file description releases the lock.
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

ResultFile::~ResultFile() { Release(); }

ResultFile::OpenResult ResultFile::Open(const std::string& name, Mode mode, ResultFileLock& hold) {
  Release();
  buffer_.clear();
  if (name.size() > kMaxSaveFileNameLength) return OpenResult::kNameTooLong;
  // A NUL byte would silently cut the name short at the system call.
  if (name.find('\0') != std::string::npos) return OpenResult::kCanNotOpen;
  if (RefusedBeforeOpening(name)) return OpenResult::kCanNotOpen;

  int fd = -1;
  do {
    fd = ::open(name.c_str(), OpenFlags(mode), 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return OpenResult::kCanNotOpen;
  const int status_flags = ::fcntl(fd, F_GETFL);
  bool usable = status_flags >= 0 && ::fcntl(fd, F_SETFL, status_flags & ~O_NONBLOCK) == 0;
  if (mode == Mode::kCreate) {
    hold.Release();
    usable = usable && LockExclusively(fd) && EmptyFile(fd);
    // A second descriptor of the same open file keeps the lock after the header is closed.
    if (usable && IsRegularFile(fd)) {
      hold.fd_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
      usable = hold.Held();
    }
  } else {
    usable = usable && (hold.Held() ? hold.Locks(fd) : LockExclusively(fd));
  }
  if (!usable) {
    ::close(fd);
    return OpenResult::kCanNotOpen;
  }
  fd_ = fd;
  name_ = name;
  return OpenResult::kOpened;
}

void ResultFile::WriteLine(std::string_view text) {
  buffer_.append(text);
  buffer_.append("\r\n");
  if (buffer_.size() >= kFlushThreshold) Flush();
}

void ResultFile::Flush() {
  if (fd_ < 0) {
    buffer_.clear();
    return;
  }
  std::size_t written = 0;
  while (written < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + written, buffer_.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("write to", errno);
    }
    // A write that takes nothing would loop for ever.
    if (n == 0) Fail("write to", EIO);
    written += static_cast<std::size_t>(n);
  }
  buffer_.clear();
}

void ResultFile::Close() {
  Flush();
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  // Not retried on EINTR: Linux has released the descriptor whatever close returns.
  if (::close(fd) != 0) Fail("close", errno);
}

void ResultFile::Fail(std::string_view action, int error) {
  Release();
  buffer_.clear();
  std::string text = "Can not ";
  text.append(action);
  text += " file ";
  text += name_;
  text += ": ";
  text += std::generic_category().message(error);
  throw FileWriteError(text);
}

void ResultFile::Release() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace vellmor
