#include "vellmor/inputs/user_number_format.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>

namespace vellmor {

char UserDecimalSeparator() {
  // A locale object of its own, built from LC_ALL, LC_NUMERIC or LANG as the user set them,
  // so the process's locale stays as it is.
  const locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return '.';
  const char* radix = nl_langinfo_l(RADIXCHAR, user);
  // A separator of several bytes (a UTF-8 character outside ASCII) cannot be typed as one
  // character of a field; the point is used instead.
  const char separator = (radix != nullptr && std::strlen(radix) == 1) ? radix[0] : '.';
  freelocale(user);
  return separator;
}

}  // namespace vellmor
