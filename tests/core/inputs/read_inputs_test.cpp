#include "vellmor/inputs/read_inputs.h"
#include "vellmor/inputs/input_checks.h"
#include "vellmor/inputs/input_fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/test_support.h"
#include "vellmor/base/run_error.h"
#include "vellmor/inputs/input_checks.h"

namespace vellmor {
namespace {

namespace fs = std::filesystem;

using Messages = std::vector<std::string>;

// Each test works in a directory of its own, removed afterwards.
class ReadInputsTest : public testing::Test {
 protected:
  void SetUp() override { texts_.SaveFileName = (dir_ / "result.txt").string(); }

  // Runs ReadInputs on texts_ with a point as separator and returns the messages shown.
  Messages Run(bool expected_result) {
    test::RecordingSink sink;
    EXPECT_EQ(ReadInputs(texts_, '.', condition_, sink), expected_result);
    return sink.messages;
  }

  test::ScratchDirectory dir_;
  TInputTexts texts_;
  TSpinCondition condition_;
};

const Messages kNotCorrect = {"Input value is not correct!"};

// The thirteen checks, one field at a time made wrong, with the message each one shows.
struct CheckCase {
  std::string TInputTexts::*edit;
  std::string text;
  std::string message;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
  *os << '"' << c.text << "\" gives \"" << c.message << '"';
}

class ReadInputsCheck : public ReadInputsTest, public testing::WithParamInterface<CheckCase> {};

TEST_P(ReadInputsCheck, ShowsTheMessageOfTheFailedCheckAndWritesNothing) {
  const CheckCase& c = GetParam();
  texts_.*c.edit = c.text;
  EXPECT_EQ(Run(false), Messages{c.message});
  EXPECT_FALSE(fs::exists(dir_ / "result.txt"));
  // Scripts know the check by the option whose text it refused, or as the profile's size.
  const std::string_view check = CheckNameOf(c.message);
  if (c.message.starts_with("Too ")) {
    EXPECT_EQ(check, c.message.starts_with("Too few") ? "too_few_points" : "too_many_points");
    return;
  }
  const TInputField* field = FindInputField(check);
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->Text, c.edit);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, ReadInputsCheck,
    testing::Values(
        CheckCase{&TInputTexts::HoleDiameter, "0", "Value of Hole Diameter is not correct"},
        CheckCase{&TInputTexts::HoleDiameter, "-0.025", "Value of Hole Diameter is not correct"},
        CheckCase{&TInputTexts::Output, "0", "Value of Output is not correct"},
        CheckCase{&TInputTexts::TakeUpSpeed, "-5000", "Value of Take-up Speed is not correct"},
        CheckCase{&TInputTexts::MeltTemperature, "0",
                  "Value of Polymer Melt Temperature is not correct"},
        CheckCase{&TInputTexts::Zone1End, "0", "Value of 1st Zone End Position is not correct"},
        CheckCase{&TInputTexts::Zone2End, "0", "Value of 2nd Zone End Position is not correct"},
        CheckCase{&TInputTexts::Zone3End, "-1", "Value of 3rd Zone End Position is not correct"},
        CheckCase{&TInputTexts::Zone1AirVelocity, "-1",
                  "Value of 1st Zone Air Velocity is not correct"},
        CheckCase{&TInputTexts::Zone2AirVelocity, "-0.1",
                  "Value of 2nd Zone Air Velocity is not correct"},
        CheckCase{&TInputTexts::Zone3AirVelocity, "-1E-300",
                  "Value of 3rd Zone Air Velocity is not correct"},
        CheckCase{&TInputTexts::IV, "0.9", "IV is not in the proper range of value"},
        CheckCase{&TInputTexts::IV, "0.61", "IV is not in the proper range of value"},
        CheckCase{&TInputTexts::IV, "1.0", "IV is not in the proper range of value"},
        CheckCase{&TInputTexts::Increment, "0", "Value of Increment is not correct"},
        CheckCase{&TInputTexts::SaveFileName, "", "Save File Name is not correct"},
        // Zone 3 ends before the second point, or holds more points than the profile.
        CheckCase{&TInputTexts::Zone3End, "0.4", kTooFewPoints},
        CheckCase{&TInputTexts::Zone3End, "1E300", kTooManyPoints}));

// Every one of the eighteen numeric fields is converted: beyond the range of a double in any
// of them stops the run.
struct FieldCase {
  const char* name;
  std::string TInputTexts::*edit;
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

class ReadInputsConversion : public ReadInputsTest,
                             public testing::WithParamInterface<FieldCase> {};

TEST_P(ReadInputsConversion, RefusesANumberBeyondADouble) {
  texts_.*GetParam().edit = "1E400";
  EXPECT_EQ(Run(false), kNotCorrect);
  EXPECT_FALSE(fs::exists(dir_ / "result.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    NumericFields, ReadInputsConversion,
    testing::Values(
        FieldCase{"Edit1", &TInputTexts::HoleDiameter}, FieldCase{"Edit2", &TInputTexts::Output},
        FieldCase{"Edit3", &TInputTexts::TakeUpSpeed},
        FieldCase{"Edit4", &TInputTexts::MeltTemperature},
        FieldCase{"Edit5", &TInputTexts::Zone1End}, FieldCase{"Edit6", &TInputTexts::Zone1A1},
        FieldCase{"Edit7", &TInputTexts::Zone1A2}, FieldCase{"Edit8", &TInputTexts::Zone1A3},
        FieldCase{"Edit9", &TInputTexts::Zone1AirVelocity},
        FieldCase{"Edit10", &TInputTexts::Zone2End}, FieldCase{"Edit11", &TInputTexts::Zone2A1},
        FieldCase{"Edit12", &TInputTexts::Zone2A2}, FieldCase{"Edit13", &TInputTexts::Zone2A3},
        FieldCase{"Edit14", &TInputTexts::Zone2AirVelocity},
        FieldCase{"Edit15", &TInputTexts::Zone3End},
        FieldCase{"Edit16", &TInputTexts::Zone3AirVelocity}, FieldCase{"Edit17", &TInputTexts::IV},
        FieldCase{"Edit19", &TInputTexts::Increment}));

TEST_F(ReadInputsTest, EmptyHoleDiameterIsNotANumber) {
  texts_.HoleDiameter = "";
  EXPECT_EQ(Run(false), kNotCorrect);
}

TEST_F(ReadInputsTest, ConvertsEveryFieldBeforeTheFirstCheck) {
  texts_.HoleDiameter = "0";
  texts_.Increment = "abc";
  EXPECT_EQ(Run(false), kNotCorrect);
}

TEST_F(ReadInputsTest, ShowsOnlyTheFirstFailedCheck) {
  texts_.HoleDiameter = "0";
  texts_.Increment = "0";
  EXPECT_EQ(Run(false), Messages{"Value of Hole Diameter is not correct"});
}

// Distinct values in every field, so that a field stored in the wrong place shows; the
// increment of 0 stops the run after reading, before the file.
TEST_F(ReadInputsTest, StoresEachFieldInItsPlaceAndTheNameAsTyped) {
  // clang-format off
  texts_ = {"0.03", "1.5", "4000", "280",      // hole, output, take-up, melt
            "11", "16000", "-30", "700", "1",  // zone 1
            "36", "61", "-7", "21", "51",      // zone 2
            "99", "2",                         // zone 3
            "0.7", "0", "  my result.txt  "};  // IV, increment, save file name
  // clang-format on
  condition_.Zones[3].A1 = 7.0;
  condition_.Zones[3].A2 = 8.0;
  condition_.Zones[3].A3 = 9.0;
  EXPECT_EQ(Run(false), Messages{"Value of Increment is not correct"});

  TSpinCondition expected;
  expected.SaveFileName = "  my result.txt  ";
  expected.HoleDiameter = 0.03;
  expected.Output = 1.5;
  expected.TakeUpSpeed = 4000.0;
  expected.MeltTemperature = 280.0;
  expected.Zones[1] = {11.0, 16000.0, -30.0, 700.0, 1.0};
  expected.Zones[2] = {36.0, 61.0, -7.0, 21.0, 51.0};
  expected.Zones[3] = {99.0, 7.0, 8.0, 9.0, 2.0};  // no equation of its own: A1..A3 kept
  expected.Increment = 0.0;
  expected.IV = 0.7;
  EXPECT_EQ(condition_, expected);
}

TEST_F(ReadInputsTest, StopsReadingAtTheFirstFieldThatIsNotANumber) {
  condition_.Zones[1].EndPosition = 7.0;
  condition_.Zones[1].A1 = 7.0;
  condition_.SaveFileName = "earlier.txt";
  texts_.Zone1End = "10 cm";
  EXPECT_EQ(Run(false), kNotCorrect);
  EXPECT_EQ(condition_.HoleDiameter, 0.025);
  EXPECT_EQ(condition_.MeltTemperature, 290.0);
  EXPECT_EQ(condition_.Zones[1].EndPosition, 7.0);
  EXPECT_EQ(condition_.Zones[1].A1, 7.0);
  EXPECT_EQ(condition_.SaveFileName, "earlier.txt");
}

// A refused run leaves a result file of the same name exactly as an earlier run left it.
class ReadInputsRefusal : public ReadInputsTest, public testing::WithParamInterface<CheckCase> {};

TEST_P(ReadInputsRefusal, LeavesAnExistingResultFileUnchanged) {
  const std::string earlier = "an earlier run\r\n\x81\x8E\r\n\r\n";
  {
    std::ofstream out(dir_ / "result.txt", std::ios::binary);
    out << earlier;
  }
  const CheckCase& c = GetParam();
  texts_.*c.edit = c.text;
  EXPECT_EQ(Run(false), Messages{c.message});
  EXPECT_EQ(test::ReadBytes(dir_ / "result.txt"), earlier);
}

// 100.0001 / 0.09 gives 1111 steps: 1112 points. One step fewer than two points at 0.4 cm.
INSTANTIATE_TEST_SUITE_P(Refusals, ReadInputsRefusal,
                         testing::Values(CheckCase{&TInputTexts::TakeUpSpeed, "5000 m/min",
                                                   "Input value is not correct!"},
                                         CheckCase{&TInputTexts::HoleDiameter, "0",
                                                   "Value of Hole Diameter is not correct"},
                                         CheckCase{&TInputTexts::Increment, "0.09", kTooManyPoints},
                                         CheckCase{&TInputTexts::Zone3End, "0.4", kTooFewPoints}));

TEST_F(ReadInputsTest, PassesEveryCheckWithoutTouchingAnyFile) {
  EXPECT_EQ(Run(true), Messages{});
  TSpinCondition expected = test::DefaultCondition();
  expected.SaveFileName = texts_.SaveFileName;
  EXPECT_EQ(condition_, expected);
  EXPECT_FALSE(fs::exists(dir_ / "result.txt"));
}

// The checks on values no text of the defaults reaches.
TEST(FailedCheck, PassesTheDefaults) {
  EXPECT_EQ(FailedCheck(test::DefaultCondition()), std::nullopt);
}

TEST(FailedCheck, AllowsStillAirInEveryZone) {
  TSpinCondition c = test::DefaultCondition();
  c.Zones[2].AirVelocity = 0.0;
  EXPECT_EQ(FailedCheck(c), std::nullopt);
}

TEST(FailedCheck, DoesNotCompareZoneEnds) {
  TSpinCondition c = test::DefaultCondition();
  c.Zones[2].EndPosition = 5.0;  // before the end of zone 1 at 10 cm
  EXPECT_EQ(FailedCheck(c), std::nullopt);
}

TEST(FailedCheck, AcceptsASaveFileNameOfOneBlank) {
  TSpinCondition c = test::DefaultCondition();
  c.SaveFileName = " ";
  EXPECT_EQ(FailedCheck(c), std::nullopt);
}

// The double nearest 0.9 lies above 0.9 and the one nearest 0.61 below 0.61: both fail, and
// their neighbours inside the range pass.
TEST(FailedCheck, HoldsIVBetweenTheExtendedBounds) {
  TSpinCondition c = test::DefaultCondition();
  for (double iv : {0.62, 0.89, 0.67, std::nextafter(0.9, 0.0), std::nextafter(0.61, 1.0)}) {
    c.IV = iv;
    EXPECT_EQ(FailedCheck(c), std::nullopt) << iv;
  }
  for (double iv : {0.9, 0.61, 0.0, -0.67}) {
    c.IV = iv;
    EXPECT_EQ(FailedCheck(c), "IV is not in the proper range of value") << iv;
  }
}

// The converged model holds IV to its card's range, both ends included, and says the range;
// the window's range stays the classical run's.
TEST(FailedConvergedCheck, HoldsIVToTheCardsRange) {
  TSpinCondition c = test::DefaultCondition();
  const TIvRange built_in;
  for (double iv : {0.5, 0.61, 0.9, 1.2, 1.3}) {
    c.IV = iv;
    EXPECT_EQ(FailedConvergedCheck(c, built_in), std::nullopt) << iv;
  }
  c.IV = 1.2;
  EXPECT_EQ(FailedCheck(c), "IV is not in the proper range of value");
  const struct {
    double iv;
    TIvRange range;
    const char* message;
  } refused[] = {
      {1.4, built_in, "IV 1.4 is outside the card's valid range 0.5 to 1.3"},
      {std::nextafter(0.5, 0.0), built_in,
       "IV 0.49999999999999994 is outside the card's valid range 0.5 to 1.3"},
      {0.0, built_in, "IV 0 is outside the card's valid range 0.5 to 1.3"},
      {0.67, {0.7, 1.0}, "IV 0.67 is outside the card's valid range 0.7 to 1"},
  };
  for (const auto& r : refused) {
    c.IV = r.iv;
    EXPECT_EQ(FailedConvergedCheck(c, r.range), r.message) << r.iv;
    EXPECT_EQ(CheckNameOf(*FailedConvergedCheck(c, r.range)), "iv");
  }
  // The other checks, in their order, with their own messages.
  c.IV = 2.0;
  c.TakeUpSpeed = 0.0;
  EXPECT_EQ(FailedConvergedCheck(c, built_in), "Value of Take-up Speed is not correct");
  c.TakeUpSpeed = 5000.0;
  c.Increment = 0.0;
  c.IV = 1.0;
  EXPECT_EQ(FailedConvergedCheck(c, built_in), "Value of Increment is not correct");
}

TEST(ReadInputs, TheConvergedUseTakesItsIVRangeAndTheMarchTheWindows) {
  TInputTexts texts;
  texts.IV = "1.2";
  TSpinCondition condition;
  test::RecordingSink march;
  EXPECT_FALSE(ReadInputs(texts, '.', condition, march));
  EXPECT_EQ(march.messages, Messages{"IV is not in the proper range of value"});
  test::RecordingSink converged;
  EXPECT_TRUE(ReadInputs(texts, '.', condition, converged, InputUse::kConverged));
  EXPECT_TRUE(converged.messages.empty());
  EXPECT_EQ(condition.IV, 1.2);
  test::RecordingSink narrow;
  EXPECT_FALSE(ReadInputs(texts, '.', condition, narrow, InputUse::kConverged, {0.5, 1.1}));
  EXPECT_EQ(narrow.messages, Messages{"IV 1.2 is outside the card's valid range 0.5 to 1.1"});
}

struct PointCountCase {
  double end_position;
  double increment;
  std::optional<std::string_view> refusal;
};

void PrintTo(const PointCountCase& c, std::ostream* os) {
  *os << c.end_position << " cm at " << c.increment << " cm";
}

class FailedPointCountTest : public testing::TestWithParam<PointCountCase> {};

TEST_P(FailedPointCountTest, RefusesProfilesTheSolverCannotHold) {
  TSpinCondition c = test::DefaultCondition();
  c.Zones[3].EndPosition = GetParam().end_position;
  c.Increment = GetParam().increment;
  EXPECT_EQ(FailedPointCount(c), GetParam().refusal);
}

// Points = round((end + 0.0001) / increment) + 1, worked by hand.
INSTANTIATE_TEST_SUITE_P(
    Ends, FailedPointCountTest,
    testing::Values(PointCountCase{100.0, 1.0, std::nullopt},     // 101 points
                    PointCountCase{100.0, 0.1, std::nullopt},     // 1001: exactly full
                    PointCountCase{100.0, 0.09, kTooManyPoints},  // 1112
                    PointCountCase{100.1, 0.1, kTooManyPoints},   // 1002
                    PointCountCase{1E300, 1E-300, kTooManyPoints},
                    PointCountCase{0.5, 1.0, std::nullopt},     // 0.5001 rounds to 1: 2 points
                    PointCountCase{0.4, 1.0, kTooFewPoints}));  // 1 point

}  // namespace
}  // namespace vellmor
