#include <signal.h>

#include <atomic>

#include "platform/interrupt.h"

namespace volumist::platform {
namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int signal) {
  if (interrupted.exchange(true)) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
}

}  // namespace

void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() { return interrupted.load(); }

}  // namespace volumist::platform
