#include "cli_process.h"
#include "support/test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>

extern char** environ;

namespace vellmor::cli_test {
using test::ReadBytes;
namespace {

namespace fs = std::filesystem;

// The tests' own environment without the user's locale settings, and LC_ALL=C.
std::vector<std::string> ChildEnvironment() {
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view variable = *entry;
    if (variable.starts_with("LC_") || variable.starts_with("LANG")) continue;
    variables.emplace_back(variable);
  }
  variables.emplace_back("LC_ALL=C");
  return variables;
}

std::vector<char*> PointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

TCliRun RunCli(const std::vector<std::string>& arguments, const fs::path& working_directory) {
  // Output goes to files beside the working directory, so a run's own directory holds only
  // what the runner writes there; named after it, so tests running at the same time keep
  // their output apart.
  const fs::path base = working_directory.parent_path() / working_directory.filename();
  const fs::path out_file = fs::path(base.string() + ".stdout");
  const fs::path err_file = fs::path(base.string() + ".stderr");

  std::vector<std::string> argv_texts{VELLMOR_CLI_PATH};
  argv_texts.insert(argv_texts.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment = ChildEnvironment();
  std::vector<char*> argv = PointersTo(argv_texts);
  std::vector<char*> envp = PointersTo(environment);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addchdir_np(&actions, working_directory.c_str());
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + argv_texts[0]);

  int wait_status = 0;
  if (waitpid(pid, &wait_status, 0) != pid) throw std::runtime_error("waitpid failed");
  TCliRun run;
  run.ExitStatus = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  run.Out = ReadBytes(out_file);
  run.Err = ReadBytes(err_file);
  fs::remove(out_file);
  fs::remove(err_file);
  return run;
}

}  // namespace vellmor::cli_test
