#pragma once

// The runner's manual page and its bash completion, generated from the same option tables
// that parse its command line, so that neither can fall behind an option. The build writes
// them (vellmor-cli --man-page, vellmor-cli --bash-completion) for the package.

#include <string>
#include <string_view>

namespace CLI {
class App;
}  // namespace CLI

namespace vellmor::cli {

// vellmor-cli(1) in roff: the single run's options, then each subcommand with its options and
// its notes, the exit statuses.
std::string ManPage(const CLI::App& app, std::string_view version);

// A bash completion script for vellmor-cli: subcommands, every option of each, card keys
// after --model-set, --fit and --vary (with the input options), file names after options
// that take one.
std::string BashCompletion(const CLI::App& app);

}  // namespace vellmor::cli
