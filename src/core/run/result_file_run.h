#pragma once

// A result file's numbers as the runner gave them. A file prints its values to a few digits;
// the run it came from had every bit. Its header's condition, run again in memory, gives the
// runner's numbers exactly wherever that run reproduces the file's table to the last printed
// digit; elsewhere (a file of another version, or edited) the printed table is all there is.

#include <string>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/report/read_result_file.h"

namespace vellmor {

struct TResultFileNumbers {
  TProcessNumbers Numbers;
  // Whether they are the run's: the condition run again gave the file's table.
  bool Reproduced = false;
  // Why not, where not: "its conditions run again give another table (row 12)".
  std::string Why;
};

// The numbers of contents (at least one row): the run's where it reproduces the table, else
// those of the printed table.
TResultFileNumbers ResultFileNumbers(const TResultFileContents& contents);

}  // namespace vellmor
