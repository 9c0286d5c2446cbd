#include "vellmor/sweep/case_set.h"

#include <algorithm>
#include <cassert>
#include <charconv>

namespace vellmor {

OrProblem<CaseSet> CaseSet::Product(const TInputTexts& base, std::vector<TVariedOption> varied) {
  CaseSet set;
  set.base_ = base;
  for (TVariedOption& option : varied) {
    assert((option.Column.Field != nullptr) != option.Column.OnCard() && !option.Texts.empty());
    const std::string name(option.Column.Name());
    if (std::find(set.columns_.begin(), set.columns_.end(), option.Column) != set.columns_.end()) {
      return TSweepProblem{"the option is varied twice", name};
    }
    if (option.Texts.size() > kMaxSweepCases / set.count_) {
      return TSweepProblem{
          "the sweep would have more than " + std::to_string(kMaxSweepCases) + " cases", name};
    }
    set.count_ *= option.Texts.size();
    set.columns_.push_back(option.Column);
    set.product_texts_.push_back(std::move(option.Texts));
  }
  return set;
}

CaseSet CaseSet::FromTable(const TInputTexts& base, TCasesTable table) {
  CaseSet set;
  set.base_ = base;
  set.columns_ = std::move(table.Columns);
  set.rows_ = std::move(table.Rows);
  set.count_ = set.rows_.size();
  return set;
}

const std::string& CaseSet::Cell(std::size_t case_number, std::size_t column) const {
  assert(case_number >= 1 && case_number <= count_ && column < columns_.size());
  if (!rows_.empty()) return rows_[case_number - 1][column];
  // Case numbers in mixed radix, the last column being the lowest digit.
  std::size_t index = case_number - 1;
  for (std::size_t j = columns_.size() - 1; j > column; --j) index /= product_texts_[j].size();
  return product_texts_[column][index % product_texts_[column].size()];
}

bool CaseSet::VariesTheCard() const {
  return std::any_of(columns_.begin(), columns_.end(),
                     [](const TSweepColumn& column) { return column.OnCard(); });
}

TInputTexts CaseSet::TextsOf(std::size_t case_number) const {
  TInputTexts texts = base_;
  for (std::size_t j = 0; j < columns_.size(); ++j) {
    if (columns_[j].OnCard()) continue;
    const std::string& cell = Cell(case_number, j);
    if (!cell.empty()) texts.*columns_[j].Field->Text = cell;
  }
  return texts;
}

std::vector<std::string> CaseSet::ColumnTextsOf(std::size_t case_number) const {
  const TInputTexts texts = TextsOf(case_number);
  std::vector<std::string> cells;
  cells.reserve(columns_.size());
  for (std::size_t j = 0; j < columns_.size(); ++j) {
    const TSweepColumn& column = columns_[j];
    if (!column.OnCard()) {
      cells.push_back(texts.*column.Field->Text);
    } else if (const std::string& cell = Cell(case_number, j); !cell.empty()) {
      cells.push_back(cell);
    } else {
      cells.push_back(base_card_.Text(*column.CardKey));
    }
  }
  return cells;
}

std::variant<ModelCard, std::string> CaseSet::CardOf(std::size_t case_number) const {
  ModelCard card = base_card_;
  for (std::size_t j = 0; j < columns_.size(); ++j) {
    if (!columns_[j].OnCard()) continue;
    const std::string& cell = Cell(case_number, j);
    if (cell.empty()) continue;
    if (auto why = ApplyCardText(card, *columns_[j].CardKey, cell)) {
      return std::string(columns_[j].Name()) + ": " + *why;
    }
  }
  return card;
}

OrProblem<TShard> ParseShard(std::string_view text) {
  const auto problem = [text] {
    return TSweepProblem{"expected I/N, shard I of N with 1 <= I <= N (for example 2/8)",
                         std::string(text)};
  };
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) return problem();
  TShard shard;
  const auto read = [](std::string_view digits, std::size_t& value) {
    if (digits.empty() || digits.front() < '0' || digits.front() > '9') return false;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size();
  };
  if (!read(text.substr(0, slash), shard.Index) || !read(text.substr(slash + 1), shard.Count) ||
      shard.Index < 1 || shard.Index > shard.Count) {
    return problem();
  }
  return shard;
}

std::size_t ShardCaseCount(std::size_t total, TShard shard) {
  if (shard.Index > total) return 0;
  return (total - shard.Index) / shard.Count + 1;
}

std::string CaseSet::Definition() const {
  std::string text = "cases " + std::to_string(count_) + "\n";
  // Each text with its length first, so that no text can pass for two.
  const auto add = [&text](std::string_view what, std::string_view value) {
    text.append(what).append(" ").append(std::to_string(value.size())).append(":");
    text.append(value).append("\n");
  };
  for (const TInputField& field : kInputFields) add(field.Key, base_.*field.Text);
  for (std::size_t j = 0; j < columns_.size(); ++j) {
    add("column", columns_[j].Name());
    if (!product_texts_.empty()) {
      for (const std::string& value : product_texts_[j]) add("value", value);
    }
  }
  for (const std::vector<std::string>& row : rows_) {
    text += "row\n";
    for (const std::string& cell : row) add("cell", cell);
  }
  add("card", ModelCardYaml(base_card_));
  return text;
}

}  // namespace vellmor
