// Every rule of the requests' table refuses its values in the core, naming its parameter, with
// its message in the spelling the context gives (here the keys themselves, and the runner's).

#include <gtest/gtest.h>

#include <algorithm>

#include "vellmor/requests/fit_request.h"
#include "vellmor/requests/merge_request.h"
#include "vellmor/requests/run_request.h"
#include "vellmor/requests/solve_request.h"
#include "vellmor/requests/sweep_request.h"
#include "support/request_rules.h"

namespace vellmor {
namespace {

TValue ValueOf(const nlohmann::json& value) {
  if (value.is_boolean()) return value.get<bool>();
  if (value.is_number_integer()) return value.get<std::int64_t>();
  if (value.is_number()) return value.get<double>();
  if (value.is_string()) return value.get<std::string>();
  if (!value.empty() && value.front().is_number()) return value.get<std::vector<double>>();
  return value.get<std::vector<std::string>>();
}

std::optional<TRequestProblem> ProblemOf(const test::TRequestRule& rule,
                                         const TRequestContext& context) {
  TRequestValues values;
  for (const auto& [key, value] : rule.Values.items()) values.Set(key, ValueOf(value));
  const auto problem = [](auto request) -> std::optional<TRequestProblem> {
    if (auto* refused = std::get_if<TRequestProblem>(&request)) return *refused;
    return std::nullopt;
  };
  if (rule.Command == "run") return problem(RunRequest::From(values, context));
  if (rule.Command == "solve") return problem(SolveRequest::From(values, context));
  if (rule.Command == "fit") return problem(FitRequest::From(values, context));
  if (rule.Command == "sweep") return problem(SweepRequest::From(values, context));
  if (rule.Command == "sweep merge") return problem(MergeRequest::From(values, context));
  ADD_FAILURE() << "no command " << rule.Command;
  return std::nullopt;
}

// "--take-up-speed" as the runner spells take_up_speed: a spelling of the test's own.
std::string Dashed(std::string_view key) {
  std::string option(key);
  std::replace(option.begin(), option.end(), '_', '-');
  return (key == "profile" ? "--no-" : "--") + option;
}

TEST(RequestRules, EachRefusesItsValuesNamingItsParameterInTheContextsSpelling) {
  const std::vector<test::TRequestRule> rules = test::RequestRules();
  ASSERT_GE(rules.size(), 20u);
  for (const auto& [spell, name] :
       {std::pair<Spelling, const char*>{KeySpelling, "keys"}, {Dashed, "options"}}) {
    TRequestContext context;
    context.Spell = spell;
    for (const test::TRequestRule& rule : rules) {
      SCOPED_TRACE(std::string(name) + ": " + rule.Command + " " + rule.Values.dump());
      const std::optional<TRequestProblem> problem = ProblemOf(rule, context);
      ASSERT_TRUE(problem.has_value());
      EXPECT_EQ(problem->Key, rule.Key);
      EXPECT_EQ(problem->Message, rule.Message(spell));
    }
  }
}

// A key given twice keeps its last value, whichever front end gave it; a request of values
// that break no rule stands.
TEST(RequestRules, LastValueCountsAndGoodValuesMakeTheRequest) {
  TRequestContext context;
  TRequestValues values;
  values.Set("take_up_speed", 4000.0);
  values.Set("points", std::int64_t{11});
  values.Set("at", std::string("0,50"));
  values.Set("points", std::int64_t{3});
  // points given twice: its last value is taken, and refuses at all the same.
  const auto solve = SolveRequest::From(values, context);
  ASSERT_TRUE(std::holds_alternative<TRequestProblem>(solve));
  EXPECT_EQ(std::get<TRequestProblem>(solve).Key, "at");

  TRequestValues run;
  run.Set("take_up_speed", 4000.0);
  run.Set("accuracy", true);
  const auto request = RunRequest::From(run, context);
  ASSERT_TRUE(std::holds_alternative<RunRequest>(request));
  EXPECT_EQ(std::get<RunRequest>(request).Texts.TakeUpSpeed, "4000");
  EXPECT_TRUE(std::get<RunRequest>(request).WantsConverged());
}

}  // namespace
}  // namespace vellmor
