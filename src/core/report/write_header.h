#pragma once

#include "core/inputs/spin_condition.h"
#include "core/report/result_file.h"
#include "core/run/message_sink.h"

namespace vellmor {

inline constexpr const char* kFileCanNotOpen = "File can not open!";
// A name longer than kMaxSaveFileNameLength (result_file.h) is refused before anything is
// opened.
inline constexpr const char* kSaveFileNameTooLong =
    "Save File Name is too long (more than 259 bytes)";

// Creates or empties the result file named by condition.SaveFileName and writes the 41 lines
// of the condition header. Returns false after one message to sink when the file cannot be
// opened (an existing file then stays as it was) or its name is too long. A relative name is
// resolved against the current directory. The file stays locked by hold after it is closed,
// until the run releases it. Throws FileWriteError when a line or the close fails; the file is
// released either way.
bool WriteHeader(const TSpinCondition& condition, char decimal_separator, MessageSink& sink,
                 ResultFileLock& hold);

}  // namespace vellmor
