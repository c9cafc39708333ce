// The temporary files this process has on disk, so that a signal that ends the process can remove
// them first. A front end calls RemoveTemporaryFilesOnSignals once at start (the command line does;
// the window program hooks RemoveRegisteredTemporaryFiles into its own handling), and every
// temporary file registers itself (platform/temporary_file.h does that) before it is created.
//
// Thread-safe. The table has a fixed number of slots; a file registered while every slot is taken
// (or whose path is too long) is not removed on a signal, only by the next sweep of its folder.
#pragma once

#include <string_view>

namespace volumist::platform {

// Holds one registration: from construction (before the file is created) until Release or the
// destructor (after the file was removed or renamed into place).
class TemporaryFileRegistration {
 public:
  TemporaryFileRegistration() = default;
  explicit TemporaryFileRegistration(std::string_view path);
  ~TemporaryFileRegistration() { Release(); }
  TemporaryFileRegistration(TemporaryFileRegistration&& other) noexcept : slot_(other.slot_) { other.slot_ = -1; }
  TemporaryFileRegistration& operator=(TemporaryFileRegistration&& other) noexcept;
  TemporaryFileRegistration(const TemporaryFileRegistration&) = delete;
  TemporaryFileRegistration& operator=(const TemporaryFileRegistration&) = delete;

  void Release();
  bool IsRegistered() const { return slot_ >= 0; }

 private:
  int slot_ = -1;
};

// Removes every registered file. Async-signal-safe: for signal handlers.
void RemoveRegisteredTemporaryFiles() noexcept;

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the registered files and then end
// the process as the signal would have (the exit status shows the signal).
void RemoveTemporaryFilesOnSignals();

// The number of live registrations (for tests).
int RegisteredTemporaryFileCount();

}  // namespace volumist::platform
