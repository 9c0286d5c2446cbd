#include "core/write_results.h"

namespace vellmor {

TResultRow MakeResultRow(const TSpinCondition&, TSpinlineProfile&, int) { return {}; }
std::string FormatResultRow(const TResultRow&, char) { return {}; }
bool WriteResults(const TSpinCondition&, TSpinlineProfile&, char, MessageSink&) { return false; }

}  // namespace vellmor
