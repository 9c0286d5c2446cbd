#include "vellmor/uncertainty/answers.h"

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/converged/converged_numbers.h"
#include "vellmor/exports/profile_columns.h"
#include "vellmor/structure/structure_summary.h"

namespace vellmor {

std::size_t ProfileAnswerColumns(bool with_structure) {
  return kConvergedColumns.size() + (with_structure ? kStructureColumns.size() : 0);
}

TAnswers AnswersOf(const TConvergedSolution& solution, const TSpinCondition& condition,
                   const TSpinlineConstants<double>& k) {
  TAnswers answers;
  const TProcessNumbers numbers = ProcessNumbersOf(solution, condition, k);
  for (const TProcessNumberInfo& info : kProcessNumberTable) {
    answers.Process.push_back(info.Value(numbers));
  }
  if (solution.Structure) {
    for (const TStructureNumberInfo& info : kStructureNumbers) {
      answers.Structure.push_back(info.Value(*solution.Structure));
    }
  }
  const auto add_column = [&](const TConvergedColumn& column) {
    std::vector<std::optional<double>> values;
    values.reserve(solution.Profile.size());
    for (const TConvergedSample& sample : solution.Profile) values.push_back(column.Value(sample));
    answers.Profile.push_back(std::move(values));
  };
  for (const TConvergedColumn& column : kConvergedColumns) add_column(column);
  if (solution.Structure) {
    for (const TConvergedColumn& column : kStructureColumns) add_column(column);
  }
  return answers;
}

}  // namespace vellmor
