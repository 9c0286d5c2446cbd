#pragma once

#include <string>

#include "vellmor/base/message_sink.h"
#include "vellmor/inputs/spin_condition.h"
#include "vellmor/report/result_file.h"

namespace vellmor {

inline constexpr const char* kFileCanNotOpen = "File can not open!";
// A name longer than kMaxSaveFileNameLength (result_file.h) is refused before anything is
// opened.
inline constexpr const char* kSaveFileNameTooLong =
    "Save File Name is too long (more than 259 bytes)";

// Opens the result file named by name for the run. Returns false after one message to sink
// when it cannot be opened (an existing file then stays as it was) or its name is too long.
// A relative name is resolved against the current directory.
bool OpenResultFile(const std::string& name, ResultFile& file, MessageSink& sink,
                    const TOutputOptions& options = {});

// Writes the 41 lines of the condition header to the open result file. Throws FileWriteError
// when a line cannot be written; the file is abandoned then.
void WriteHeader(const TSpinCondition& condition, char decimal_separator, ResultLines& file);

}  // namespace vellmor
