#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vellmor {

// The longest result file name accepted, in bytes: a path limit of 260 bytes including the
// terminating NUL.
inline constexpr std::size_t kMaxSaveFileNameLength = 259;

// A run's hold on its result file from the header to the end of the table: an exclusive
// advisory lock (flock) on the file the header was written to. While it is held, a second run
// of this tool, or any program that locks before writing, is refused the file, and the table
// can check that the name still leads to the file of its header. Readers are never blocked.
// Released by Release or the destructor.
class ResultFileLock {
 public:
  ResultFileLock() = default;
  ResultFileLock(const ResultFileLock&) = delete;
  ResultFileLock& operator=(const ResultFileLock&) = delete;
  ~ResultFileLock() { Release(); }

  bool Held() const { return fd_ >= 0; }
  // Whether descriptor fd refers to the locked file (the same file system and inode).
  bool Locks(int fd) const;
  void Release() noexcept;

 private:
  friend class ResultFile;
  int fd_ = -1;  // shares the open file description, and so the lock, of the header's file
};

// The result file while the header or the table is written: an owned POSIX file descriptor
// and a line buffer, so that a whole table costs a handful of write calls. Lines end with
// CR LF. The descriptor is released by Close, by a failed write, or by the destructor (which
// never throws and drops what is still buffered), so a later run can always open the file.
class ResultFile {
 public:
  enum class Mode {
    kCreate,  // create a missing file, empty an existing one
    kAppend,  // the file must exist; writing continues after its last byte
  };
  enum class OpenResult {
    kOpened,
    kNameTooLong,  // longer than kMaxSaveFileNameLength: nothing was tried
    kCanNotOpen,   // missing directory or file, access denied, a directory, an invalid name
  };

  ResultFile() = default;
  ResultFile(const ResultFile&) = delete;
  ResultFile& operator=(const ResultFile&) = delete;
  ~ResultFile();

  // Opens name (relative to the current directory) for writing. An existing file that cannot
  // be opened, or that another process holds locked, is left byte for byte as it was: it is
  // emptied only once it is open and locked.
  //   kCreate: the lock is taken and handed to hold, which keeps it after Close.
  //   kAppend: when hold is held, the name must still lead to its file (not removed or
  //            replaced since the header); otherwise nobody else may hold the file locked.
  OpenResult Open(const std::string& name, Mode mode, ResultFileLock& hold);

  // Appends text and CR LF; writes the buffer out once it holds a few KiB. Throws
  // FileWriteError (and releases the file) when the write fails.
  void WriteLine(std::string_view text);
  // Writes out everything buffered. Throws FileWriteError (and releases the file) on failure.
  void Flush();
  // Flush, then close. Throws FileWriteError when either fails; the file is released anyway.
  void Close();

 private:
  [[noreturn]] void Fail(std::string_view action, int error);
  void Release() noexcept;

  int fd_ = -1;
  std::string name_;
  std::string buffer_;
};

}  // namespace vellmor
