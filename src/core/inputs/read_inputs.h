#pragma once

#include "core/inputs/input_texts.h"
#include "core/inputs/spin_condition.h"
#include "core/report/result_file.h"
#include "core/run/message_sink.h"

namespace vellmor {

inline constexpr const char* kInputValueNotCorrect = "Input value is not correct!";

// Converts the nineteen texts into condition, checks them in order and writes the result
// file's header. Returns false after exactly one message to sink; then the result file was not
// touched. Changes nothing but condition, the result file and hold, which keeps the result file
// locked for the rest of the run. A failed write of the header throws FileWriteError.
bool ReadInputs(const TInputTexts& texts, char decimal_separator, TSpinCondition& condition,
                MessageSink& sink, ResultFileLock& hold);

}  // namespace vellmor
