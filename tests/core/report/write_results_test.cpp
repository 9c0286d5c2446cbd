#include "vellmor/report/write_results.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vellmor/base/run_error.h"
#include "vellmor/report/write_header.h"
#include "support/default_result_header.h"
#include "support/test_support.h"

namespace vellmor {
namespace {

namespace fs = std::filesystem;

// The values the march leaves at one point, V in cm/s.
struct PointValues {
  double X, V, F, T, D, TA, H;
};

void SetPoint(TSpinlineProfile& profile, int p, const PointValues& v) {
  profile.X[p] = v.X;
  profile.V[p] = v.V;
  profile.F[p] = v.F;
  profile.T[p] = v.T;
  profile.D[p] = v.D;
  profile.TA[p] = v.TA;
  profile.H[p] = v.H;
}

// The worked example of the report layout: three made-up points of a run with an output of
// 1.0 g/min and a take-up speed of 5000.0 m/min, with the rows they give.
constexpr PointValues kPoint1{0.0, 14.8, 112.5, 290.0, 0.035, 270.0, 0.00061};
constexpr PointValues kPoint21{20.0, 5000.0, 512.345, 151.23, 0.00152, 25.0, 0.00123};
constexpr PointValues kPoint101{100.0, 8333.5, 1520.9, 64.77, 0.0012, 20.0, 0.000456};
const std::string kRow1 = "   0.0     8.9  112.500  290.0  0.03500  270.0  0.00061  0.0001  0.0637";
const std::string kRow21 =
    "  20.0  3000.0  512.345  151.2  0.00152   25.0  0.00123  0.1741  0.2902";
const std::string kRow101 =
    " 100.0  5000.1 1520.900   64.8  0.00120   20.0  0.00046  0.8616  0.8616";

struct ExampleRow {
  const char* what;
  int p;
  PointValues point;
  double v_out, ten_re, ten_ap;  // as the example gives them, to six decimals
  std::string text;
  std::size_t length;  // bytes
};

class WorkedExampleRow : public testing::TestWithParam<ExampleRow> {};

TEST_P(WorkedExampleRow, IsComputedStoredAndLaidOut) {
  const ExampleRow& example = GetParam();
  const TSpinCondition condition = test::DefaultCondition();
  auto profile = std::make_unique<TSpinlineProfile>();
  SetPoint(*profile, example.p, example.point);

  const TResultRow row = MakeResultRow(condition, *profile, example.p);
  EXPECT_NEAR(row.VOut, example.v_out, 1e-9);
  EXPECT_EQ(profile->VOut[example.p], row.VOut);
  EXPECT_NEAR(row.TenRE, example.ten_re, 1e-6);
  EXPECT_NEAR(row.TenAP, example.ten_ap, 1e-6);
  const std::string text = FormatResultRow(row);
  EXPECT_EQ(text, example.text);
  EXPECT_EQ(text.size(), example.length);
}

INSTANTIATE_TEST_SUITE_P(
    Report, WorkedExampleRow,
    testing::Values(ExampleRow{"Point1", 1, kPoint1, 8.88, 0.000113, 0.063732, kRow1, 71},
                    ExampleRow{"Point21", 21, kPoint21, 3000.0, 0.174149, 0.290249, kRow21, 71},
                    ExampleRow{"Point101", 101, kPoint101, 5000.1, 0.861624, 0.861607, kRow101, 71},
                    // The third point moved to 1000 cm with 12345.67 dyn: X takes 6
                    // characters and F 9, so the row is 73 bytes.
                    ExampleRow{"Lengthened",
                               101,
                               {1000.0, 8333.5, 12345.67, 64.77, 0.0012, 20.0, 0.000456},
                               5000.1,
                               6.994099,
                               6.993959,
                               " 1000.0  5000.1 12345.670   64.8  0.00120   20.0  0.00046  "
                               "6.9941  6.9940",
                               73}),
    [](const testing::TestParamInfo<ExampleRow>& info) { return info.param.what; });

struct FieldCase {
  const char* what;
  std::function<void(TResultRow&)> change;
  std::string text;
};

class ResultRowField : public testing::TestWithParam<FieldCase> {};

TEST_P(ResultRowField, KeepsItsColumnOrLengthensTheRow) {
  // The third row of the worked example, field by field.
  TResultRow row{100.0, 5000.1, 1520.9, 64.77, 0.0012, 20.0, 0.000456, 0.861624, 0.861607};
  GetParam().change(row);
  EXPECT_EQ(FormatResultRow(row), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Report, ResultRowField,
    testing::Values(
        // Eight integer digits in a width of 8: exponent form, three exponent digits.
        FieldCase{"FInExponentForm", [](TResultRow& r) { r.F = 123456789.0; },
                  " 100.0  5000.1 1.2345679E008   64.8  0.00120   20.0  0.00046  0.8616  0.8616"},
        FieldCase{"NegativeFFits", [](TResultRow& r) { r.F = -999.999; },
                  " 100.0  5000.1 -999.999   64.8  0.00120   20.0  0.00046  0.8616  0.8616"},
        FieldCase{"TinyDiameter", [](TResultRow& r) { r.D = 0.000004; },
                  " 100.0  5000.1 1520.900   64.8  0.00000   20.0  0.00046  0.8616  0.8616"},
        FieldCase{"TinyHeatTransfer", [](TResultRow& r) { r.H = 0.0000049; },
                  " 100.0  5000.1 1520.900   64.8  0.00120   20.0  0.00000  0.8616  0.8616"},
        FieldCase{"TinyTenacity", [](TResultRow& r) { r.TenRE = 0.000049; },
                  " 100.0  5000.1 1520.900   64.8  0.00120   20.0  0.00046  0.0000  0.8616"},
        FieldCase{"FastVelocity", [](TResultRow& r) { r.VOut = 123456.7; },
                  " 100.0 123456.7 1520.900   64.8  0.00120   20.0  0.00046  0.8616  0.8616"},
        FieldCase{"LargeTenacity", [](TResultRow& r) { r.TenAP = 123.45; },
                  " 100.0  5000.1 1520.900   64.8  0.00120   20.0  0.00046  0.8616 123.4500"}),
    [](const testing::TestParamInfo<FieldCase>& info) { return info.param.what; });

TEST(ResultRow, UsesTheUsersDecimalSeparator) {
  const TResultRow row{0.0, 8.88, 112.5, 290.0, 0.035, 270.0, 0.00061, 0.000113, 0.063732};
  EXPECT_EQ(FormatResultRow(row, ','),
            "   0,0     8,9  112,500  290,0  0,03500  270,0  0,00061  0,0001  0,0637");
}

struct FaultCase {
  const char* what;
  double v;        // cm/s
  double f;        // dyn
  double take_up;  // m/min
};

class ResultRowFault : public testing::TestWithParam<FaultCase> {};

TEST_P(ResultRowFault, ThrowsBeforeStoringTheVelocity) {
  TSpinCondition condition = test::DefaultCondition();
  condition.TakeUpSpeed = GetParam().take_up;
  auto profile = std::make_unique<TSpinlineProfile>();
  SetPoint(*profile, 3, {2.0, GetParam().v, GetParam().f, 280.0, 0.03, 25.0, 0.0005});
  profile->VOut[3] = -1.0;
  EXPECT_THROW(MakeResultRow(condition, *profile, 3), CalculationError);
  EXPECT_EQ(profile->VOut[3], -1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Report, ResultRowFault,
    testing::Values(
        // The fineness at a standing filament divides by zero.
        FaultCase{"ZeroVelocity", 0.0, 112.5, 5000.0},
        // 1e308 dyn on a fineness of 9e-297 denier leaves the range of a double.
        FaultCase{"TenacityOverflows", 14.8, 1e308, 1e300}),
    [](const testing::TestParamInfo<FaultCase>& info) { return info.param.what; });

// Each test writes into a directory of its own, removed afterwards.
class WriteResultsTest : public testing::Test {
 protected:
  // A stand-in for the condition header: the table must follow whatever the file holds.
  static constexpr std::string_view kHeader = "header line\r\n                  .s.\x81\x8E\r\n";

  void SetUp() override {
    condition_ = test::DefaultCondition();
    condition_.SaveFileName = (dir_ / "result.txt").string();
    profile_ = std::make_unique<TSpinlineProfile>();
    SetPoint(*profile_, 1, kPoint1);
    SetPoint(*profile_, 2, kPoint21);
    SetPoint(*profile_, 3, kPoint101);
    profile_->ZoneEndPoint[3] = 3;
  }

  // Opens the result file and writes the stand-in header, as the run does before its table.
  void Open() {
    ASSERT_TRUE(OpenResultFile(condition_.SaveFileName, file_, sink_));
    file_.WriteLine("header line");
    file_.WriteLine("                  .s.\x81\x8E");
  }
  // The table, and the file put in place.
  void Write() {
    WriteResults(condition_, *profile_, '.', file_);
    file_.Commit();
  }

  test::ScratchDirectory dir_;
  TSpinCondition condition_;
  std::unique_ptr<TSpinlineProfile> profile_;
  test::RecordingSink sink_;
  ResultFile file_;
};

TEST_F(WriteResultsTest, AppendsTheRowsAndTwoEmptyLinesAfterTheHeader) {
  ASSERT_TRUE(OpenResultFile(condition_.SaveFileName, file_, sink_));
  WriteHeader(condition_, '.', file_);
  Write();
  EXPECT_TRUE(sink_.messages.empty());
  const std::string table = kRow1 + "\r\n" + kRow21 + "\r\n" + kRow101 + "\r\n\r\n\r\n";
  EXPECT_EQ(test::ReadBytes(condition_.SaveFileName), test::Joined(test::kDefaultHeader) + table);
  EXPECT_NEAR(profile_->VOut[2], 3000.0, 1e-9);
}

TEST_F(WriteResultsTest, NoPointsGiveOnlyTheTwoEmptyLines) {
  Open();
  profile_->ZoneEndPoint[3] = 0;
  Write();
  EXPECT_EQ(test::ReadBytes(condition_.SaveFileName), std::string(kHeader) + "\r\n\r\n");
}

// The longest table: every row reaches the file across many buffer flushes.
TEST_F(WriteResultsTest, FullProfileGivesOneRowPerPoint) {
  Open();
  for (int p = 1; p <= MaxPoints; ++p) SetPoint(*profile_, p, kPoint21);
  profile_->ZoneEndPoint[3] = MaxPoints;
  Write();
  std::string expected(kHeader);
  for (int p = 1; p <= MaxPoints; ++p) expected += kRow21 + "\r\n";
  expected += "\r\n\r\n";
  EXPECT_EQ(test::ReadBytes(condition_.SaveFileName), expected);
}

// The rows before the failing point stay written, and the file open for the run to put in
// place.
TEST_F(WriteResultsTest, ZeroVelocityInRow3LeavesRows1And2InTheFile) {
  Open();
  profile_->V[3] = 0.0;
  profile_->VOut[3] = -1.0;
  profile_->ZoneEndPoint[3] = 5;
  test::ExpectCalculationError(
      CalculationFault::kDivisionByZero,
      "Calculation stopped: floating-point division by zero at x = 100.0 cm", [&] { Write(); });
  ASSERT_TRUE(file_.IsOpen());
  file_.Commit();
  EXPECT_EQ(test::ReadBytes(condition_.SaveFileName),
            std::string(kHeader) + kRow1 + "\r\n" + kRow21 + "\r\n");
  EXPECT_EQ(profile_->VOut[3], -1.0);
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(WriteResultsTest, FullDeviceThrowsAndReleasesTheFile) {
  const fs::path device = dir_ / "full";
  if (!test::MakeCharacterDevice(device, 1, 7)) GTEST_SKIP() << test::kNoDeviceReason;
  condition_.SaveFileName = device.string();
  const int descriptors = test::OpenDescriptorCount();
  try {
    Open();
    Write();
    ADD_FAILURE() << "no FileWriteError";
  } catch (const FileWriteError& error) {
    EXPECT_NE(std::string(error.what()).find("No space left on device"), std::string::npos);
  }
  EXPECT_FALSE(file_.IsOpen());
  EXPECT_EQ(test::OpenDescriptorCount(), descriptors);
}

}  // namespace
}  // namespace vellmor
