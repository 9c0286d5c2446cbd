#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "vellmor/base/output_file.h"

namespace vellmor {

// The longest result file name accepted, in bytes: a path limit of 260 bytes including the
// terminating NUL.
inline constexpr std::size_t kMaxSaveFileNameLength = 259;

// Where the lines of a result file go: the file itself, or a text in memory.
class ResultLines {
 public:
  virtual ~ResultLines() = default;
  // Appends text and CR LF.
  virtual void WriteLine(std::string_view text) = 0;
};

// The lines of a result file in memory, exactly as the file holds them.
class ResultText : public ResultLines {
 public:
  void WriteLine(std::string_view text) override {
    text_.append(text);
    text_.append("\r\n");
  }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// The result file of one run, from its header to the end of its table, through one OutputFile:
// opened once, its name locked against any other writer for the whole run (a second run on
// the same name, or a file another program holds locked, is refused before anything changes),
// and put in place by Commit. Until then the name keeps what it had; a write that fails, or a
// run that ends without Commit, leaves it so. Lines end with CR LF.
class ResultFile : public ResultLines {
 public:
  enum class OpenResult {
    kOpened,
    kNameTooLong,  // longer than kMaxSaveFileNameLength: nothing was tried
    kCanNotOpen,   // missing directory, access denied, a directory, locked, an invalid name
  };

  ResultFile() = default;
  ResultFile(const ResultFile&) = delete;
  ResultFile& operator=(const ResultFile&) = delete;

  // Opens name (relative to the current directory). options.DashIsStandardOutput lets "-"
  // stand for standard output.
  OpenResult Open(const std::string& name, const TOutputOptions& options = {});

  // Appends text and CR LF. Throws FileWriteError, and abandons the file, when the write fails.
  void WriteLine(std::string_view text) override;
  // Puts the file in place. Throws FileWriteError when that fails; the name then keeps what
  // it had.
  void Commit();
  // Drops what was written; the name keeps what it had.
  void Abandon() noexcept { file_.Abandon(); }

  bool IsOpen() const { return file_.IsOpen(); }
  // Why the last Open, write or Commit failed, in the system's words.
  const TOutputStatus& Failure() const { return failure_; }

 private:
  [[noreturn]] void Fail(std::string_view action, const TOutputStatus& status);

  OutputFile file_;
  std::string line_;
  TOutputStatus failure_;
};

}  // namespace vellmor
