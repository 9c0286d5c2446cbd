#pragma once

// A locale whose decimal separator is a comma, compiled for the tests from Debian's locale
// sources into a directory of their own: nothing has to be installed system-wide, and the
// tests run the same on any machine that has localedef and the de_DE sources.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace vellmor::test {

inline constexpr const char* kCommaLocale = "de_DE.UTF-8";

// Compiles de_DE.UTF-8 under directory, to be used with LOCPATH=directory and
// LC_ALL=de_DE.UTF-8. Returns the directory, or nullopt (with the reason in why) where that
// cannot be done.
inline std::optional<std::filesystem::path> CompileCommaLocale(
    const std::filesystem::path& directory, std::string& why) {
  if (!std::filesystem::exists("/usr/share/i18n/locales/de_DE")) {
    why = "no locale sources in /usr/share/i18n (Debian package locales)";
    return std::nullopt;
  }
  std::filesystem::create_directories(directory);
  const std::filesystem::path target = directory / kCommaLocale;
  // -c: a warning about the sources must not stop the compilation.
  const std::string command =
      "localedef -c -i de_DE -f UTF-8 '" + target.string() + "'" + " >/dev/null 2>&1";
  std::system(command.c_str());
  if (!std::filesystem::exists(target / "LC_NUMERIC")) {
    why = "localedef could not compile " + std::string(kCommaLocale);
    return std::nullopt;
  }
  return directory;
}

}  // namespace vellmor::test
