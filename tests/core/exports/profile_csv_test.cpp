#include "vellmor/exports/profile_csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace vellmor {
namespace {

constexpr const char* kHeaderRecord =
    "x_cm,v_m_min,f_dyn,t_C,d_um,ta_C,h_cal_cm2_s_C,ten_re_gf_den,ten_ap_gf_den\n";

TEST(ProfileCsv, NoRowsGiveTheHeaderRecordAlone) { EXPECT_EQ(ProfileCsv({}), kHeaderRecord); }

// The first point of the worked example of the report layout, its tenacities as the example
// gives them: each number as short as it can be written, the diameter in µm (the double
// nearest 0.035 cm is a little over it: 350.00000000000006 µm, the double nearest its product).
TEST(ProfileCsv, RowsAreRecordsOfTheShortestNumbers) {
  const std::vector<TResultRow> rows = {
      {0.0, 8.88, 112.5, 290.0, 0.035, 270.0, 0.00061, 0.000113, 0.063732},
      {100.0, -5000.1, 1e-7, 34.1, 1.5e21, 20.0, 0.04586, 0.3262, 0.3262}};
  EXPECT_EQ(ProfileCsv(rows), std::string(kHeaderRecord) +
                                  "0,8.88,112.5,290,350.00000000000006,270,0.00061,0.000113,"
                                  "0.063732\n"
                                  "100,-5000.1,1e-07,34.1,1.5e+25,20,0.04586,0.3262,0.3262\n");
}

// A value that is not finite has no number to write: its cell is empty, as in the sweep's
// summary.
TEST(ProfileCsv, NonFiniteValuesLeaveTheirCellEmpty) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<TResultRow> rows = {
      {1.0, inf, -inf, std::numeric_limits<double>::quiet_NaN(), 1.0, 2.0, 3.0, 4.0, 5.0}};
  EXPECT_EQ(ProfileCsv(rows), std::string(kHeaderRecord) + "1,,,,10000,2,3,4,5\n");
}

// Every field, parsed as the C locale parses it, gives the double written to the bit.
TEST(ProfileCsv, NumbersReadBackToTheSameBits) {
  const std::vector<double> values = {0.1 + 0.2, 1.0 / 3.0, 5e-324,
                                      -std::numeric_limits<double>::max(), 8333.233333333334};
  std::vector<TResultRow> rows;
  for (double v : values) rows.push_back({v, v, v, v, v, v, v, v, v});
  const std::vector<std::string> records = test::LfLines(ProfileCsv(rows));
  ASSERT_EQ(records.size(), values.size() + 1);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string& record = records[i + 1];
    const std::string first = record.substr(0, record.find(','));
    double read = 0.0;
    std::from_chars(first.data(), first.data() + first.size(), read);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(read), std::bit_cast<std::uint64_t>(values[i])) << first;
    // Nine fields, no quoting needed: no field holds a comma, a quote or a line end.
    EXPECT_EQ(std::count(record.begin(), record.end(), ','), 8) << record;
  }
}

}  // namespace
}  // namespace vellmor
