#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vellmor/requests/request_values.h"

namespace vellmor::cli {

// Whether argument is an option of the runner rather than a value: a long option, or one of
// the short ones. A negative number ("-32.5") is a value.
bool IsOption(std::string_view argument);

// An option that takes a value (an input field, a parameter with a value, -o, -j) directly
// followed by another option has lost its value; CLI11 would take the next option as the
// text. The message for the first such option, or "".
std::string MissingValue(int argc, const char* const* argv);

// The arguments after the program name in the reversed order CLI11 consumes them. An empty
// value attached with "=" ("--hole-diameter=") would make CLI11 take the next argument as the
// value instead, so it is passed as a separate empty argument; a separate value, even one that
// starts with "-" ("--zone1-a2 -32.5"), is always taken as it stands.
std::vector<std::string> PreparedArguments(int argc, const char* const* argv);

// The files a request of the runner reads: "-" is standard input.
class RunnerReader : public SourceReader {
 public:
  std::optional<TBoundedText> Read(const std::string& name, const TTextBounds& bounds) override;
};

}  // namespace vellmor::cli
