#include "vellmor/requests/command_reply.h"

namespace vellmor {

TCommandReply Refusal(const TRequestProblem& problem) {
  TCommandReply reply;
  reply.Status = problem.Kind == ProblemKind::kUsage || problem.Kind == ProblemKind::kWrongKind
                     ? ReplyStatus::kUsage
                     : ReplyStatus::kRefused;
  reply.Messages = {problem.Message};
  reply.Problem = problem;
  reply.Document = nullptr;
  return reply;
}

}  // namespace vellmor
