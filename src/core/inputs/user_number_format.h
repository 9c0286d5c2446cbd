#pragma once

namespace vellmor {

// The decimal separator of the user's number format (LC_NUMERIC of the environment), read
// without changing the process's locale; a point when it is not a single byte.
char UserDecimalSeparator();

}  // namespace vellmor
