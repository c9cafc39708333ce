#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/thread_priority.h"

namespace volumist::platform {

void LowerCurrentThreadPriority() {
  // On Linux a nice value applies to the thread whose id is given.
  pid_t thread = static_cast<pid_t>(::syscall(SYS_gettid));
  int current = ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(thread), current + 5);
}

}  // namespace volumist::platform
