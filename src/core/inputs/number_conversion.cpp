// Reading a number typed into an input field, in the grammar of SplitNumberText
// (base/number_text.h) with the user's decimal separator. The field is rewritten as a plain ASCII
// number with a point and converted with the "C" locale, so the locale the window sets for the
// whole process never changes what a field means.

#include "vellmor/inputs/number_conversion.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <cfenv>
#include <cmath>
#include <new>
#include <string>

#include "vellmor/base/number_text.h"

namespace vellmor {
namespace {

// Restores the floating-point exception flags and errno on leaving the scope: a conversion
// that overflows must not leave a flag behind for the next fault check of a run.
class FloatingPointStateGuard {
 public:
  FloatingPointStateGuard() : saved_errno_(errno) {
    std::fegetexceptflag(&saved_flags_, FE_ALL_EXCEPT);
  }
  ~FloatingPointStateGuard() {
    std::fesetexceptflag(&saved_flags_, FE_ALL_EXCEPT);
    errno = saved_errno_;
  }
  FloatingPointStateGuard(const FloatingPointStateGuard&) = delete;
  FloatingPointStateGuard& operator=(const FloatingPointStateGuard&) = delete;

 private:
  std::fexcept_t saved_flags_;
  int saved_errno_;
};

// The field rewritten as sign, digits, point, digits, "e", sign, digits; empty when the field
// does not have the accepted form.
std::string CanonicalNumber(std::string_view text, char decimal_separator) {
  const std::optional<TNumberParts> parts = SplitNumberText(text, decimal_separator);
  if (!parts) return {};
  std::string canonical = parts->Negative ? "-" : "";
  canonical += parts->Whole;
  canonical += '.';
  canonical += parts->Fraction;
  if (!parts->Exponent.empty()) {
    canonical += parts->NegativeExponent ? "e-" : "e";
    canonical += parts->Exponent;
  }
  return canonical;
}

locale_t ClassicNumericLocale() {
  static const locale_t classic = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
  // The "C" locale is built into the C library; failing to get it means memory ran out.
  if (classic == static_cast<locale_t>(0)) throw std::bad_alloc();
  return classic;
}

}  // namespace

std::optional<double> ConvertNumber(std::string_view text, char decimal_separator) {
  const std::string canonical = CanonicalNumber(text, decimal_separator);
  if (canonical.empty()) return std::nullopt;

  const FloatingPointStateGuard guard;
  char* parsed_end = nullptr;
  // Correctly rounded to the 64-bit significand of the x87 extended format, whatever the
  // number of digits.
  const long double extended = strtold_l(canonical.c_str(), &parsed_end, ClassicNumericLocale());
  if (parsed_end != canonical.c_str() + canonical.size()) return std::nullopt;
  // Rounded once more when stored: beyond the largest double it overflows to infinity (a
  // failed field); below the smallest it becomes a denormal or zero, which is a number.
  const double stored = static_cast<double>(extended);
  if (!std::isfinite(stored)) return std::nullopt;
  return stored;
}

}  // namespace vellmor
