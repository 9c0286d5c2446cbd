// Every process number of the one table reaches every output that lists it: the JSON, the
// sweep's summary, and the viewer's rows through the table itself.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/exports/run_json.h"
#include "vellmor/sweep/summary_csv.h"

namespace vellmor {
namespace {

TEST(ProcessNumberTable, EveryNumberReachesTheJsonAndTheSummary) {
  TProcessNumbers numbers;
  numbers.Freeze = TFreezePoint{1.0, 2.0, 3.0, 4.0};
  const TInputTexts texts;
  TRunOutcome outcome;
  outcome.Status = RunStatus::kSucceeded;
  outcome.Numbers = numbers;
  const auto json = RunJson({texts, '.', outcome, "", {}})["process_numbers"];
  const std::string header = SummaryHeader({});
  std::set<std::string> keys;
  for (const TProcessNumberInfo& info : kProcessNumberTable) {
    const std::string key(info.Key);
    EXPECT_TRUE(keys.insert(key).second) << key << " twice";
    EXPECT_TRUE(json.contains(key)) << key;
    // The summary has it among its columns (passes and the spinneret tension in fixed ones).
    EXPECT_NE(header.find(key), std::string::npos) << key;
    EXPECT_EQ(&ProcessNumberInfo(key), &info);
    EXPECT_TRUE(info.Label.size() > 0 && info.Decimals >= 0) << key;
  }
  EXPECT_EQ(json.size(), kProcessNumberTable.size());
}

}  // namespace
}  // namespace vellmor
