#pragma once

#include "core/analysis/process_numbers.h"
#include "core/report/read_result_file.h"

namespace vellmor {

// The process numbers of a result file read back, from the values its table prints: the
// velocity taken back from m/min to cm/s, output and take-up speed from its header. The
// spinneret tension is F of the first row; the file does not record the passes (0). The
// numbers are as exact as the printed digits allow. The table must have at least one row.
TProcessNumbers ProcessNumbersOf(const TResultFileContents& contents);

}  // namespace vellmor
