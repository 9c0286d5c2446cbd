#include "core/pet_properties.h"

namespace vellmor {

TPetProperties PetProperties(double, double) { return {}; }
double DieSwell(double, double, double) { return 0; }

}  // namespace vellmor
