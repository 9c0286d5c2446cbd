#pragma once

#include "core/inputs/input_texts.h"
#include "core/inputs/spin_condition.h"
#include "core/run/message_sink.h"

namespace vellmor {

inline constexpr const char* kInputValueNotCorrect = "Input value is not correct!";

// Converts the nineteen texts into condition, checks them in order and writes the result
// file's header. Returns false after exactly one message to sink; then the result file was not
// touched. Changes nothing but condition and the result file. A failed write of the header
// throws FileWriteError.
bool ReadInputs(const TInputTexts& texts, char decimal_separator, TSpinCondition& condition,
                MessageSink& sink);

}  // namespace vellmor
