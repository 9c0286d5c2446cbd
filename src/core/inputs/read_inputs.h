#pragma once

#include "vellmor/base/message_sink.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/inputs/spin_condition.h"

namespace vellmor {

inline constexpr const char* kInputValueNotCorrect = "Input value is not correct!";

// What the condition is read for: the classical march also needs its points to fit the
// profile; the converged solution has no points, and takes the increment as read.
enum class InputUse { kMarch, kConverged };

// Converts the nineteen texts into condition and checks them in order. Returns false after
// exactly one message to sink. Changes nothing but condition; touches no file.
bool ReadInputs(const TInputTexts& texts, char decimal_separator, TSpinCondition& condition,
                MessageSink& sink, InputUse use = InputUse::kMarch);

}  // namespace vellmor
