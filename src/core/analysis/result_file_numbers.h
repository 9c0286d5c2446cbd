#pragma once

#include <span>
#include <vector>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/report/read_result_file.h"

namespace vellmor {

// The columns of a result file's table that describe the spinline, the velocity taken back
// from m/min to cm/s, and the samples they make.
struct TSampleColumns {
  std::vector<double> X, V, F, T, D;
  // Spans of the columns above: valid while they are.
  TSpinlineSamples Samples() const { return {X, V, F, T, D}; }
};
TSampleColumns SampleColumnsOf(std::span<const TResultRow> rows);

// The process numbers of a result file read back, from the values its table prints: the
// velocity taken back from m/min to cm/s, output and take-up speed from its header. The
// spinneret tension is F of the first row; the file does not record the passes (0). The
// numbers are as exact as the printed digits allow. The table must have at least one row.
TProcessNumbers ProcessNumbersOf(const TResultFileContents& contents);

}  // namespace vellmor
