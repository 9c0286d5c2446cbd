#include "core/read_inputs.h"

namespace vellmor {

bool ReadInputs(const TInputTexts&, char, TSpinCondition&, MessageSink&) { return false; }

}  // namespace vellmor
