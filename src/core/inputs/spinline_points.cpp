#include "vellmor/inputs/spinline_points.h"

#include <climits>
#include <cmath>

namespace vellmor {

int ZoneEndPointFor(double end_position, double increment) {
  const long double points = std::nearbyint((end_position + 0.0001L) / increment);
  // A zone that ends beyond any int point number holds every point the profile can have.
  if (!(points < static_cast<long double>(INT_MAX))) return INT_MAX;
  if (points < static_cast<long double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(points) + 1;
}

}  // namespace vellmor
