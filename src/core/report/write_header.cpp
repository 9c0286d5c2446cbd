// The condition header of the result file, written line by line from its layout
// (header_layout.h).

#include "vellmor/report/write_header.h"

#include <string>

#include "vellmor/report/format_fixed.h"
#include "vellmor/report/header_layout.h"

namespace vellmor {

bool OpenResultFile(const std::string& name, ResultFile& file, MessageSink& sink,
                    const TOutputOptions& options) {
  switch (file.Open(name, options)) {
    case ResultFile::OpenResult::kOpened:
      return true;
    case ResultFile::OpenResult::kNameTooLong:
      sink.ShowMessage(kSaveFileNameTooLong);
      return false;
    case ResultFile::OpenResult::kCanNotOpen:
      sink.ShowMessage(kFileCanNotOpen);
      return false;
  }
  return false;
}

void WriteHeader(const TSpinCondition& condition, char decimal_separator, ResultLines& file) {
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
}

}  // namespace vellmor
