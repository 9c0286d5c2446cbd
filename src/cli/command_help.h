#pragma once

#include <string>

#include "vellmor/requests/commands.h"

namespace vellmor::cli {

// What the command's --help prints above its options: for the runner itself its description,
// for a subcommand its line in vellmor-cli --help.
std::string Description(Command command);

// What it prints below them: what the command does in detail and its exit statuses.
std::string Footer(Command command);

}  // namespace vellmor::cli
