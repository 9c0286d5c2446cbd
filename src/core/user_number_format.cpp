#include "core/user_number_format.h"

namespace vellmor {

char UserDecimalSeparator() { return '.'; }

}  // namespace vellmor
