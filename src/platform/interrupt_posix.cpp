#include <signal.h>

#include <atomic>

#include "platform/interrupt.h"
#include "platform/temporary_file_registry.h"

namespace volumist::platform {
namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int signal) {
  if (interrupted.exchange(true)) {
    RemoveRegisteredTemporaryFiles();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
}

}  // namespace

void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool InterruptRequested() { return interrupted.load(); }

}  // namespace volumist::platform
