// A program of a user's own against the installed core: the converged model of a case given
// as numbers, and the classical run of the same case, both through the core's requests.
#include <cstdio>
#include <variant>

#include <vellmor/requests/run_request.h>
#include <vellmor/requests/solve_request.h>

int main() {
  const vellmor::TInputTexts texts =
      vellmor::TextsOf(vellmor::Conditions{.take_up_speed_m_min = 4500});
  vellmor::TRequestValues values;
  values.Set("take_up_speed",
             *vellmor::Conditions{.take_up_speed_m_min = 4500}.take_up_speed_m_min);
  values.Set("points", std::int64_t{0});
  const vellmor::TRequestContext context;
  const auto solve = vellmor::SolveRequest::From(values, context);
  if (const auto* problem = std::get_if<vellmor::TRequestProblem>(&solve)) {
    std::fprintf(stderr, "%s\n", problem->Message.c_str());
    return 1;
  }
  const vellmor::SolveResponse solved =
      vellmor::Execute(std::get<vellmor::SolveRequest>(solve), context);
  if (!solved.Succeeded()) return 1;

  vellmor::RunRequest run;
  run.Texts = texts;
  const vellmor::RunResponse ran =
      vellmor::Execute(run, context, {.ResultFile = vellmor::ResultFileUse::kNone});
  if (!ran.Succeeded()) return 1;
  std::printf("take-up %s m/min: %.3f dyn classical, %.3f dyn converged, freeze point %.2f cm\n",
              texts.TakeUpSpeed.c_str(), ran.Outcome.Summary.Tension,
              solved.Run.Solution->SpinneretTension, solved.Run.Numbers->Freeze->PositionCm);
  return 0;
}
