#pragma once

#include <sys/types.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace vellmor::cli_test {

// What one start of the runner left behind.
struct TCliRun {
  int ExitStatus = -1;  // -1 when it did not exit normally (a signal)
  std::string Out;      // standard output
  std::string Err;      // standard error
};

// How to start the runner beyond its arguments.
struct TCliSetting {
  // NAME=VALUE entries of the environment, replacing the tests' own (LC_ALL=C among them).
  std::vector<std::string> Environment;
  // A descriptor to use as standard output; -1 collects it into TCliRun::Out.
  int StandardOutput = -1;
  // Start with standard output closed, as "cmd >&-" does.
  bool CloseStandardOutput = false;
  // A descriptor to use as standard input; -1 is an empty one.
  int StandardInput = -1;
};

// Starts the runner with arguments in working_directory. Its locale is "C" unless the setting
// says otherwise, so the decimal separator is the point whatever the user running the tests
// has set. Standard output and error are kept in files beside working_directory.
pid_t StartCli(const std::vector<std::string>& arguments,
               const std::filesystem::path& working_directory, const TCliSetting& setting = {});

// Waits for a runner started with StartCli and collects what it left behind.
TCliRun FinishCli(pid_t pid, const std::filesystem::path& working_directory);

// Both at once.
TCliRun RunCli(const std::vector<std::string>& arguments,
               const std::filesystem::path& working_directory, const TCliSetting& setting = {});

using Arguments = std::vector<std::string>;

// Each test runs the program in a scratch directory of its own, removed afterwards.
class CliTest : public testing::Test {
 protected:
  CliTest() { std::filesystem::create_directory(work_); }

  TCliRun Run(const Arguments& arguments, const TCliSetting& setting = {}) const {
    return RunCli(arguments, work_, setting);
  }
  std::vector<std::string> ResultLines(const char* name = "result.txt") const {
    return test::CrLfLines(test::ReadBytes(work_ / name));
  }

  test::ScratchDirectory scratch_;
  // The runner's own directory holds only what it writes; its output is kept beside it.
  const std::filesystem::path work_ = scratch_ / "work";
};

}  // namespace vellmor::cli_test
