#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <ctime>
#include <iostream>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/command_help.h"
#include "cli/console_output.h"
#include "cli/doc_tables.h"
#include "cli/documentation.h"
#include "cli/exit_status.h"
#include "cli/request_options.h"

namespace vellmor::cli {
namespace {

// The runner's words of a command: "sweep merge" is two.
std::vector<std::string_view> Words(Command command) {
  std::vector<std::string_view> words;
  std::string_view name = CommandInfo(command).Name;
  while (!name.empty()) {
    const std::size_t blank = name.find(' ');
    words.push_back(name.substr(0, blank));
    name = blank == std::string_view::npos ? std::string_view() : name.substr(blank + 1);
  }
  return words;
}

// The command the arguments start with: the longest run of command words.
Command CommandOf(int argc, const char* const* argv) {
  Command found = Command::kRun;
  std::size_t longest = 0;
  for (const Command command : Commands()) {
    const std::vector<std::string_view> words = Words(command);
    if (words.empty() || words.size() <= longest || static_cast<int>(words.size()) >= argc) {
      continue;
    }
    bool matches = true;
    for (std::size_t i = 0; i < words.size(); ++i) matches = matches && argv[i + 1] == words[i];
    if (matches) {
      found = command;
      longest = words.size();
    }
  }
  return found;
}

void Configure(CLI::App& app) {
  // As GNU tools do: an option given twice takes its last value (those that gather every
  // value, --vary, --fit and --model-set, say so themselves); the subcommands inherit it.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.failure_message([](const CLI::App* failed, const CLI::Error& error) {
    return std::string(kMessagePrefix) + CLI::FailureMessage::simple(failed, error);
  });
  app.get_formatter()->column_width(36);
}

// The runner's own presentation flags of a command.
struct TPresentation {
  bool Verbose = false;
  bool Quiet = false;
};

void AddPresentation(CLI::App& app, Command command, TPresentation& presentation) {
  if (command == Command::kRun) {
    app.add_flag("-v,--verbose", presentation.Verbose,
                 "Print every pass of the tension search as it ends");
    app.add_flag("-q,--quiet", presentation.Quiet,
                 "Print no summary; messages, warnings and failures still go to standard error");
  }
  if (command == Command::kSweep) {
    app.add_flag("-q,--quiet", presentation.Quiet, "No progress line on standard error");
  }
}

// Every command as the app's subcommands, for --help, the manual page and the completion;
// the options bound to bound, the one whose words start the arguments read for real.
struct TApp {
  CLI::App App{Description(Command::kRun), "vellmor-cli"};
  std::list<BoundOptions> Bound;
  std::list<TPresentation> Presentations;
  std::vector<std::pair<Command, CLI::App*>> Subcommands;
};

void Build(TApp& tree, char decimal_separator) {
  CLI::App& app = tree.App;
  Configure(app);
  app.footer(Footer(Command::kRun));
  tree.Bound.emplace_back().Add(app, Command::kRun, decimal_separator);
  AddPresentation(app, Command::kRun, tree.Presentations.emplace_back());
  app.set_version_flag("--version", std::string("vellmor-cli ") + VELLMOR_VERSION);
  for (const Command command : Commands()) {
    const std::vector<std::string_view> words = Words(command);
    if (words.size() != 1) continue;
    CLI::App* sub =
        app.add_subcommand(std::string(words[0]), std::string(CommandInfo(command).Summary));
    sub->footer(Footer(command));
    sub->get_formatter()->column_width(36);
    tree.Bound.emplace_back().Add(*sub, command, decimal_separator);
    AddPresentation(*sub, command, tree.Presentations.emplace_back());
    tree.Subcommands.emplace_back(command, sub);
  }
}

}  // namespace

TRequestContext RunnerContext(char decimal_separator, const TProgram& program) {
  TRequestContext context;
  context.DecimalSeparator = decimal_separator;
  context.Spell = [](std::string_view key) { return OptionSpelling(key); };
  context.StandardStreams = true;
  context.Program = program;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char today[16] = "";
  if (::localtime_r(&now, &local) != nullptr)
    std::strftime(today, sizeof today, "%Y-%m-%d", &local);
  context.Today = today;
  return context;
}

TParsedCommand ParseCommandLine(int argc, const char* const* argv, char decimal_separator) {
  TCommandLine command_line;
  command_line.Program = {"vellmor-cli", VELLMOR_VERSION,
                          std::vector<std::string>(argv, argv + std::max(argc, 0))};
  const std::string_view first = argc > 1 ? std::string_view(argv[1]) : std::string_view();
  // What the build generates for the package from these tables, alone on the command line.
  if (argc == 2 && first == "--doc-tables") {
    std::cout << DocumentTables() << std::flush;
    return std::cout ? kExitSucceeded : kExitSummaryLost;
  }
  if (argc == 2 && (first == "--man-page" || first == "--bash-completion")) {
    TApp tree;
    Build(tree, decimal_separator);
    std::cout << (first == "--man-page" ? ManPage(tree.App, VELLMOR_VERSION)
                                        : BashCompletion(tree.App));
    std::cout.flush();
    return std::cout ? kExitSucceeded : kExitSummaryLost;
  }
  command_line.Which = CommandOf(argc, argv);
  const std::size_t words = Words(command_line.Which).size();
  command_line.Arguments.assign(argv + 1 + words, argv + argc);
  // The command's own app: the single run's with every subcommand, so that a subcommand
  // given after options is named; a subcommand's alone.
  TApp tree;
  CLI::App merge_app(std::string(CommandInfo(Command::kMerge).Summary), "vellmor-cli sweep merge");
  BoundOptions merge_options;
  TPresentation merge_presentation;
  CLI::App* app = &tree.App;
  BoundOptions* bound = nullptr;
  TPresentation* presentation = nullptr;
  if (command_line.Which == Command::kMerge) {
    Configure(merge_app);
    merge_app.footer(Footer(Command::kMerge));
    merge_options.Add(merge_app, Command::kMerge, decimal_separator);
    app = &merge_app;
    bound = &merge_options;
    presentation = &merge_presentation;
  } else {
    Build(tree, decimal_separator);
    bound = &tree.Bound.front();
    presentation = &tree.Presentations.front();
    auto presentation_it = std::next(tree.Presentations.begin());
    auto bound_it = std::next(tree.Bound.begin());
    for (const auto& [command, sub] : tree.Subcommands) {
      if (command == command_line.Which) {
        bound = &*bound_it;
        presentation = &*presentation_it;
      }
      ++bound_it;
      ++presentation_it;
    }
  }
  try {
    if (const std::string missing = MissingValue(argc, argv); !missing.empty()) {
      throw CLI::ArgumentMismatch(missing);
    }
    std::vector<std::string> arguments = PreparedArguments(argc, argv);
    if (command_line.Which == Command::kMerge) {
      // "vellmor-cli sweep merge" are the first three words.
      arguments.resize(arguments.size() - 2);
    }
    app->parse(arguments);
    for (const auto& [command, sub] : tree.Subcommands) {
      if (sub->parsed() && command != command_line.Which) {
        throw CLI::ArgumentMismatch(sub->get_name() + ": give it first, and its options after it");
      }
    }
  } catch (const CLI::ParseError& error) {
    // CLI11 prints the message and the pointer to --help; --help and --version end well.
    return app->exit(error) == 0 ? kExitSucceeded : kExitUsage;
  }
  command_line.Values = bound->Values();
  command_line.Verbose = presentation->Verbose;
  command_line.Quiet = presentation->Quiet;
  return command_line;
}

}  // namespace vellmor::cli
