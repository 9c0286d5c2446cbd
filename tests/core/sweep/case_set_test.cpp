#include "vellmor/sweep/case_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellmor {
namespace {

using Texts = std::vector<std::string>;

TVariedOption Varied(const char* name, Texts texts) { return {FindInputField(name), texts}; }

CaseSet Product(std::vector<TVariedOption> varied, TInputTexts base = {}) {
  auto set = CaseSet::Product(base, std::move(varied));
  if (const auto* problem = std::get_if<TSweepProblem>(&set)) ADD_FAILURE() << problem->Message;
  return std::get<CaseSet>(std::move(set));
}

TEST(CaseSet, ProductVariesTheFirstOptionSlowest) {
  TInputTexts base;
  base.Increment = "0.5";
  const CaseSet set = Product(
      {Varied("take-up-speed", {"3000", "4000"}), Varied("zone2-air-velocity", {"20", "50", "80"})},
      base);
  ASSERT_EQ(set.Count(), 6u);
  const std::vector<Texts> expected = {{"3000", "20"}, {"3000", "50"}, {"3000", "80"},
                                       {"4000", "20"}, {"4000", "50"}, {"4000", "80"}};
  for (std::size_t k = 1; k <= 6; ++k) EXPECT_EQ(set.ColumnTextsOf(k), expected[k - 1]) << k;
  const TInputTexts fifth = set.TextsOf(5);
  EXPECT_EQ(fifth.TakeUpSpeed, "4000");
  EXPECT_EQ(fifth.Zone2AirVelocity, "50");
  EXPECT_EQ(fifth.Increment, "0.5");  // the rest from base
  EXPECT_EQ(fifth.HoleDiameter, TInputTexts{}.HoleDiameter);
}

TEST(CaseSet, ProductRefusesAnOptionVariedTwiceAndTooManyCases) {
  const auto twice = CaseSet::Product(
      {}, {Varied("iv", {"0.7"}), Varied("take-up-speed", {"1"}), Varied("iv", {"0.8"})});
  ASSERT_TRUE(std::holds_alternative<TSweepProblem>(twice));
  EXPECT_EQ(std::get<TSweepProblem>(twice).Subject, "iv");
  EXPECT_EQ(std::get<TSweepProblem>(twice).Message, "the option is varied twice");

  const Texts thousand(1000, "1");
  const Texts hundred(100, "1");
  const auto huge = CaseSet::Product(
      {},
      {Varied("zone1-a1", thousand), Varied("zone1-a2", thousand), Varied("zone1-a3", hundred)});
  ASSERT_TRUE(std::holds_alternative<TSweepProblem>(huge));
  EXPECT_EQ(std::get<TSweepProblem>(huge).Subject, "zone1_a3");
  EXPECT_EQ(std::get<TSweepProblem>(huge).Message, "the sweep would have more than 10000000 cases");
}

TEST(CaseSet, EmptyTableCellKeepsTheBaseText) {
  TInputTexts base;
  base.TakeUpSpeed = "4500";
  const CaseSet set = CaseSet::FromTable(
      base,
      {{FindInputField("take-up-speed"), FindInputField("iv")}, {{"", "0.7"}, {"3000", ""}}, {}});
  ASSERT_EQ(set.Count(), 2u);
  EXPECT_EQ(set.ColumnTextsOf(1), (Texts{"4500", "0.7"}));
  EXPECT_EQ(set.ColumnTextsOf(2), (Texts{"3000", "0.67"}));
  EXPECT_EQ(set.TextsOf(2).TakeUpSpeed, "3000");
}

// Every case lands in exactly one shard, and shard I holds the cases k ≡ I (mod N).
TEST(Shards, PartitionTheCases) {
  for (const std::size_t total : {0u, 1u, 7u, 21u}) {
    for (std::size_t count = 1; count <= 5; ++count) {
      std::vector<int> seen(total + 1, 0);
      for (std::size_t index = 1; index <= count; ++index) {
        const TShard shard{index, count};
        for (std::size_t p = 0; p < ShardCaseCount(total, shard); ++p) {
          const std::size_t k = ShardCase(shard, p);
          ASSERT_LE(k, total);
          EXPECT_EQ((k - 1) % count + 1, index);
          ++seen[k];
        }
      }
      for (std::size_t k = 1; k <= total; ++k) EXPECT_EQ(seen[k], 1) << k << " of " << total;
    }
  }
}

TEST(Shards, ParseShard) {
  const auto shard = ParseShard("2/8");
  ASSERT_TRUE(std::holds_alternative<TShard>(shard));
  EXPECT_EQ(std::get<TShard>(shard).Index, 2u);
  EXPECT_EQ(std::get<TShard>(shard).Count, 8u);
  for (const char* bad : {"0/3", "4/3", "1/0", "2", "/3", "1/", "a/3", "1/3x", "-1/3", "+1/3"}) {
    EXPECT_TRUE(std::holds_alternative<TSweepProblem>(ParseShard(bad))) << bad;
  }
}

}  // namespace
}  // namespace vellmor
