#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace vellmor {

// Why an output could not be opened, written or put in place: the system's error number and
// a text for the user, the system's own description unless a reason of ours says more.
struct TOutputStatus {
  int Error = 0;       // errno; 0 when all went well
  std::string Reason;  // "Permission denied", "it is a directory", …

  bool Ok() const { return Error == 0; }
};

// How an output reaches its name.
enum class OutputPlace {
  kReplaced,  // a regular file or a name not yet taken: written beside it and renamed over it
  kInPlace,   // a device, FIFO, socket or one of the process's own descriptors: written into
};

struct TOutputOptions {
  // "-" names standard output, as on a command line; elsewhere it is a file called "-".
  bool DashIsStandardOutput = false;
  // Refuse a regular file that another writer holds locked (flock, or a POSIX record lock of
  // another program), and hold the name locked until Commit or Abandon, so that a second writer
  // of the same name is refused before anything has changed. A name not yet taken is created
  // empty to carry the lock and removed again by Abandon.
  bool Lock = true;
};

// The one way every output of Vellmor is written: the result file, the exports, a sweep's
// summary and result files, the viewer's images and the screenshot.
//
// A regular file, or a name not yet taken, is written under an unpredictable hidden name in the
// same directory (created exclusively, never through a link), synced, given the old file's
// permissions (a new file those the umask leaves of 0666) and renamed over the name by Commit:
// a reader finds the old file or the whole new one, and a failed write, a full disk or a stop
// before Commit leaves the old file exactly as it was. A symbolic link is followed, so that its
// target is replaced and the link stays. A device, FIFO or socket, and standard output, are
// opened once and written into, never renamed over nor truncated; a FIFO without a reader is
// refused rather than waited on. A file nobody may write is refused.
//
// Not thread-safe; separate objects may be used on separate threads. A broken pipe is a write
// error only where SIGPIPE is ignored, as the command-line runner ignores it.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Abandons an output that was not committed.
  ~OutputFile();

  // Opens name (relative to the current directory) for writing; nothing is changed at the
  // name yet, except that a name not yet taken holds an empty file while locked.
  TOutputStatus Open(std::string_view name, const TOutputOptions& options = {});

  // Appends bytes; a few KiB are gathered before each write. On failure the output is
  // abandoned and every later call fails alike.
  TOutputStatus Write(std::string_view bytes);

  // Writes out what is gathered, so that a reader of a pipe sees it now.
  TOutputStatus Flush();

  // Writes out what is gathered, syncs, and puts the output in place. On failure the output is
  // abandoned. The object is closed afterwards either way.
  TOutputStatus Commit();

  // Drops the output: the temporary file is removed and the name keeps what it had.
  void Abandon() noexcept;

  bool IsOpen() const { return fd_ >= 0; }
  OutputPlace Place() const { return place_; }
  // The name as given to Open.
  const std::string& Name() const { return name_; }
  // The file being written while a replacement is open, else empty.
  const std::string& TemporaryPath() const { return temporary_; }

 private:
  TOutputStatus OpenReplacement(const std::string& target, const TOutputOptions& options);
  TOutputStatus OpenInPlace(const std::string& target);
  TOutputStatus Fail(int error);
  TOutputStatus WriteOut();
  void Close() noexcept;

  int fd_ = -1;
  OutputPlace place_ = OutputPlace::kInPlace;
  std::string name_;
  std::string target_;     // the file renamed over, links followed
  std::string temporary_;  // the hidden file being written
  std::string buffer_;
  int lock_fd_ = -1;             // holds the locks on the target while it is written
  bool created_target_ = false;  // the empty file that carries the lock of a new name
  dev_t target_device_ = 0;
  ino_t target_inode_ = 0;
  bool keep_owner_ = false;  // the replaced file's owner and group, to be given back
  uid_t owner_ = 0;
  gid_t group_ = 0;
  bool set_mode_ = false;  // the output's permissions are set rather than left to the umask
  mode_t mode_ = 0;        // those permissions
  TOutputStatus failure_;
};

// Whether name would be written in place (a device, FIFO, socket, standard output), where a
// write may wait on a reader for as long as the reader likes; false for a regular file, a new
// name, or a name that cannot be opened at all.
bool WrittenInPlace(std::string_view name, const TOutputOptions& options = {});

// Whether two names lead to one file once their links are followed: the same file where both
// exist, else the same place.
bool NamesSameFile(std::string_view a, std::string_view b);

// Writes contents whole to name as OutputFile does; the status of the first step that failed.
TOutputStatus WriteWholeOutput(std::string_view name, std::string_view contents,
                               const TOutputOptions& options = {});

}  // namespace vellmor
