#pragma once

#include <signal.h>

namespace vellmor::cli {

// The signals that ask a process to end and that a batch system or a terminal sends: SIGINT,
// SIGTERM, SIGHUP (a closed terminal, as SIGTERM), SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU,
// SIGVTALRM. SIGQUIT keeps its core dump and SIGKILL cannot be caught.
sigset_t StopSignalSet();

// For the whole program: a closed pipe or a file grown past its limit is a write error the
// runner reports (EPIPE, EFBIG) instead of a silent death by SIGPIPE or SIGXFSZ; and a
// standard descriptor the caller left closed (">&-") is held by a descriptor that refuses
// every read and write, so that no file the runner opens can take its number and receive what
// was meant for standard output.
void PrepareProcess();

// While alive, the stop signals wait: a single run finishes and puts its files in place whole,
// then the signal ends the process as it would have. A run takes milliseconds.
class DeferredStopSignals {
 public:
  DeferredStopSignals();
  ~DeferredStopSignals();
  DeferredStopSignals(const DeferredStopSignals&) = delete;
  DeferredStopSignals& operator=(const DeferredStopSignals&) = delete;

 private:
  sigset_t old_mask_{};
};

// While alive, the stop signals ask a sweep to stop: no new case starts, the running ones
// finish, and the summary keeps the cases finished.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  static bool Raised();

 private:
  struct sigaction old_[16]{};
};

}  // namespace vellmor::cli
