#include "cli/documentation.h"

#include <CLI/CLI.hpp>

#include <set>
#include <sstream>
#include <vector>

#include "vellmor/inputs/input_fields.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor::cli {
namespace {

// Text as roff shows it: backslashes and hyphens escaped, a leading dot or quote kept from
// being read as a request.
std::string Roff(std::string_view text) {
  std::string out;
  bool line_start = true;
  for (const char c : text) {
    if (line_start && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
    line_start = c == '\n';
  }
  return out;
}

std::vector<const CLI::App*> Subcommands(const CLI::App& app) {
  std::vector<const CLI::App*> commands;
  for (const CLI::App* command : app.get_subcommands({})) commands.push_back(command);
  return commands;
}

// The option's names as typed: "-o, --save-file".
std::string Names(const CLI::Option& option) {
  std::string names;
  for (const std::string& name : option.get_snames()) names += (names.empty() ? "-" : ", -") + name;
  for (const std::string& name : option.get_lnames()) {
    names += (names.empty() ? "--" : ", --") + name;
  }
  return names;
}

bool TakesValue(const CLI::Option& option) { return option.get_type_size() != 0; }

void Options(std::ostringstream& out, const CLI::App& app) {
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_lnames().empty() && option->get_snames().empty()) continue;
    out << ".TP\n\\fB" << Roff(Names(*option)) << "\\fR";
    if (TakesValue(*option)) out << " \\fI" << Roff(option->get_type_name()) << "\\fR";
    out << '\n' << Roff(option->get_description());
    if (!option->get_default_str().empty()) {
      out << " (default: " << Roff(option->get_default_str()) << ")";
    }
    out << '\n';
  }
}

// A footer or description as it is printed: kept line for line.
void Preformatted(std::ostringstream& out, std::string_view text) {
  if (text.empty()) return;
  out << ".PP\n.nf\n" << Roff(text) << "\n.fi\n";
}

}  // namespace

std::string ManPage(const CLI::App& app, std::string_view version) {
  std::ostringstream out;
  out << ".TH VELLMOR\\-CLI 1 \"\" \"vellmor\\-cli " << Roff(version) << "\" \"User Commands\"\n"
      << ".SH NAME\nvellmor\\-cli \\- the steady melt\\-spinning spinline of one PET filament, "
         "from the command line\n"
      << ".SH SYNOPSIS\n.B vellmor\\-cli\n[\\fIOPTION\\fR]...\n";
  for (const CLI::App* command : Subcommands(app)) {
    out << ".br\n.B vellmor\\-cli " << Roff(command->get_name()) << "\n[\\fIOPTION\\fR]...\n";
  }
  out << ".SH DESCRIPTION\n";
  Preformatted(out, app.get_description());
  out << ".SH OPTIONS\n";
  Options(out, app);
  out << ".SH COMMANDS\n";
  for (const CLI::App* command : Subcommands(app)) {
    out << ".SS \"vellmor\\-cli " << Roff(command->get_name()) << "\"\n"
        << Roff(command->get_description()) << '\n';
    Options(out, *command);
    Preformatted(out, command->get_footer());
  }
  out << ".SH \"EXIT STATUS\"\n";
  Preformatted(out, app.get_footer());
  out << ".SH \"SEE ALSO\"\n\\fBvellmor\\fR(1); the documents in /usr/share/doc/vellmor\n";
  return out.str();
}

namespace {

// The words bash offers after a command: its options, for the runner also its subcommands.
std::string OptionWords(const CLI::App& app) {
  std::string words;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) words += " --" + name;
    for (const std::string& name : option->get_snames()) words += " -" + name;
  }
  return words.empty() ? words : words.substr(1);
}

// The options after which a file or directory name comes.
std::string FileOptions(const CLI::App& app) {
  std::set<std::string> names;
  const auto add = [&names](const CLI::App& command) {
    for (const CLI::Option* option : command.get_options()) {
      const std::string type = option->get_type_name();
      if (type.find("FILE") == std::string::npos && type.find("DIR") == std::string::npos) {
        continue;
      }
      for (const std::string& name : option->get_lnames()) names.insert("--" + name);
      for (const std::string& name : option->get_snames()) names.insert("-" + name);
    }
  };
  add(app);
  for (const CLI::App* command : Subcommands(app)) add(*command);
  std::string words;
  for (const std::string& name : names) words += (words.empty() ? "" : "|") + name;
  return words;
}

}  // namespace

std::string BashCompletion(const CLI::App& app) {
  std::string keys;
  for (const TModelKey& key : kModelKeys) keys += " " + std::string(key.Path) + "=";
  std::string varied;
  for (const TInputField& field : kInputFields) {
    if (field.Numeric()) varied += " " + std::string(field.Key) + "=";
  }
  std::ostringstream out;
  out << "# bash completion for vellmor-cli, generated from its option tables\n"
      << "_vellmor_cli() {\n"
      << "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
      << "  local command=\"${COMP_WORDS[1]}\" words\n"
      << "  local keys=\"" << keys.substr(1) << "\"\n"
      << "  case \"$prev\" in\n"
      << "    --model-set|--fit) compopt -o nospace 2>/dev/null\n"
      << "      COMPREPLY=($(compgen -W \"$keys\" -- \"$cur\")); return ;;\n"
      << "    --vary) compopt -o nospace 2>/dev/null\n"
      << "      COMPREPLY=($(compgen -W \"" << varied.substr(1) << " $keys\" -- \"$cur\")); "
      << "return ;;\n";
  if (const std::string files = FileOptions(app); !files.empty()) {
    out << "    " << files << ") COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n";
  }
  out << "  esac\n"
      << "  case \"$command\" in\n";
  std::string commands;
  for (const CLI::App* command : Subcommands(app)) {
    commands += " " + command->get_name();
    out << "    " << command->get_name() << ") words=\"" << OptionWords(*command) << "\" ;;\n";
  }
  out << "    *) words=\"" << OptionWords(app);
  out << "\"\n       [ \"$COMP_CWORD\" -eq 1 ] && words=\"" << commands.substr(1)
      << " $words\" ;;\n"
      << "  esac\n"
      << "  COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
      << "}\n"
      << "complete -F _vellmor_cli vellmor-cli\n";
  return out.str();
}

}  // namespace vellmor::cli
