#pragma once

// The commands of Vellmor, each with the inputs and parameters it takes: the one table the
// runner's subcommands, Python's functions and their documents are made from.

#include <span>
#include <string_view>

#include "vellmor/requests/parameters.h"

namespace vellmor {

struct TCommandReply;
class TRequestValues;
struct TRequestContext;

// A command's whole request, from its values to its reply (command_reply.h).
using CommandHandler = TCommandReply (*)(const TRequestValues& values,
                                         const TRequestContext& context);

// Which input fields of the window a command takes.
enum class CommandInputs {
  kAll,      // every field, the result file's name included (the classical run)
  kNumeric,  // the numbers alone: the command writes no result file of the case
  kNone,
};

struct TCommandParameter {
  std::string_view Key;
  bool Required = false;
};

struct TCommand {
  std::string_view Name;     // the runner's words: "" for the single run, "sweep merge"
  std::string_view Summary;  // one line
  CommandInputs Inputs = CommandInputs::kNone;
  std::span<const TCommandParameter> Parameters;
  // Why a command of the numeric inputs takes no result file's name ({key}: a parameter).
  std::string_view NoResultFile = {};
  // A command that answers with a reply alone (command_reply.h): its handler, which every
  // front end calls as it is; null for the commands with front-end code of their own.
  CommandHandler Handler = nullptr;
};

// In the order of the runner's help.
enum class Command { kRun, kSweep, kSolve, kModel, kFit, kMerge, kStability, kBundle };

// The command's row.
const TCommand& CommandInfo(Command command);

// Every command, the single run first.
std::span<const Command> Commands();

// Whether the command takes the parameter (an input field by its key, or a parameter).
bool Takes(const TCommand& command, std::string_view key);

}  // namespace vellmor
