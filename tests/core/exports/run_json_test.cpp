#include "vellmor/exports/run_json.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "vellmor/base/message_keeper.h"
#include "vellmor/report/result_rows.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

using Json = nlohmann::ordered_json;

// One run through the run sequence, its messages kept on their way to a recorder, and its
// JSON document as text read back, as a script would read it.
class RunJsonTest : public testing::Test {
 protected:
  void SetUp() override { texts_.SaveFileName = (dir_ / "result.txt").string(); }

  Json RunAndExport(char separator = '.') {
    MessageKeeper keeper(sink_);
    TRunOptions options;
    options.DecimalSeparator = separator;
    const TRunOutcome outcome = RunSpinline(texts_, *state_, keeper, options);
    std::vector<TResultRow> rows;
    if (outcome.Status == RunStatus::kSucceeded)
      rows = ResultRowsOf(state_->Condition, state_->Profile);
    const std::string message = keeper.Messages().empty() ? "" : keeper.Messages().back();
    rows_ = rows;
    return Json::parse(RunJsonText({texts_, separator, outcome, message, rows}));
  }

  test::ScratchDirectory dir_;
  TInputTexts texts_;
  test::RecordingSink sink_;
  std::unique_ptr<TRunState> state_ = std::make_unique<TRunState>();
  std::vector<TResultRow> rows_;
};

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

TEST_F(RunJsonTest, DefaultRunRecordsOutcomeNumbersPassesAndProfile) {
  const Json json = RunAndExport();
  EXPECT_EQ(json["schema_version"], 3);
  EXPECT_EQ(json["status"], "succeeded");
  EXPECT_TRUE(json["message"].is_null());
  // The worked example of the tension search: eleven passes, the sixth running away at
  // point 31.
  EXPECT_EQ(json["summary"]["passes"], 11);
  ASSERT_EQ(json["passes"].size(), 11u);
  EXPECT_EQ(json["passes"][0]["tension_dyn"], 25.0);
  EXPECT_EQ(json["passes"][5]["last_point"], 31);
  EXPECT_EQ(json["passes"][5]["ran_away"], true);
  EXPECT_EQ(json["passes"][10]["ran_away"], false);
  EXPECT_NEAR(json["summary"]["final_velocity_m_min"].get<double>(), 5000.0, 5.0);

  const Json& numbers = json["process_numbers"];
  EXPECT_EQ(numbers["fineness_dtex"], 2.0);  // 10 000 × 1 g/min / 5000 m/min
  EXPECT_EQ(numbers["fineness_denier"], 1.8);
  EXPECT_NEAR(numbers["freeze_point_cm"].get<double>(), 63.84, 0.01);
  EXPECT_EQ(numbers["passes"], 11);
  EXPECT_EQ(numbers["spinneret_tension_dyn"], json["summary"]["spinneret_tension_dyn"]);

  // 101 points, 0 to 100 cm, each column as many values, every value to the bit.
  const Json& profile = json["profile"];
  ASSERT_EQ(profile.size(), 9u);
  for (const auto& [name, values] : profile.items()) {
    SCOPED_TRACE(name);
    ASSERT_EQ(values.size(), 101u);
  }
  EXPECT_EQ(profile["x_cm"][100], 100.0);
  for (std::size_t p = 0; p < rows_.size(); ++p) {
    EXPECT_EQ(Bits(profile["v_m_min"][p].get<double>()), Bits(rows_[p].VOut));
    EXPECT_EQ(Bits(profile["h_cal_cm2_s_C"][p].get<double>()), Bits(rows_[p].H));
    EXPECT_EQ(Bits(profile["ten_re_gf_den"][p].get<double>()), Bits(rows_[p].TenRE));
  }
}

TEST_F(RunJsonTest, InputsKeepTheirTextAndConvertedValue) {
  texts_.TakeUpSpeed = " 4E3 ";
  const Json json = RunAndExport();
  EXPECT_EQ(json["decimal_separator"], ".");
  ASSERT_EQ(json["inputs"].size(), 19u);
  EXPECT_EQ(json["inputs"]["take_up_speed"]["text"], " 4E3 ");
  EXPECT_EQ(json["inputs"]["take_up_speed"]["value"], 4000.0);
  EXPECT_EQ(json["inputs"]["zone1_a2"]["value"], -32.5);
  EXPECT_EQ(json["inputs"]["save_file"]["value"], texts_.SaveFileName);

  // With the comma of the user's locale the same text is no number, and its own is.
  TRunOutcome refused;
  texts_.HoleDiameter = "0,025";
  const Json comma = Json::parse(RunJsonText({texts_, ',', refused, "", {}}));
  EXPECT_EQ(comma["decimal_separator"], ",");
  EXPECT_EQ(comma["inputs"]["hole_diameter"]["value"], 0.025);
  EXPECT_TRUE(comma["inputs"]["increment"]["value"].is_null());  // "1.0" has a point
}

TEST_F(RunJsonTest, RefusedRunRecordsItsMessageAndNothingItDidNotReach) {
  texts_.HoleDiameter = "0,025";  // not a number where the point is the separator
  const Json json = RunAndExport();
  EXPECT_EQ(json["status"], "refused");
  EXPECT_EQ(json["message"], "Input value is not correct!");
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"Input value is not correct!"});
  EXPECT_EQ(json["inputs"]["hole_diameter"]["text"], "0,025");
  EXPECT_TRUE(json["inputs"]["hole_diameter"]["value"].is_null());
  EXPECT_TRUE(json["summary"].is_null());
  EXPECT_TRUE(json["process_numbers"].is_null());
  EXPECT_EQ(json["passes"], Json::array());
  EXPECT_TRUE(json["profile"].is_null());
}

// Passes made before the calculation gave up stay in the record.
TEST_F(RunJsonTest, FailedRunRecordsItsMessageAndThePassesMade) {
  texts_.Zone1A2 = "0";  // zone 1's hyperbola has its pole at the spinneret
  const Json json = RunAndExport();
  EXPECT_EQ(json["status"], "failed");
  EXPECT_EQ(json["message"],
            "Calculation stopped: floating-point division by zero at x = 0.0 cm in pass 1 "
            "(spinneret tension 25.000 dyn)");
  EXPECT_TRUE(json["summary"].is_null());
  EXPECT_TRUE(json["profile"].is_null());
  EXPECT_TRUE(json["passes"].is_array());
}

// The exports promise every bit of a double, the awkward ones included.
TEST(RunJson, DoublesReadBackToTheSameBits) {
  const std::vector<double> values = {
      0.1 + 0.2,          1.0 / 3.0,       5e-324, -std::numeric_limits<double>::max(),
      123456789.12345678, 2.0 / 3.0 * 1e-7};
  TInputTexts texts;
  TRunOutcome outcome;
  outcome.Status = RunStatus::kSucceeded;
  std::vector<TResultRow> rows;
  for (double value : values)
    rows.push_back({value, value, value, value, value, value, value, value, value});
  const Json json = Json::parse(RunJson({texts, '.', outcome, "", rows}).dump());
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(Bits(json["profile"]["f_dyn"][i].get<double>()), Bits(values[i])) << values[i];
  }
}

// A file name in another encoding than UTF-8 still gives a document, the stray byte shown as
// U+FFFD.
TEST(RunJson, TextThatIsNotUtf8IsReplacedNotRefused) {
  TInputTexts texts;
  texts.SaveFileName = "r\xE9sultat.txt";  // "résultat.txt" in Latin-1
  TRunOutcome outcome;
  const Json json = Json::parse(RunJsonText({texts, '.', outcome, "", {}}));
  EXPECT_EQ(json["inputs"]["save_file"]["text"], "r\xEF\xBF\xBDsultat.txt");
}

}  // namespace
}  // namespace vellmor
