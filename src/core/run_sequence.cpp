#include "core/run_sequence.h"

namespace vellmor {

TRunOutcome RunSpinline(const TInputTexts&, TRunState&, MessageSink&, const TRunOptions&) { return {}; }

}  // namespace vellmor
