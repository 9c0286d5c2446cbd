#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vellmor::cli_test {

// What one start of the runner left behind.
struct TCliRun {
  int ExitStatus = -1;  // -1 when it did not exit normally (a signal)
  std::string Out;      // standard output
  std::string Err;      // standard error
};

// Starts the runner with arguments in working_directory and waits for it. Its locale is "C",
// so the decimal separator is the point whatever the user running the tests has set.
TCliRun RunCli(const std::vector<std::string>& arguments,
               const std::filesystem::path& working_directory);

}  // namespace vellmor::cli_test
