#pragma once

// What refuses a request, decided once in the core and said in the spelling of the front end
// that asked: the problem names the parameter it is about by its key ("jobs"), and its message
// spells that and any other parameter it names as the front end does, so that the runner says
// "--jobs 2000: expected 0 to 1024" and Python "jobs 2000: expected 0 to 1024".

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "vellmor/model_card/model_card.h"

namespace vellmor {

enum class ProblemKind {
  kUsage,        // the request itself is wrong: a parameter's range or combination
  kWrongKind,    // a value of another kind than its parameter's: a bool for a number
  kRefused,      // what it names is refused: an input, a card, measured data
  kUnreadable,   // a file it names cannot be read
  kImplausible,  // data the line can not give: of another unit, or of another line
};

struct TRequestProblem {
  ProblemKind Kind = ProblemKind::kUsage;
  std::string Key;  // the parameter it is about; empty for the request as a whole
  std::string Message;
  // A refused card or setting: its file, line and key as data, for a front end that hands
  // them on (Python's ModelCardError).
  std::optional<TCardProblem> Card = std::nullopt;
};

// How a front end writes a parameter's key: the runner "--take-up-speed", Python the key as
// it is.
using Spelling = std::function<std::string(std::string_view key)>;

// The key as it is: the core's own spelling, and Python's.
std::string KeySpelling(std::string_view key);

// "KEY VALUE: why" in spelling; "KEY: why" without a value.
TRequestProblem ProblemWith(const Spelling& spelling, std::string_view key, std::string_view value,
                            std::string_view why, ProblemKind kind = ProblemKind::kUsage);

// text with each {key} in it spelled: the fixed texts of rules name other parameters so.
std::string SpelledText(std::string_view text, const Spelling& spelling);

// A value or what refuses it.
template <class T>
using OrRequestProblem = std::variant<T, TRequestProblem>;

}  // namespace vellmor
