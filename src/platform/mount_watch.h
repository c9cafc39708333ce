// A descriptor that tells when the mount table changes: poll() on it reports POLLPRI and POLLERR
// once after each mount or unmount in the process's mount namespace (and the poll itself takes the
// change as seen). Event loops watch it for "exceptional" conditions.
#pragma once

#include <memory>

namespace volumist::platform {

class MountTableWatch {
 public:
  virtual ~MountTableWatch() = default;  // closes the descriptor
  virtual int Descriptor() const = 0;

  // Opens the process's mount table for watching; nullptr when it cannot be opened.
  static std::unique_ptr<MountTableWatch> Open();
};

}  // namespace volumist::platform
