// The rules of the requests' table through the runner: each refused before anything runs,
// with exit status 64 and the core's message in the runner's spelling of the options.

#include <algorithm>
#include <string>

#include "cli_process.h"
#include "support/request_rules.h"

namespace vellmor::cli_test {
namespace {

std::string Option(std::string_view key) {
  std::string option(key);
  std::replace(option.begin(), option.end(), '_', '-');
  return (key == "profile" ? "--no-" : "--") + option;
}

std::string Text(const nlohmann::json& value) {
  if (value.is_string()) return value.get<std::string>();
  return value.dump();
}

// The command's words, then each value as the runner's option: a flag alone, a list as the
// option repeated (numbers as one list), the shards as they stand.
Arguments ArgumentsOf(const test::TRequestRule& rule) {
  Arguments arguments;
  if (rule.Command != "run") {
    for (std::size_t start = 0; start <= rule.Command.size();) {
      const std::size_t blank = std::min(rule.Command.find(' ', start), rule.Command.size());
      arguments.push_back(rule.Command.substr(start, blank - start));
      start = blank + 1;
    }
  }
  for (const auto& [key, value] : rule.Values.items()) {
    if (key == "shards") {
      for (const auto& shard : value) arguments.push_back(Text(shard));
    } else if (value.is_boolean()) {
      arguments.push_back(Option(key));
    } else if (value.is_array() && !value.empty() && value.front().is_number()) {
      std::string list;
      for (const auto& x : value) list += (list.empty() ? "" : ",") + Text(x);
      arguments.push_back(Option(key) + "=" + list);
    } else if (value.is_array()) {
      for (const auto& item : value) arguments.push_back(Option(key) + "=" + Text(item));
    } else {
      arguments.push_back(Option(key) + "=" + Text(value));
    }
  }
  return arguments;
}

TEST_F(CliTest, EveryRuleOfTheRequestsIsAUsageErrorInTheRunnersSpelling) {
  for (const test::TRequestRule& rule : test::RequestRules()) {
    const Arguments arguments = ArgumentsOf(rule);
    SCOPED_TRACE(rule.Command + " " + rule.Values.dump());
    const TCliRun run = Run(arguments);
    EXPECT_EQ(run.ExitStatus, 64) << run.Err;
    EXPECT_EQ(run.Err, "vellmor-cli: " + rule.Message(Option) + "\n");
    EXPECT_EQ(run.Out, "");
  }
  EXPECT_TRUE(std::filesystem::is_empty(work_));
}

}  // namespace
}  // namespace vellmor::cli_test
