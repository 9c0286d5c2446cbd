#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "vellmor/fit/spinline_fit.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/model_card/model_card.h"
#include "vellmor/sweep/cases_table.h"

namespace vellmor {

// The operating conditions of a fit: without a table the base texts alone (one case, named
// "1"); with one, each row over the base texts and card, named by its "case" cell or its row
// number. Each case's texts are read and checked as solve reads them; the first that is
// refused, or whose card constant is, gives the message, naming the case.
// base_given: whether any input of base was given rather than the window's default.
std::variant<std::vector<TFitCase>, std::string> FitCasesOf(const TInputTexts& base,
                                                            char decimal_separator,
                                                            const ModelCard& card,
                                                            std::optional<TCasesTable> table,
                                                            bool base_given = true);

}  // namespace vellmor
