#pragma once

#include "core/base/message_sink.h"
#include "core/inputs/input_texts.h"
#include "core/inputs/spin_condition.h"

namespace vellmor {

inline constexpr const char* kInputValueNotCorrect = "Input value is not correct!";

// Converts the nineteen texts into condition and checks them in order. Returns false after
// exactly one message to sink. Changes nothing but condition; touches no file.
bool ReadInputs(const TInputTexts& texts, char decimal_separator, TSpinCondition& condition,
                MessageSink& sink);

}  // namespace vellmor
