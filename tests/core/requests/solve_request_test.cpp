// What solve answers beside its solution: a line without a freeze point warns, in the response
// and its JSON; the IV the card declares valid and an air of constant temperature are solved,
// where the classical run keeps its own checks.

#include <gtest/gtest.h>

#include <string>

#include "vellmor/base/number_text.h"
#include "vellmor/requests/run_request.h"
#include "vellmor/requests/solve_request.h"

namespace vellmor {
namespace {

struct TSolved {
  SolveRequest Request;
  SolveResponse Response;
};

TSolved Solve(const TRequestValues& values) {
  const TRequestContext context;
  auto request = SolveRequest::From(values, context);
  EXPECT_TRUE(std::holds_alternative<SolveRequest>(request));
  TSolved solved{std::get<SolveRequest>(std::move(request)), {}};
  solved.Request.Positions.Points = 3;
  solved.Response = Execute(solved.Request, context);
  return solved;
}

TRunOutcome RunClassical(const TRequestValues& values) {
  const TRequestContext context;
  auto request = RunRequest::From(values, context);
  EXPECT_TRUE(std::holds_alternative<RunRequest>(request));
  return Execute(std::get<RunRequest>(request), context, {nullptr, ResultFileUse::kNone}).Outcome;
}

// 3 g/min on the default line reaches the take-up point at about 100 °C, 30 °C above the
// solidification temperature of 70 °C.
TEST(SolveRequest, ALineWithoutAFreezePointWarnsInTheResponseAndItsJson) {
  for (const bool structure : {false, true}) {
    SCOPED_TRACE(structure);
    TRequestValues values;
    values.Set("polymer_output", 3.0);
    values.Set("structure", structure);
    const TSolved solved = Solve(values);
    ASSERT_TRUE(solved.Response.Succeeded()) << solved.Response.Run.Message;
    const TConvergedSolution& solution = *solved.Response.Run.Solution;
    ASSERT_FALSE(solution.FreezePoint.has_value());
    EXPECT_GT(solution.FinalTemperature, 90.0);
    const std::string expected =
        "The filament reaches the take-up point still molten (" +
        FixedPointText(solution.FinalTemperature - 70.0, 1) +
        " °C above the solidification temperature): no freeze point" +
        (structure ? ", and the structure's numbers are those of the melt" : "");
    EXPECT_EQ(solved.Response.Run.Warnings, std::vector<std::string>{expected});
    EXPECT_EQ(solved.Response.Warnings, std::vector<std::string>{expected});
    const nlohmann::ordered_json json = solved.Response.Json(solved.Request, TRequestContext{});
    ASSERT_EQ(json["warnings"].size(), 1u);
    EXPECT_EQ(json["warnings"][0], expected);
  }
  // The default line freezes at 62 cm: nothing to say.
  const TSolved plain = Solve({});
  ASSERT_TRUE(plain.Response.Succeeded());
  EXPECT_TRUE(plain.Response.Warnings.empty());
  EXPECT_TRUE(plain.Response.Json(plain.Request, TRequestContext{})["warnings"].empty());
}

// The card's valid range (0.5 to 1.3 built in) is solve's; the classical run keeps the window's
// 0.61 to 0.9, and its message.
TEST(SolveRequest, TakesTheIVTheCardDeclaresValid) {
  TRequestValues values;
  values.Set("iv", 1.2);
  const TSolved solved = Solve(values);
  ASSERT_TRUE(solved.Response.Succeeded()) << solved.Response.Run.Message;
  EXPECT_EQ(solved.Response.Run.Condition.IV, 1.2);
  // A longer chain, a stiffer melt: a higher spinneret tension than at IV 0.67.
  const TSolved built_in = Solve({});
  EXPECT_GT(solved.Response.Run.Solution->SpinneretTension,
            built_in.Response.Run.Solution->SpinneretTension);

  const TRunOutcome classical = RunClassical(values);
  EXPECT_EQ(classical.Status, RunStatus::kRefused);
  EXPECT_EQ(classical.Failure, RunFailureKind::kInputRefused);

  TRequestValues beyond;
  beyond.Set("iv", 1.4);
  const TSolved refused = Solve(beyond);
  EXPECT_EQ(refused.Response.Run.Status, RunStatus::kRefused);
  EXPECT_EQ(refused.Response.Run.Failure, RunFailureKind::kInputRefused);
  EXPECT_EQ(refused.Response.Run.Message, "IV 1.4 is outside the card's valid range 0.5 to 1.3");

  // A card that declares another range.
  beyond.Set("model_set", std::vector<std::string>{"viscosity.valid_iv_max=1.5"});
  EXPECT_TRUE(Solve(beyond).Response.Succeeded());
  TRequestValues narrow;
  narrow.Set("model_set", std::vector<std::string>{"viscosity.valid_iv_min=0.7"});
  EXPECT_EQ(Solve(narrow).Response.Run.Message,
            "IV 0.67 is outside the card's valid range 0.7 to 1.3");
}

// A1 = 0 is air of the constant A3 in zone 1, whatever A2: no pole, and the same line for
// every A2, also one that puts 0 / 0 at the spinneret.
TEST(SolveRequest, AirOfConstantTemperatureIsSolvedWithAnyA2) {
  double tension = 0.0;
  for (const double a2 : {100.0, 0.0, -5.3, -10.0}) {
    SCOPED_TRACE(a2);
    TRequestValues values;
    values.Set("zone1_a1", 0.0);
    values.Set("zone1_a2", a2);
    values.Set("zone1_a3", 100.0);
    const TSolved solved = Solve(values);
    ASSERT_TRUE(solved.Response.Succeeded()) << solved.Response.Run.Message;
    const TConvergedSolution& solution = *solved.Response.Run.Solution;
    EXPECT_EQ(solution.Profile.front().TA, 100.0);
    if (a2 == 100.0) tension = solution.SpinneretTension;
    EXPECT_EQ(solution.SpinneretTension, tension);
  }
}

}  // namespace
}  // namespace vellmor
