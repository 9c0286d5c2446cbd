#include "core/march_spinline.h"

namespace vellmor {

TPassEnd MarchSpinline(const TSpinCondition&, TSpinlineProfile&, const TTensionSearch&) { return {}; }

}  // namespace vellmor
