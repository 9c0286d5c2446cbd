// The one writer of every output: a replacement renamed into place for regular files, the
// descriptor itself for devices, FIFOs and standard output.

#include "vellmor/base/output_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>

namespace vellmor {
namespace {

// Gathered before each write: a result file of 101 rows is one write.
constexpr std::size_t kWriteThreshold = 64 * 1024;
// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;
// The longest file name most file systems take (NAME_MAX).
constexpr std::size_t kMaxFileNameBytes = 255;
constexpr std::size_t kRandomLetters = 10;
// A name taken by someone else between our look and our open is looked at again this often.
constexpr int kOpenTries = 4;
constexpr int kTemporaryNameTries = 100;

constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

// Not an errno: the name was taken, removed or replaced between the look and the open, and is
// looked at again.
constexpr int kLookAgain = -1;
const TOutputStatus kChanged{kLookAgain, "it changed while being opened"};

TOutputStatus SystemFailure(int error) { return {error, std::generic_category().message(error)}; }

// open(2) again while a signal interrupts it.
int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd = -1;
  do {
    fd = ::open(path, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Writes all of bytes to fd; the errno of a failure, or 0. A descriptor left non-blocking by
// whoever shares it is waited on rather than given up.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd ready{fd, POLLOUT, 0};
        if (::poll(&ready, 1, -1) < 0 && errno != EINTR) return errno;
        continue;
      }
      return errno;
    }
    // A write that takes nothing would loop for ever.
    if (n == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// The descriptor of this process that a name stands for: /dev/stdout, /dev/fd/3,
// /proc/self/fd/1 and the like. Written through the descriptor itself, a redirection keeps its
// place and its appending; reopened by name it would start again at the beginning of the file.
std::optional<int> OwnDescriptorNamed(const std::string& path) {
  if (path == "/dev/stdin") return 0;
  if (path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  const std::string own = "/proc/" + std::to_string(::getpid()) + "/fd/";
  for (const std::string_view prefix :
       {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/"),
        std::string_view("/proc/thread-self/fd/"), std::string_view(own)}) {
    if (!path.starts_with(prefix)) continue;
    const std::string_view digits = std::string_view(path).substr(prefix.size());
    int fd = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), fd);
    if (error == std::errc() && end == digits.data() + digits.size() && fd >= 0) return fd;
  }
  return std::nullopt;
}

std::string Normalised(const std::string& path) {
  return std::filesystem::path(path).lexically_normal().string();
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Where a name leads once its links are followed.
struct TTarget {
  enum class Kind { kMissing, kRegular, kSpecial, kDescriptor, kMagicLink } Kind = Kind::kMissing;
  std::string Path;
  int Descriptor = -1;
  struct stat Status {};
};

// The kernel's rule for links in shared directories (fs.protected_symlinks), which following
// links by hand would skip: a link in a sticky, world-writable directory such as /tmp is
// followed only when it is the writer's own or the directory owner's, so that a link planted
// there by another user leads nowhere.
bool MayFollow(const std::string& link, const struct stat& link_status) {
  struct stat directory {};
  if (::stat(DirectoryOf(link).c_str(), &directory) != 0) return true;
  const bool shared = (directory.st_mode & S_ISVTX) != 0 && (directory.st_mode & S_IWOTH) != 0;
  return !shared || link_status.st_uid == ::geteuid() || link_status.st_uid == directory.st_uid;
}

TOutputStatus Resolve(const std::string& name, TTarget& target) {
  std::string path = name;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    const std::string plain = Normalised(path);
    if (const std::optional<int> fd = OwnDescriptorNamed(plain)) {
      target.Kind = TTarget::Kind::kDescriptor;
      target.Descriptor = *fd;
      return {};
    }
    // Another process's descriptors, and whatever else the kernel names under /proc, lead to
    // things that have no directory to write beside them: opened as they are.
    if (plain.starts_with("/proc/")) {
      target.Kind = TTarget::Kind::kMagicLink;
      target.Path = path;
      return {};
    }
    if (::lstat(path.c_str(), &target.Status) != 0) {
      if (errno != ENOENT) return SystemFailure(errno);
      target.Kind = TTarget::Kind::kMissing;
      target.Path = path;
      return {};
    }
    if (!S_ISLNK(target.Status.st_mode)) {
      if (S_ISDIR(target.Status.st_mode)) return SystemFailure(EISDIR);
      target.Kind =
          S_ISREG(target.Status.st_mode) ? TTarget::Kind::kRegular : TTarget::Kind::kSpecial;
      target.Path = path;
      return {};
    }
    if (!MayFollow(path, target.Status)) {
      return {EACCES, "it is another user's link in a shared directory"};
    }
    std::string link(static_cast<std::size_t>(target.Status.st_size) + 256, '\0');
    const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
    if (length < 0) return SystemFailure(errno);
    link.resize(static_cast<std::size_t>(length));
    if (link.empty()) return SystemFailure(ENOENT);
    path = link.front() == '/' ? link : DirectoryOf(path) + "/" + link;
  }
  return SystemFailure(ELOOP);
}

// An unpredictable hidden name beside the target: its own name cut to leave room, a point and
// letters from the system's random source.
std::string TemporaryName(const std::string& target, std::random_device& random) {
  constexpr std::string_view kLetters =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string file = FileNameOf(target);
  const std::size_t room = kMaxFileNameBytes - 2 - kRandomLetters;
  if (file.size() > room) file.resize(room);
  std::string name = DirectoryOf(target);
  name += "/.";
  name += file;
  name += '.';
  std::uniform_int_distribution<std::size_t> letter(0, kLetters.size() - 1);
  for (std::size_t i = 0; i < kRandomLetters; ++i) name += kLetters[letter(random)];
  return name;
}

// An exclusive lock of another writer: an flock, or a POSIX record lock, which many programs
// take instead and which flock does not see. A file system that cannot lock at all does not
// stop the writing. True when the lock is ours.
bool LockExclusively(int fd) {
  int result = 0;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0 && errno == EWOULDBLOCK) return false;
  // Held by the open file description, not the process, so it conflicts with a record lock of
  // any other program and is not lost when some other descriptor of the file is closed.
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  do {
    result = ::fcntl(fd, F_OFD_SETLK, &whole);
  } while (result != 0 && errno == EINTR);
  return !(result != 0 && (errno == EAGAIN || errno == EACCES));
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

OutputFile::~OutputFile() { Abandon(); }

TOutputStatus OutputFile::Open(std::string_view name, const TOutputOptions& options) {
  Abandon();
  failure_ = {};
  name_ = name;
  if (name.empty()) return failure_ = {ENOENT, "the name is empty"};
  // A NUL byte would silently cut the name short at the system call.
  if (name.find('\0') != std::string_view::npos) {
    return failure_ = {EINVAL, "the name holds a NUL byte"};
  }
  TTarget target;
  if (options.DashIsStandardOutput && name == "-") {
    target.Kind = TTarget::Kind::kDescriptor;
    target.Descriptor = STDOUT_FILENO;
  } else if (TOutputStatus resolved = Resolve(name_, target); !resolved.Ok()) {
    return failure_ = resolved;
  }

  switch (target.Kind) {
    case TTarget::Kind::kDescriptor: {
      const int flags = ::fcntl(target.Descriptor, F_GETFL);
      if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) return failure_ = SystemFailure(EBADF);
      fd_ = ::fcntl(target.Descriptor, F_DUPFD_CLOEXEC, 0);
      if (fd_ < 0) return failure_ = SystemFailure(errno);
      place_ = OutputPlace::kInPlace;
      return {};
    }
    case TTarget::Kind::kSpecial:
    case TTarget::Kind::kMagicLink:
      return OpenInPlace(target.Path);
    case TTarget::Kind::kRegular:
    case TTarget::Kind::kMissing:
      break;
  }
  TOutputStatus opened;
  for (int attempt = 1; attempt <= kOpenTries; ++attempt) {
    opened = OpenReplacement(target.Path, options);
    // Taken or replaced by someone else since it was looked at: look again.
    if (opened.Error != kLookAgain) break;
    if (TOutputStatus resolved = Resolve(name_, target); !resolved.Ok()) {
      return failure_ = resolved;
    }
    if (target.Kind != TTarget::Kind::kRegular && target.Kind != TTarget::Kind::kMissing) {
      const std::string again = name_;
      return target.Kind == TTarget::Kind::kDescriptor ? Open(again, options)
                                                       : OpenInPlace(target.Path);
    }
  }
  if (opened.Error == kLookAgain) opened.Error = EAGAIN;
  if (!opened.Ok()) failure_ = opened;
  return opened;
}

TOutputStatus OutputFile::OpenInPlace(const std::string& target) {
  // Non-blocking only for the open itself: a FIFO without a reader fails instead of hanging.
  fd_ = OpenRetrying(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) {
    const int error = errno;
    if (error == ENXIO) return failure_ = {error, "no program is reading from it"};
    return failure_ = SystemFailure(error);
  }
  // Another process's descriptor or a /proc path that leads to a regular file would be
  // written over from its start, leaving the old file's tail: such a file is named by its
  // own name or not at all.
  struct stat status {};
  if (::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode)) {
    Close();
    return failure_ = {EINVAL, "a regular file named through /proc: give its own name"};
  }
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) return Fail(errno);
  place_ = OutputPlace::kInPlace;
  target_ = target;
  return {};
}

TOutputStatus OutputFile::OpenReplacement(const std::string& target,
                                          const TOutputOptions& options) {
  target_ = target;
  place_ = OutputPlace::kReplaced;
  struct stat status {};
  const bool exists = ::lstat(target.c_str(), &status) == 0;
  if (!exists && errno != ENOENT) return SystemFailure(errno);
  if (exists && !S_ISREG(status.st_mode)) return kChanged;
  bool set_mode = exists;
  if (exists) {
    // Root may write anything; a file nobody may write stays as it is all the same.
    if ((status.st_mode & kAnyWriteBit) == 0) return SystemFailure(EACCES);
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return SystemFailure(errno);
    mode_ = status.st_mode & 07777;
    keep_owner_ = status.st_uid != ::geteuid() || status.st_gid != ::getegid();
    owner_ = status.st_uid;
    group_ = status.st_gid;
  }

  if (options.Lock) {
    if (exists) {
      lock_fd_ =
          OpenRetrying(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    } else {
      lock_fd_ = OpenRetrying(
          target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
      created_target_ = lock_fd_ >= 0;
    }
    if (lock_fd_ < 0) {
      const int error = errno;
      // Created, removed or turned into a link since the look: look again.
      if (exists ? (error == ENOENT || error == ELOOP) : error == EEXIST) return kChanged;
      return SystemFailure(error);
    }
    struct stat locked {};
    if (::fstat(lock_fd_, &locked) != 0 || !S_ISREG(locked.st_mode)) {
      Abandon();
      return kChanged;
    }
    target_device_ = locked.st_dev;
    target_inode_ = locked.st_ino;
    if (!LockExclusively(lock_fd_)) {
      Abandon();
      return {EWOULDBLOCK, "another program is writing it"};
    }
    // The name must still lead to the file locked: otherwise a writer that came and went in
    // between has put another file there.
    struct stat now {};
    if (::lstat(target.c_str(), &now) != 0 || !SameFile(now, locked)) {
      Abandon();
      return kChanged;
    }
    if (created_target_) {
      // A new file gets what the umask and the directory's default permissions give it.
      mode_ = locked.st_mode & 07777;
      set_mode = true;
    }
  }

  std::random_device random;
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    std::string temporary = TemporaryName(target, random);
    // Never through a link, never an existing file: a name planted beside the target is no
    // way into another file. Private until it is given the output's permissions.
    fd_ = OpenRetrying(temporary.c_str(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                       set_mode ? 0600 : 0666);
    if (fd_ >= 0) {
      temporary_ = std::move(temporary);
      if (!set_mode) keep_owner_ = false;
      set_mode_ = set_mode;
      return {};
    }
    if (errno != EEXIST) break;
  }
  const int error = fd_ < 0 ? errno : EEXIST;
  Abandon();
  return SystemFailure(error);
}

TOutputStatus OutputFile::Write(std::string_view bytes) {
  if (!failure_.Ok()) return failure_;
  if (fd_ < 0) return SystemFailure(EBADF);
  buffer_.append(bytes);
  if (buffer_.size() >= kWriteThreshold) return WriteOut();
  return {};
}

TOutputStatus OutputFile::Flush() {
  if (!failure_.Ok()) return failure_;
  if (fd_ < 0) return SystemFailure(EBADF);
  return WriteOut();
}

TOutputStatus OutputFile::WriteOut() {
  if (const int error = WriteAll(fd_, buffer_); error != 0) return Fail(error);
  buffer_.clear();
  return {};
}

TOutputStatus OutputFile::Commit() {
  if (!failure_.Ok()) return failure_;
  if (fd_ < 0) return SystemFailure(EBADF);
  if (TOutputStatus written = WriteOut(); !written.Ok()) return written;
  if (place_ == OutputPlace::kInPlace) {
    const int fd = fd_;
    fd_ = -1;
    // Not retried on EINTR: Linux has released the descriptor whatever close returns.
    if (::close(fd) != 0 && errno != EINTR) return Fail(errno);
    Abandon();
    return {};
  }
  // The replaced file's owner and group come back: root may give back both, anyone else the
  // group, where they belong to it (a shared project file stays the project's). chown clears
  // set-id bits, so the mode comes after it.
  if (keep_owner_ && ::fchown(fd_, owner_, group_) != 0) {
    if (::fchown(fd_, static_cast<uid_t>(-1), group_) != 0) keep_owner_ = false;
  }
  if (set_mode_ && ::fchmod(fd_, mode_) != 0) return Fail(errno);
  // On the disk before the rename, so that a crash leaves the old file rather than an empty
  // one. A file system that cannot sync says so with EINVAL, which is no failure of the data.
  if (::fsync(fd_) != 0 && errno != EINVAL) return Fail(errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) return Fail(errno);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) return Fail(errno);
  temporary_.clear();
  created_target_ = false;  // replaced by the output itself
  Abandon();
  return {};
}

TOutputStatus OutputFile::Fail(int error) {
  Abandon();
  failure_ = SystemFailure(error);
  return failure_;
}

void OutputFile::Close() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void OutputFile::Abandon() noexcept {
  Close();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  if (created_target_) {
    // The empty file that held the lock of a new name goes again, unless something else has
    // taken the name meanwhile.
    struct stat now {};
    if (::lstat(target_.c_str(), &now) == 0 && now.st_dev == target_device_ &&
        now.st_ino == target_inode_ && now.st_size == 0) {
      ::unlink(target_.c_str());
    }
    created_target_ = false;
  }
  if (lock_fd_ >= 0) ::close(lock_fd_);
  lock_fd_ = -1;
  buffer_.clear();
  buffer_.shrink_to_fit();
  set_mode_ = false;
  keep_owner_ = false;
}

bool WrittenInPlace(std::string_view name, const TOutputOptions& options) {
  if (options.DashIsStandardOutput && name == "-") return true;
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  TTarget target;
  if (!Resolve(std::string(name), target).Ok()) return false;
  return target.Kind == TTarget::Kind::kDescriptor || target.Kind == TTarget::Kind::kSpecial ||
         target.Kind == TTarget::Kind::kMagicLink;
}

bool NamesSameFile(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return false;
  const std::string first(a);
  const std::string second(b);
  struct stat first_status {};
  struct stat second_status {};
  if (::stat(first.c_str(), &first_status) == 0 && ::stat(second.c_str(), &second_status) == 0) {
    return SameFile(first_status, second_status);
  }
  namespace fs = std::filesystem;
  std::error_code error;
  const auto place = [&error](const std::string& name) {
    fs::path absolute = fs::absolute(name, error).lexically_normal();
    if (absolute.filename().empty()) absolute = absolute.parent_path();  // "out/." is "out"
    const fs::path canonical = fs::weakly_canonical(absolute, error);
    return error ? absolute : canonical;
  };
  return place(first) == place(second);
}

TOutputStatus WriteWholeOutput(std::string_view name, std::string_view contents,
                               const TOutputOptions& options) {
  OutputFile file;
  if (TOutputStatus opened = file.Open(name, options); !opened.Ok()) return opened;
  if (TOutputStatus written = file.Write(contents); !written.Ok()) return written;
  return file.Commit();
}

}  // namespace vellmor
