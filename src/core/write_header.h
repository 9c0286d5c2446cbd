#pragma once

#include "core/message_sink.h"
#include "core/spin_condition.h"

namespace vellmor {

inline constexpr const char* kFileCanNotOpen = "File can not open!";

// Creates or empties the result file named by condition.SaveFileName and writes the 41 lines
// of the condition header. Returns false after one message to sink when the file cannot be
// opened (an existing file then stays as it was). Throws FileWriteError when a line or the
// close fails; the file is released either way.
bool WriteHeader(const TSpinCondition& condition, char decimal_separator, MessageSink& sink);

}  // namespace vellmor
