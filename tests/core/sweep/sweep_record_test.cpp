// The record that ties a sweep's summaries together, and what reading and merging them refuse.

#include "vellmor/sweep/sweep_record.h"

#include <gtest/gtest.h>

#include <string>

#include "vellmor/sweep/vary_list.h"

namespace vellmor {
namespace {

CaseSet Speeds(const char* list, const TInputTexts& base = DefaultInputTexts('.')) {
  auto varied = ParseVary(std::string("take-up-speed=") + list, '.');
  auto set = CaseSet::Product(base, {std::get<TVariedOption>(varied)});
  return std::get<CaseSet>(std::move(set));
}

// Anything that changes the cases or how they are solved changes the fingerprint; the same
// definition gives the same one.
TEST(SweepRecord, FingerprintFollowsTheDefinition) {
  const TSweepOptions plain;
  const std::string reference = RecordOf(Speeds("3000,4000"), plain).Fingerprint;
  EXPECT_EQ(reference.size(), 16u);
  EXPECT_EQ(RecordOf(Speeds("3000,4000"), plain).Fingerprint, reference);
  EXPECT_NE(RecordOf(Speeds("3000,4001"), plain).Fingerprint, reference);
  EXPECT_NE(RecordOf(Speeds("3000;4000;5000"), plain).Fingerprint, reference);
  TInputTexts base = DefaultInputTexts('.');
  base.Zone1A2 = "-30";
  EXPECT_NE(RecordOf(Speeds("3000,4000", base), plain).Fingerprint, reference);
  TSweepOptions accuracy;
  accuracy.Accuracy = true;
  EXPECT_NE(RecordOf(Speeds("3000,4000"), accuracy).Fingerprint, reference);
  CaseSet carded = Speeds("3000,4000");
  ModelCard card;
  card.SetValue(*FindModelKey("heat_transfer.factor"), 2e-4);
  carded.SetBaseCard(card);
  EXPECT_NE(RecordOf(carded, plain).Fingerprint, reference);
  // The shard is the record's, not the sweep's.
  TSweepOptions shard;
  shard.Shard = {2, 3};
  const TSweepRecord second = RecordOf(Speeds("3000,4000"), shard);
  EXPECT_EQ(second.Fingerprint, reference);
  const auto read = ReadRecord(RecordText(second), "s.csv.sweep");
  ASSERT_TRUE(std::holds_alternative<TSweepRecord>(read));
  EXPECT_EQ(std::get<TSweepRecord>(read).Shard.Index, 2u);
  EXPECT_EQ(std::get<TSweepRecord>(read).CaseCount, 2u);
  EXPECT_EQ(std::get<std::string>(ReadRecord("{}", "x.sweep")),
            "x.sweep: not the record of a sweep");
  // Keys of another type are no record either, said as such rather than thrown.
  for (const char* text :
       {R"({"record":1})", R"({"record":"vellmor sweep","fingerprint":2})",
        R"({"record":"vellmor sweep","fingerprint":"f","cases":-1,"shard":"1/1"})", "[1]",
        "\x01"}) {
    const auto refused = ReadRecord(text, "x.sweep");
    ASSERT_TRUE(std::holds_alternative<std::string>(refused)) << text;
    EXPECT_EQ(std::get<std::string>(refused), "x.sweep: not the record of a sweep");
  }
}

TEST(SweepRecord, SummaryLinesAndRanges) {
  const auto lines = ReadSummaryLines("case,status\n1,succeeded\n12,\"a, b\"\n", "s.csv");
  ASSERT_TRUE(std::holds_alternative<TSummaryLines>(lines));
  const TSummaryLines& read = std::get<TSummaryLines>(lines);
  EXPECT_EQ(read.Header, "case,status\n");
  ASSERT_EQ(read.Cases.size(), 2u);
  EXPECT_EQ(read.Cases[1].first, 12u);
  EXPECT_EQ(read.Cases[1].second, "12,\"a, b\"\n");
  // A last line cut short by a killed writer is no case's line.
  EXPECT_EQ(std::get<std::string>(ReadSummaryLines("case,status\n1,succ", "s.csv")),
            "s.csv, line 2: not a case's line of a sweep summary");
  EXPECT_EQ(CaseRanges({2, 3, 4, 7, 9, 10}), "2-4, 7, 9-10");
  EXPECT_EQ(CaseRanges({}), "");
}

TEST(SweepRecord, MergeRefusesAHeaderThatDiffers) {
  TSweepRecord record{"0123456789abcdef", 2, {1, 2}};
  const std::string first = RecordText(record);
  record.Shard = {2, 2};
  const std::string second = RecordText(record);
  const auto merged = MergeSummaries(
      {{"a.csv", "case,x\n1,a\n", first}, {"b.csv", "case,y\n2,b\n", second}}, false);
  EXPECT_EQ(std::get<std::string>(merged), "b.csv: its header differs from a.csv's");
  const auto fine = MergeSummaries(
      {{"b.csv", "case,x\n2,b\n", second}, {"a.csv", "case,x\n1,a\n", first}}, false);
  EXPECT_EQ(std::get<TMergedSummary>(fine).Summary, "case,x\n1,a\n2,b\n");
  const auto beyond = MergeSummaries({{"a.csv", "case,x\n3,a\n", first}}, true);
  EXPECT_EQ(std::get<std::string>(beyond), "a.csv: case 3 is not one of the 2 cases of the sweep");
}

}  // namespace
}  // namespace vellmor
