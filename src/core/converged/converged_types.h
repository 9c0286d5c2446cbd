#pragma once

// What the converged model's solution and its passes both tell: the error control asked of the
// integration and the largest strain rate found.

namespace vellmor {

// Error control of the adaptive integration: a step is accepted when every controlled
// component's error estimate is within Absolute × its scale + Relative × (|y| + |h y'|).
struct TIntegrationTolerance {
  double Relative = 1e-8;
  double Absolute = 1e-8;  // V, F and T are all well above 1 in their units
};

// The largest strain rate dV/dx of a pass and where it is (cm).
struct TStrainRatePeak {
  double Rate = 0.0;  // 1/s
  double X = 0.0;
};

}  // namespace vellmor
