// Ten lines against the installed core: the default case's spinneret tension and freeze point.
#include <cstdio>

#include "vellmor/inputs/input_texts.h"
#include "vellmor/run/run_sequence.h"

int main() {
  vellmor::TRunState state;
  struct : vellmor::MessageSink {
    void ShowMessage(std::string_view m) override {
      std::fprintf(stderr, "%.*s\n", int(m.size()), m.data());
    }
  } sink;
  vellmor::TRunOptions options;
  options.ResultFile = vellmor::ResultFileUse::kNone;
  const auto outcome = vellmor::RunSpinline(vellmor::DefaultInputTexts('.'), state, sink, options);
  if (outcome.Status != vellmor::RunStatus::kSucceeded) return 1;
  std::printf("%.3f dyn, freeze point %.2f cm\n", outcome.Summary.Tension,
              outcome.Numbers->Freeze->PositionCm);
  return 0;
}
