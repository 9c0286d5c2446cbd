#pragma once

// The runner's options of a command, made from the core's tables of input fields and
// parameters: each key becomes "--key-with-dashes" (a switch "--no-key"), bound to the text
// typed; once parsed, what was given goes to the core as the request's values, untouched.

#include <list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vellmor/requests/commands.h"
#include "vellmor/requests/request_values.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace vellmor::cli {

// "--take-up-speed" for take_up_speed, "--no-profile" for the switch profile.
std::string OptionSpelling(std::string_view key);

// The texts CLI11 fills for one command's options; they must outlive the parse.
class BoundOptions {
 public:
  // Adds the command's input fields and parameters to app. The input fields show the window's
  // default texts (with decimal_separator); save_file is added to a command that writes no
  // result file too, hidden, so that the core can say why it is refused.
  void Add(CLI::App& app, Command command, char decimal_separator);

  // The values given on the command line, in the table's order.
  TRequestValues Values() const;

 private:
  struct TBound {
    std::string_view Key;
    const CLI::Option* Option = nullptr;
    bool Switch = false;  // given: off
    bool IsFlag = false;
    bool Flag = false;  // what CLI11 sets; the value is that it was given
    std::string Text;
    std::vector<std::string> Texts;
    bool Repeated = false;
  };
  std::list<TBound> bound_;  // stable addresses for CLI11
};

}  // namespace vellmor::cli
