#pragma once

#include "cli/sweep_arguments.h"

namespace vellmor::cli {

// vellmor-cli sweep: the cases of request on every core, one summary line each, the ranges'
// texts written with decimal_separator. Returns the exit status (see sweep_arguments.h).
int RunSweepCommand(const TSweepRequest& request, char decimal_separator);

}  // namespace vellmor::cli
