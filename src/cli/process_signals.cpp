#include "cli/process_signals.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <csignal>

namespace vellmor::cli {
namespace {

constexpr std::array<int, 8> kStopSignals{SIGINT,  SIGTERM, SIGHUP,  SIGALRM,
                                          SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM};

// Set by the handler of the stop signals; the sweep polls it between cases. A signal handler
// can reach nothing else, so this is the one variable of the program outside any object.
volatile std::sig_atomic_t stop_signal = 0;

extern "C" void OnStopSignal(int signal_number) { stop_signal = signal_number; }

void Ignore(int signal_number) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(signal_number, &ignore, nullptr);
}

}  // namespace

sigset_t StopSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal_number : kStopSignals) sigaddset(&set, signal_number);
  return set;
}

void PrepareProcess() {
  Ignore(SIGPIPE);
  Ignore(SIGXFSZ);
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0) continue;
    // A path descriptor of the root directory can neither be read nor written: EBADF.
    const int placeholder = ::open("/", O_PATH | O_CLOEXEC);
    if (placeholder >= 0 && placeholder != fd) {
      ::dup2(placeholder, fd);
      ::close(placeholder);
    }
  }
}

DeferredStopSignals::DeferredStopSignals() {
  const sigset_t set = StopSignalSet();
  pthread_sigmask(SIG_BLOCK, &set, &old_mask_);
}

DeferredStopSignals::~DeferredStopSignals() { pthread_sigmask(SIG_SETMASK, &old_mask_, nullptr); }

StopSignals::StopSignals() {
  stop_signal = 0;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Once: a second signal ends the sweep at once, even while a write waits on a reader that
  // stopped reading.
  action.sa_flags = SA_RESETHAND;
  for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
    sigaction(kStopSignals[i], nullptr, &old_[i]);
    // A signal the caller ignores (nohup, a background job's SIGINT) stays ignored.
    if (old_[i].sa_handler == SIG_IGN) continue;
    sigaction(kStopSignals[i], &action, nullptr);
  }
}

StopSignals::~StopSignals() {
  for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
    sigaction(kStopSignals[i], &old_[i], nullptr);
  }
}

bool StopSignals::Raised() { return stop_signal != 0; }

}  // namespace vellmor::cli
