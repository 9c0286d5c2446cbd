#include "cli/reply_command.h"

#include <iostream>

#include "cli/arguments.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "vellmor/requests/command_reply.h"

namespace vellmor::cli {
namespace {

int ReplyExitStatus(ReplyStatus status) {
  switch (status) {
    case ReplyStatus::kDone:
      return kExitSucceeded;
    case ReplyStatus::kRefused:
      return kExitRefused;
    case ReplyStatus::kFailed:
      return kExitFailed;
    case ReplyStatus::kUsage:
      return kExitUsage;
    case ReplyStatus::kOutputs:
      return kExitExportFailed;
  }
  return kExitFailed;
}

}  // namespace

int RunReplyCommand(const TCommandLine& command_line, char decimal_separator) {
  RunnerReader files;
  TRequestContext context = RunnerContext(decimal_separator, command_line.Program);
  context.Reader = &files;
  const TCommandReply reply = CommandInfo(command_line.Which).Handler(command_line.Values, context);
  for (const std::string& message : reply.Messages) Complain(message, 0);
  std::ostream& out = reply.SummaryToErrors ? std::cerr : std::cout;
  out << reply.Summary;
  const std::string lost = FlushFailure(out);
  if (!lost.empty()) return Complain("can not print the summary: " + lost, kExitSummaryLost);
  return ReplyExitStatus(reply.Status);
}

}  // namespace vellmor::cli
