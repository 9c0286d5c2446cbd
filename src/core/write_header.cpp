#include "core/write_header.h"

namespace vellmor {

bool WriteHeader(const TSpinCondition&, char, MessageSink&) { return false; }

}  // namespace vellmor
