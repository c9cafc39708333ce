#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "platform/temporary_file_registry.h"

namespace volumist::platform {
namespace {

constexpr int kSlotCount = 64;
constexpr size_t kMaxPathLength = 4095;

enum SlotState : int { kFree = 0, kFilling = 1, kLive = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  char path[kMaxPathLength + 1];
};

// Static storage: a signal handler may read it at any moment, also during exit.
Slot slots[kSlotCount];

static_assert(std::atomic<int>::is_always_lock_free, "signal handlers need lock-free atomics");

extern "C" void RemoveAndEnd(int signal) {
  RemoveRegisteredTemporaryFiles();
  // SA_RESETHAND restored the default action; the signal is blocked until the handler returns,
  // and then ends the process.
  ::raise(signal);
}

}  // namespace

TemporaryFileRegistration::TemporaryFileRegistration(std::string_view path) {
  if (path.size() > kMaxPathLength) return;
  for (int i = 0; i < kSlotCount; ++i) {
    int expected = kFree;
    if (!slots[i].state.compare_exchange_strong(expected, kFilling, std::memory_order_acquire)) continue;
    std::memcpy(slots[i].path, path.data(), path.size());
    slots[i].path[path.size()] = '\0';
    slots[i].state.store(kLive, std::memory_order_release);
    slot_ = i;
    return;
  }
}

TemporaryFileRegistration& TemporaryFileRegistration::operator=(TemporaryFileRegistration&& other) noexcept {
  if (this != &other) {
    Release();
    slot_ = other.slot_;
    other.slot_ = -1;
  }
  return *this;
}

void TemporaryFileRegistration::Release() {
  if (slot_ < 0) return;
  slots[slot_].state.store(kFree, std::memory_order_release);
  slot_ = -1;
}

void RemoveRegisteredTemporaryFiles() noexcept {
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) == kLive) ::unlink(slot.path);
  }
}

void RemoveTemporaryFilesOnSignals() {
  struct sigaction action {};
  action.sa_handler = RemoveAndEnd;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

int RegisteredTemporaryFileCount() {
  int count = 0;
  for (const Slot& slot : slots) count += slot.state.load(std::memory_order_acquire) == kLive ? 1 : 0;
  return count;
}

}  // namespace volumist::platform
