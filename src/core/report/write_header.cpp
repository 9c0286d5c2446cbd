// The condition header of the result file, written line by line from its layout
// (header_layout.h).

#include "core/report/write_header.h"

#include <string>

#include "core/report/format_fixed.h"
#include "core/report/header_layout.h"
#include "core/report/result_file.h"
#include "core/run/run_error.h"

namespace vellmor {

bool WriteHeader(const TSpinCondition& condition, char decimal_separator, MessageSink& sink,
                 ResultFileLock& hold) {
  ResultFile file;
  switch (file.Open(condition.SaveFileName, ResultFile::Mode::kCreate, hold)) {
    case ResultFile::OpenResult::kOpened:
      break;
    case ResultFile::OpenResult::kNameTooLong:
      sink.ShowMessage(kSaveFileNameTooLong);
      return false;
    case ResultFile::OpenResult::kCanNotOpen:
      sink.ShowMessage(kFileCanNotOpen);
      return false;
  }
  try {
    for (const THeaderLine& line : kHeaderLines) {
      if (!line.HasValue()) {
        file.WriteLine(line.Text);
        continue;
      }
      std::string text(line.Text);
      text += FormatFixed(HeaderValue(condition, line), line.Precision, line.Decimals,
                          decimal_separator);
      file.WriteLine(text);
    }
    file.Close();
  } catch (const FileWriteError&) {
    hold.Release();  // the run ends here: the file is nobody's any more
    throw;
  }
  return true;
}

}  // namespace vellmor
