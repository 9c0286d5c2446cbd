#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vellmor/analysis/process_numbers.h"
#include "vellmor/base/message_sink.h"
#include "vellmor/base/output_file.h"
#include "vellmor/base/run_error.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/solver/calculate_spinline.h"
#include "vellmor/solver/run_state.h"

namespace vellmor {

class ResultLines;

enum class RunStatus {
  kSucceeded,  // the result file holds header and table
  kRefused,    // inputs or result file refused; no file was touched
  kFailed,     // calculation or writing failed after the header was written
};

// Why a run did not succeed, so that no caller has to read its message to know.
enum class RunFailureKind {
  kNone,
  kInputRefused,       // a text is not a number or a value failed its check
  kResultFileRefused,  // the result file could not be opened, or its name is too long
  kCalculation,        // the numerics gave up: TRunOutcome::Fault says why
  kWriteFailed,        // the result file could not be written or put in place
};

// "succeeded", "refused" or "failed", as the exports and the sweep's summary name a status.
std::string_view StatusName(RunStatus status);

// "none", "input", "result_file", "calculation" or "write", as scripts name a failure.
std::string_view FailureName(RunFailureKind kind);

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
  RunFailureKind Failure = RunFailureKind::kNone;
  std::optional<CalculationFault> Fault;  // with RunFailureKind::kCalculation
  // With it, where known: the position along the line (cm) and the pass of the tension search.
  std::optional<double> FaultPositionCm;
  std::optional<int> FaultPass;
  // With kResultFileRefused and kWriteFailed: the name and the system's reason, as
  // "result.txt: Permission denied", for a front end to add to the run's own message.
  std::string FileProblem;
  TRunSummary Summary;              // filled on success
  std::vector<TPassRecord> Passes;  // every pass made, in order
  // What the converged profile means for the fibre; filled on success.
  std::optional<TProcessNumbers> Numbers;
  // What the user should know of a run that succeeded: the quench air's hyperbola with its
  // pole on the line (AirPoleWarning). Empty otherwise.
  std::vector<std::string> Warnings;
};

// What becomes of the result file.
enum class ResultFileUse {
  kWrite,           // as the window writes it: after a calculation failure, the header alone
  kWriteOnSuccess,  // only a whole file reaches the name; a failed run leaves it as it was
  kNone,            // no file at all: the save file name is checked but never opened
  // The file's lines into TRunOptions::Memory instead, exactly as kWrite would leave them in
  // the file (a failed run's header included); the save file name is checked, never opened.
  kMemory,
};

struct TRunOptions {
  char DecimalSeparator = '.';       // of input texts and report numbers
  PassObserver* Observer = nullptr;  // told of each pass as it happens
  int MaxPasses = kMaxPasses;
  ResultFileUse ResultFile = ResultFileUse::kWrite;
  TOutputOptions Output;          // how the result file's name is opened
  ResultLines* Memory = nullptr;  // with ResultFileUse::kMemory
};

// The calculation of the condition in state (read and checked already), without any file:
// the tension search, and on success the summary, the process numbers and the warnings; the
// converged profile stays in state. A calculation that gives up is kFailed with its
// CalculationFault, after its one message to sink. options.ResultFile and Output play no part.
TRunOutcome SolveSpinline(TRunState& state, MessageSink& sink, const TRunOptions& options = {});

// The same for a condition of the caller's: the outcome, the one message of a failure, and the
// state that holds the profile.
struct TSpinlineSolution {
  TRunOutcome Outcome;
  std::string Message;
  std::unique_ptr<TRunState> State;
};
TSpinlineSolution SolveSpinline(const TSpinCondition& condition, const TRunOptions& options = {});

// One whole run from the input texts to the finished result file: ReadInputs, the result
// file opened and its header written, SolveSpinline, WriteResults, the file put in place: the
// file is one consumer of the solution. Every failure ends the run after exactly one message
// to sink. Until the file is put in place the name keeps what it had: a failed write leaves
// it so.
TRunOutcome RunSpinline(const TInputTexts& texts, TRunState& state, MessageSink& sink,
                        const TRunOptions& options = {});

}  // namespace vellmor
