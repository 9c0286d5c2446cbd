// The condition header of the result file, written line by line from its layout
// (header_layout.h).

#include "core/report/write_header.h"

#include <string>

#include "core/report/format_fixed.h"
#include "core/report/header_layout.h"
#include "core/report/result_file.h"

namespace vellmor {

bool WriteHeader(const TSpinCondition& condition, char decimal_separator, MessageSink& sink) {
  ResultFile file;
  switch (file.Open(condition.SaveFileName, ResultFile::Mode::kCreate)) {
    case ResultFile::OpenResult::kOpened:
      break;
    case ResultFile::OpenResult::kNameTooLong:
      sink.ShowMessage(kSaveFileNameTooLong);
      return false;
    case ResultFile::OpenResult::kCanNotOpen:
      sink.ShowMessage(kFileCanNotOpen);
      return false;
  }
  for (const THeaderLine& line : kHeaderLines) {
    if (!line.HasValue()) {
      file.WriteLine(line.Text);
      continue;
    }
    std::string text(line.Text);
    text +=
        FormatFixed(HeaderValue(condition, line), line.Precision, line.Decimals, decimal_separator);
    file.WriteLine(text);
  }
  file.Close();
  return true;
}

}  // namespace vellmor
