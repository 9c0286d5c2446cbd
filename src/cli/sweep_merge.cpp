#include "cli/sweep_merge.h"

#include <iostream>

#include "cli/arguments.h"
#include "cli/console_output.h"
#include "cli/exit_status.h"
#include "vellmor/requests/merge_request.h"

namespace vellmor::cli {

int RunMergeCommand(const TCommandLine& command_line, char decimal_separator) {
  RunnerReader files;
  TRequestContext context = RunnerContext(decimal_separator, command_line.Program);
  context.Reader = &files;
  auto parsed = MergeRequest::From(command_line.Values, context);
  if (const auto* problem = std::get_if<TRequestProblem>(&parsed)) {
    return Refuse(*problem, kExitUsage);
  }
  const MergeResponse response = Execute(std::get<MergeRequest>(parsed), context);
  switch (response.Ending) {
    case MergeResponse::End::kRefused:
      return Complain(response.Message, kMergeExitRefused);
    case MergeResponse::End::kUnreadable:
      return Complain(response.Message, kMergeExitNoInput);
    case MergeResponse::End::kCantWrite:
      return Complain(response.Message, kExitExportFailed);
    case MergeResponse::End::kMerged:
      break;
  }
  if (!response.MissingMessage.empty()) Complain(response.MissingMessage, 0);
  return kExitSucceeded;
}

}  // namespace vellmor::cli
