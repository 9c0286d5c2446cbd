#include "core/spin_derivatives.h"

namespace vellmor {

TStateVector SpinDerivatives(TStateVector y, double, const TStepCoefficients&, double) { return y; }

}  // namespace vellmor
