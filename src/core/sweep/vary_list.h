#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "vellmor/inputs/input_fields.h"
#include "vellmor/sweep/sweep_column.h"
#include "vellmor/sweep/sweep_problem.h"

namespace vellmor {

// One input field (or card constant) and the texts it takes in turn, each exactly as the run
// will read it.
struct TVariedOption {
  TSweepColumn Column;
  std::vector<std::string> Texts;
};

// The values of an inclusive range "start:stop:step": start + i × step for i = 0, 1, … while
// not beyond stop, computed exactly in decimal (no repeated addition, no binary rounding) and
// written with as many decimals as start or step has, so "0.1:0.3:0.1" gives 0.1, 0.2, 0.3.
// The bounds may be written with the point or with decimal_separator; the values are written
// with decimal_separator, as the run's conversion reads them.
OrProblem<std::vector<std::string>> ExpandRange(std::string_view range, char decimal_separator);

// "OPTION=LIST" of one --vary: OPTION is an input field's name (not the result file's, which
// the sweep itself chooses) or a card key; LIST is a range (see ExpandRange) or texts separated by
// ',' (by
// ';' when it holds one: the list separator of comma locales, as spreadsheets use it there).
// Under a comma decimal separator, a list of several values must use ';'. A card key's values
// are written as the card writes numbers, with the point.
OrProblem<TVariedOption> ParseVary(std::string_view vary, char decimal_separator);

}  // namespace vellmor
