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

std::filesystem::path OutputFile(const fs::path& working_directory, const char* stream) {
  return working_directory.parent_path() / (working_directory.filename().string() + stream);
}

pid_t StartCli(const std::vector<std::string>& arguments, const fs::path& working_directory,
               const TCliSetting& setting) {
  std::vector<std::string> argv_texts{VELLMOR_CLI_PATH};
  argv_texts.insert(argv_texts.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment = ChildEnvironment();
  // getenv finds the first entry of a name: a setting replaces the tests' own.
  for (const std::string& entry : setting.Environment) {
    const std::string name = entry.substr(0, entry.find('=') + 1);
    std::erase_if(environment, [&name](const std::string& e) { return e.starts_with(name); });
    environment.push_back(entry);
  }
  std::vector<char*> argv = PointersTo(argv_texts);
  std::vector<char*> envp = PointersTo(environment);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (setting.StandardInput >= 0) {
    posix_spawn_file_actions_adddup2(&actions, setting.StandardInput, 0);
  } else {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  }
  if (setting.CloseStandardOutput) {
    posix_spawn_file_actions_addclose(&actions, 1);
  } else if (setting.StandardOutput >= 0) {
    posix_spawn_file_actions_adddup2(&actions, setting.StandardOutput, 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, OutputFile(working_directory, ".out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  posix_spawn_file_actions_addopen(&actions, 2, OutputFile(working_directory, ".err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, working_directory.c_str());
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + argv_texts[0]);
  return pid;
}

TCliRun FinishCli(pid_t pid, const fs::path& working_directory) {
  int wait_status = 0;
  if (waitpid(pid, &wait_status, 0) != pid) throw std::runtime_error("waitpid failed");
  TCliRun run;
  run.ExitStatus = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  for (const auto& [stream, text] : {std::pair{".out", &run.Out}, std::pair{".err", &run.Err}}) {
    const fs::path file = OutputFile(working_directory, stream);
    *text = ReadBytes(file);
    fs::remove(file);
  }
  return run;
}

TCliRun RunCli(const std::vector<std::string>& arguments, const fs::path& working_directory,
               const TCliSetting& setting) {
  return FinishCli(StartCli(arguments, working_directory, setting), working_directory);
}

}  // namespace vellmor::cli_test
