#include "cli/request_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>

#include "vellmor/inputs/input_fields.h"
#include "vellmor/requests/parameters.h"

namespace vellmor::cli {

std::string OptionSpelling(std::string_view key) {
  std::string option(key);
  std::replace(option.begin(), option.end(), '_', '-');
  const TParameter* parameter = FindParameter(key);
  if (parameter != nullptr && parameter->Kind == ParameterKind::kSwitch) option = "no-" + option;
  return "--" + option;
}

void BoundOptions::Add(CLI::App& app, Command command, char decimal_separator) {
  const TCommand& info = CommandInfo(command);
  const TInputTexts defaults = DefaultInputTexts(decimal_separator);
  if (info.Inputs != CommandInputs::kNone) {
    for (const TInputField& field : kInputFields) {
      const bool save_file = !field.Numeric();
      TBound& bound = bound_.emplace_back();
      bound.Key = field.Key;
      bound.Text = defaults.*field.Text;
      // The result file is the one option scripts give most: it has a short name too.
      const std::string names = (save_file ? "-o," : "") + OptionSpelling(field.Key);
      CLI::Option* option = app.add_option(names, bound.Text, std::string(field.Description));
      if (save_file && info.Inputs == CommandInputs::kNumeric) {
        option->group("");
      } else {
        option->capture_default_str();
      }
      bound.Option = option;
    }
  }
  for (const TCommandParameter& entry : info.Parameters) {
    const TParameter& parameter = *FindParameter(entry.Key);
    TBound& bound = bound_.emplace_back();
    bound.Key = parameter.Key;
    std::string names = OptionSpelling(parameter.Key);
    if (parameter.Positional) names = std::string(parameter.Key);
    if (parameter.Short != 0) names = std::string("-") + parameter.Short + "," + names;
    std::string help(parameter.Help);
    // A switch's help says what it is; its option turns it off.
    if (parameter.Kind == ParameterKind::kSwitch && !help.empty()) {
      help[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(help[0])));
      help = "Without " + help;
    }
    CLI::Option* option = nullptr;
    switch (parameter.Kind) {
      case ParameterKind::kFlag:
      case ParameterKind::kSwitch:
        bound.Switch = parameter.Kind == ParameterKind::kSwitch;
        bound.IsFlag = true;
        option = app.add_flag(names, bound.Flag, help);
        break;
      case ParameterKind::kTexts:
      case ParameterKind::kInputFiles:
        bound.Repeated = true;
        option = app.add_option(names, bound.Texts, help)
                     ->expected(parameter.Positional ? -1 : 1)
                     ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        break;
      default:
        option = app.add_option(names, bound.Text, help);
        if (!parameter.Default.empty()) option->default_str(std::string(parameter.Default));
        break;
    }
    if (!parameter.TypeName.empty()) option->type_name(std::string(parameter.TypeName));
    // Said by the core when missing, as for every front end; the help names it.
    if (entry.Required) option->description(help + " (required)");
    bound.Option = option;
  }
}

TRequestValues BoundOptions::Values() const {
  TRequestValues values;
  for (const TBound& bound : bound_) {
    if (bound.Option->count() == 0) continue;
    if (bound.Switch) {
      values.Set(bound.Key, false);
    } else if (bound.IsFlag) {
      values.Set(bound.Key, true);
    } else if (bound.Repeated) {
      values.Set(bound.Key, bound.Texts);
    } else {
      values.Set(bound.Key, bound.Text);
    }
  }
  return values;
}

}  // namespace vellmor::cli
