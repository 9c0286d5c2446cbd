#pragma once

// The answers of one solved case that an interval is given for, in one shape: the process
// numbers (in the exports' order), the structure's numbers at take-up (when followed) and the
// profile's columns at every sample. An absent value (no freeze point, no onset) has none.
// The same shape holds a case's values, their derivatives or their intervals.

#include <cstddef>
#include <optional>
#include <vector>

#include "vellmor/converged/converged_solution.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/physics/spinline_constants.h"

namespace vellmor {

template <typename T>
struct TAnswerSet {
  std::vector<T> Process;               // kProcessNumberTable's order
  std::vector<T> Structure;             // kStructureNumbers' order; empty without the structure
  std::vector<std::vector<T>> Profile;  // [column][sample]: the converged profile's columns

  std::size_t Size() const {
    std::size_t n = Process.size() + Structure.size();
    for (const auto& column : Profile) n += column.size();
    return n;
  }
  // Every answer in one order, for the statistics; Reshaped puts them back.
  std::vector<T> Flat() const {
    std::vector<T> flat;
    flat.reserve(Size());
    flat.insert(flat.end(), Process.begin(), Process.end());
    flat.insert(flat.end(), Structure.begin(), Structure.end());
    for (const auto& column : Profile) flat.insert(flat.end(), column.begin(), column.end());
    return flat;
  }
  template <typename U>
  TAnswerSet<U> Reshaped(const std::vector<U>& flat) const {
    TAnswerSet<U> set;
    std::size_t at = 0;
    const auto take = [&](std::size_t n) {
      std::vector<U> part(flat.begin() + static_cast<std::ptrdiff_t>(at),
                          flat.begin() + static_cast<std::ptrdiff_t>(at + n));
      at += n;
      return part;
    };
    set.Process = take(Process.size());
    set.Structure = take(Structure.size());
    for (const auto& column : Profile) set.Profile.push_back(take(column.size()));
    return set;
  }
};

using TAnswers = TAnswerSet<std::optional<double>>;

// The columns of a profile's answers: the converged profile's columns, then the structure's
// when the solution followed it (profile_columns.h).
std::size_t ProfileAnswerColumns(bool with_structure);

// The answers of solution, the converged solution of condition with the laws' constants k.
TAnswers AnswersOf(const TConvergedSolution& solution, const TSpinCondition& condition,
                   const TSpinlineConstants<double>& k);

}  // namespace vellmor
