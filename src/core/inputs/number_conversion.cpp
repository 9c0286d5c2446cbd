// Reading a number typed into an input field.
//
//   field    = blank* [sign] mantissa [exponent] blank*
//   mantissa = digit+ [separator digit*] | separator digit+
//   exponent = ("E" | "e") [sign] digit+
//
// blank is the ordinary space only, sign "+" or "-", digit the ASCII digits 0 to 9, separator
// the user's decimal separator. The field is rewritten as a plain ASCII number with a point
// and converted with the "C" locale, so the locale the window sets for the whole process never
// changes what a field means.

#include "core/inputs/number_conversion.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <cfenv>
#include <cmath>
#include <new>
#include <string>

namespace vellmor {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSign(char c) { return c == '+' || c == '-'; }

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

// Appends the run of digits starting at pos to canonical; returns the position after it.
std::size_t CopyDigits(std::string_view text, std::size_t pos, std::string& canonical) {
  const std::size_t start = pos;
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  canonical.append(text.substr(start, pos - start));
  return pos;
}

// The field rewritten as sign, digits, point, digits, "e", sign, digits; empty when the field
// does not have the accepted form.
std::string CanonicalNumber(std::string_view text, char decimal_separator) {
  std::size_t pos = 0;
  std::size_t end = text.size();
  while (pos < end && text[pos] == ' ') ++pos;
  while (end > pos && text[end - 1] == ' ') --end;
  text = text.substr(0, end);

  std::string canonical;
  canonical.reserve(text.size() - pos + 2);
  if (pos < text.size() && IsSign(text[pos])) canonical.push_back(text[pos++]);

  std::size_t digits_start = pos;
  pos = CopyDigits(text, pos, canonical);
  std::size_t mantissa_digits = pos - digits_start;
  if (pos < text.size() && text[pos] == decimal_separator) {
    canonical.push_back('.');
    digits_start = ++pos;
    pos = CopyDigits(text, pos, canonical);
    mantissa_digits += pos - digits_start;
  }
  if (mantissa_digits == 0) return {};

  if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
    canonical.push_back('e');
    ++pos;
    if (pos < text.size() && IsSign(text[pos])) canonical.push_back(text[pos++]);
    digits_start = pos;
    pos = CopyDigits(text, pos, canonical);
    if (pos == digits_start) return {};
  }
  if (pos != text.size()) return {};
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
