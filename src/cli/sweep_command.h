#pragma once

namespace vellmor::cli {

// vellmor-cli sweep: many cases of the spinline on every core, one summary line each. argv[0]
// is "sweep". Returns the exit status (see sweep_arguments.h).
int RunSweepCommand(int argc, const char* const* argv);

}  // namespace vellmor::cli
