#include <fcntl.h>
#include <unistd.h>

#include "platform/mount_watch.h"

namespace volumist::platform {
namespace {

class LinuxMountTableWatch final : public MountTableWatch {
 public:
  explicit LinuxMountTableWatch(int descriptor) : descriptor_(descriptor) {}
  ~LinuxMountTableWatch() override { ::close(descriptor_); }
  LinuxMountTableWatch(const LinuxMountTableWatch&) = delete;
  LinuxMountTableWatch& operator=(const LinuxMountTableWatch&) = delete;
  int Descriptor() const override { return descriptor_; }

 private:
  int descriptor_;
};

}  // namespace

std::unique_ptr<MountTableWatch> MountTableWatch::Open() {
  // The kernel signals a change of the namespace's mounts on any open mountinfo file; nothing has
  // to be read from it.
  const int descriptor = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  return std::make_unique<LinuxMountTableWatch>(descriptor);
}

}  // namespace volumist::platform
