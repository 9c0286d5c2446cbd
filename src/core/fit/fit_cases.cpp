#include "vellmor/fit/fit_cases.h"

#include "vellmor/base/message_sink.h"
#include "vellmor/inputs/read_inputs.h"
#include "vellmor/sweep/case_set.h"

namespace vellmor {
namespace {

// Keeps the one message a refused case shows.
class CaseMessage : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override {
    if (message.empty()) message = text;
  }
  std::string message;
};

}  // namespace

std::variant<std::vector<TFitCase>, std::string> FitCasesOf(const TInputTexts& base,
                                                            char decimal_separator,
                                                            const ModelCard& card,
                                                            std::optional<TCasesTable> table,
                                                            bool base_given) {
  std::vector<std::string> names;
  // Without a table, one row that changes nothing: the base texts themselves.
  TCasesTable one;
  one.Rows.emplace_back();
  CaseSet cases = CaseSet::FromTable(base, table ? *table : std::move(one));
  if (table) names = table->Names;
  cases.SetBaseCard(card);
  std::vector<TFitCase> fit_cases;
  for (std::size_t k = 1; k <= cases.Count(); ++k) {
    TFitCase fit_case;
    fit_case.Name = names.empty() ? std::to_string(k) : names[k - 1];
    auto case_card = cases.CardOf(k);
    if (auto* why = std::get_if<std::string>(&case_card)) {
      return "case " + fit_case.Name + ": " + *why;
    }
    fit_case.Card = std::get<ModelCard>(std::move(case_card));
    CaseMessage sink;
    fit_case.Texts = cases.TextsOf(k);
    fit_case.DecimalSeparator = decimal_separator;
    fit_case.InputsGiven = base_given;
    if (table) {
      for (const std::string& cell : table->Rows[k - 1]) {
        fit_case.InputsGiven = fit_case.InputsGiven || !cell.empty();
      }
    }
    // IV within the range the case's card declares valid, as solve holds it.
    if (!ReadInputs(fit_case.Texts, decimal_separator, fit_case.Condition, sink,
                    InputUse::kConverged, fit_case.Card.Constants().ValidIv)) {
      return "case " + fit_case.Name + ": " + sink.message;
    }
    fit_cases.push_back(std::move(fit_case));
  }
  return fit_cases;
}

}  // namespace vellmor
