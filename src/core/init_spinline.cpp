#include "core/init_spinline.h"

namespace vellmor {

int ZoneEndPointFor(double, double) { return 0; }
void InitSpinline(const TSpinCondition&, TSpinlineProfile&, TTensionSearch&) {}

}  // namespace vellmor
