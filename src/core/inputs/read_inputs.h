#pragma once

#include "vellmor/base/message_sink.h"
#include "vellmor/inputs/input_checks.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/inputs/spin_condition.h"

namespace vellmor {

inline constexpr const char* kInputValueNotCorrect = "Input value is not correct!";

// What the condition is read for: the classical march also needs its points to fit the
// profile and IV within the window's range; the converged solution has no points, takes the
// increment as read and IV within its card's valid range.
enum class InputUse { kMarch, kConverged };

// Converts the nineteen texts into condition and checks them in order. Returns false after
// exactly one message to sink. Changes nothing but condition; touches no file. converged_iv is
// the converged use's valid IV (the card's); the march's is the window's, whatever it says.
bool ReadInputs(const TInputTexts& texts, char decimal_separator, TSpinCondition& condition,
                MessageSink& sink, InputUse use = InputUse::kMarch,
                const TIvRange& converged_iv = {});

}  // namespace vellmor
