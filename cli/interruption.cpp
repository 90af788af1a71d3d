#include "cli/interruption.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <thread>

#include "cli/render_options.h"

namespace {

std::atomic<bool> interrupted{false};

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

}  // namespace

void StopOnInterrupt() {
  // No handler interrupts any thread: the signals are blocked in every thread (new threads
  // inherit it) and one thread waits for them. The others look at the flag between blocks.
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([signals] {
    int signal = 0;
    sigwait(&signals, &signal);
    interrupted = true;
    // A second Ctrl-C when the first is not enough: out at once.
    sigwait(&signals, &signal);
    _exit(kExitInterrupted);
  }).detach();
}

bool Interrupted() { return interrupted; }
