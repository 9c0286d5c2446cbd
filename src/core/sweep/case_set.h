#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "vellmor/inputs/input_fields.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/sweep/cases_table.h"
#include "vellmor/sweep/sweep_column.h"
#include "vellmor/sweep/sweep_problem.h"
#include "vellmor/sweep/vary_list.h"

namespace vellmor {

// The cases of a sweep, numbered 1 … Count(): either the cartesian product of varied options or
// the rows of a cases table, each over the same base texts. Cases are made on demand, so a
// product of millions costs no memory until run.
class CaseSet {
 public:
  // Every combination of the varied options' texts over base, the first option varying
  // slowest: for speeds 3000, 4000 and air 20, 50 the cases are (3000, 20), (3000, 50),
  // (4000, 20), (4000, 50). No option may be varied twice; with none varied, base is the one case.
  static OrProblem<CaseSet> Product(const TInputTexts& base, std::vector<TVariedOption> varied);
  // One case per row of the table; an empty cell keeps base's text.
  static CaseSet FromTable(const TInputTexts& base, TCasesTable table);

  std::size_t Count() const { return count_; }
  // The varied options (or the table's columns), in order: the summary's case columns.
  const std::vector<TSweepColumn>& Columns() const { return columns_; }
  // Whether a column is a card constant: the cases are then for the converged model.
  bool VariesTheCard() const;
  // The nineteen texts of case case_number (1 … Count()).
  TInputTexts TextsOf(std::size_t case_number) const;
  // The texts of the Columns() in case case_number, as the case runs them (a card constant's
  // as the card writes it).
  std::vector<std::string> ColumnTextsOf(std::size_t case_number) const;

  // The model card every case starts from (the built-in one unless set).
  void SetBaseCard(ModelCard card) { base_card_ = std::move(card); }
  const ModelCard& BaseCard() const { return base_card_; }
  // The card of case case_number: the base card with the case's card constants, or the
  // column and reason that refuse one ("heat_transfer.factor: must be above 0, not -1").
  std::variant<ModelCard, std::string> CardOf(std::size_t case_number) const;

  // The whole definition as one text, for a fingerprint: the base texts, each column and its
  // texts (or each row of a table), the base card, the number of cases. Two sets with the same
  // definition make the same cases.
  std::string Definition() const;

 private:
  CaseSet() = default;
  // The text of column in case case_number, before base fills in an empty table cell.
  const std::string& Cell(std::size_t case_number, std::size_t column) const;

  TInputTexts base_;
  ModelCard base_card_;
  std::vector<TSweepColumn> columns_;
  std::vector<std::vector<std::string>> product_texts_;  // per column, for a product
  std::vector<std::vector<std::string>> rows_;           // per case, for a table
  std::size_t count_ = 1;
};

// The part of a sweep one machine runs: shard Index of Count holds the cases k with
// (k − 1) mod Count = Index − 1, so shard 1 of 3 runs cases 1, 4, 7, … Slow regions of a
// sweep (the fine increments, say) are dealt round all shards rather than given to one.
struct TShard {
  std::size_t Index = 1;  // 1 … Count
  std::size_t Count = 1;
};

// "I/N" with 1 <= I <= N.
OrProblem<TShard> ParseShard(std::string_view text);

// How many of total cases the shard holds.
std::size_t ShardCaseCount(std::size_t total, TShard shard);

// The case number of the shard's position-th case (position 0, 1, …).
inline std::size_t ShardCase(TShard shard, std::size_t position) {
  return shard.Index + position * shard.Count;
}

}  // namespace vellmor
