// The result file over the one writer of every output.

#include "vellmor/report/result_file.h"

#include <cerrno>
#include <string>

#include "vellmor/base/run_error.h"

namespace vellmor {

ResultFile::OpenResult ResultFile::Open(const std::string& name, const TOutputOptions& options) {
  file_.Abandon();
  failure_ = {};
  if (name.size() > kMaxSaveFileNameLength) {
    failure_ = {ENAMETOOLONG,
                "the name is longer than " + std::to_string(kMaxSaveFileNameLength) + " bytes"};
    return OpenResult::kNameTooLong;
  }
  failure_ = file_.Open(name, options);
  return failure_.Ok() ? OpenResult::kOpened : OpenResult::kCanNotOpen;
}

void ResultFile::WriteLine(std::string_view text) {
  line_.assign(text);
  line_.append("\r\n");
  if (const TOutputStatus written = file_.Write(line_); !written.Ok()) Fail("write to", written);
}

void ResultFile::Commit() {
  if (const TOutputStatus committed = file_.Commit(); !committed.Ok()) {
    Fail("write to", committed);
  }
}

void ResultFile::Fail(std::string_view action, const TOutputStatus& status) {
  file_.Abandon();
  failure_ = status;
  std::string text = "Can not ";
  text.append(action);
  text += " file ";
  text += file_.Name();
  text += ": ";
  text += status.Reason;
  throw FileWriteError(text);
}

}  // namespace vellmor
