#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/process_numbers.h"
#include "core/inputs/input_texts.h"
#include "core/run/message_sink.h"
#include "core/solver/calculate_spinline.h"
#include "core/solver/run_state.h"

namespace vellmor {

enum class RunStatus {
  kSucceeded,  // the result file holds header and table
  kRefused,    // inputs or result file refused; no file was touched
  kFailed,     // calculation or writing failed after the header was written
};

// "succeeded", "refused" or "failed", as the exports and the sweep's summary name a status.
std::string_view StatusName(RunStatus status);

// What a successful run found, for the front end's summary.
struct TRunSummary {
  int Passes = 0;                 // marches made
  double Tension = 0.0;           // spinneret tension of the accepted pass (dyn)
  double FinalVelocity = 0.0;     // at the take-up end (cm/s)
  double TakeUpVelocity = 0.0;    // (cm/s)
  double FinalDiameter = 0.0;     // (cm)
  double FinalTemperature = 0.0;  // (°C)
  std::string SaveFileName;       // the file written, as typed
};

struct TRunOutcome {
  RunStatus Status = RunStatus::kRefused;
  TRunSummary Summary;              // filled on success
  std::vector<TPassRecord> Passes;  // every pass made, in order
  // What the converged profile means for the fibre; filled on success.
  std::optional<TProcessNumbers> Numbers;
};

struct TRunOptions {
  char DecimalSeparator = '.';       // of input texts and report numbers
  PassObserver* Observer = nullptr;  // told of each pass as it happens
  int MaxPasses = kMaxPasses;
};

// One whole run from the input texts to the finished result file: ReadInputs (with the
// header), the calculation, WriteResults. Every failure ends the run after exactly one
// message to sink.
TRunOutcome RunSpinline(const TInputTexts& texts, TRunState& state, MessageSink& sink,
                        const TRunOptions& options = {});

}  // namespace vellmor
