#include "ui/presence_watcher.h"

#include <QMetaObject>

#include "platform/drive_system.h"
#include "platform/file_system.h"

namespace volumist::ui {

PresenceSource SystemPresenceSource() {
  return [](const std::vector<std::string>& volumeFiles, std::stop_token stop) {
    PresenceMap presence;
    PresenceCheck check(platform::DriveSystem::Default());
    for (const std::string& file : volumeFiles) {
      if (stop.stop_requested()) break;
      if (auto location = check.CheckVolumeFile(platform::FileSystem::Default(), file)) {
        presence[file] = location->presence;
      }
    }
    return presence;
  };
}

PresenceWatcher::PresenceWatcher(PresenceSource source, bool watchMounts, QObject* parent)
    : QObject(parent), source_(std::move(source)) {
  if (!watchMounts) return;
  mountWatch_ = platform::MountTableWatch::Open();
  if (!mountWatch_) return;
  // A mount or unmount shows as an exceptional condition (POLLPRI) on the table's descriptor.
  mountNotifier_ = new QSocketNotifier(mountWatch_->Descriptor(), QSocketNotifier::Exception, this);
  connect(mountNotifier_, &QSocketNotifier::activated, this, &PresenceWatcher::Recheck);
}

PresenceWatcher::~PresenceWatcher() {
  if (mountNotifier_) mountNotifier_->setEnabled(false);
  // Joined here, while the object still exists: an answer the worker posts meanwhile is dropped
  // with the object's pending events.
  worker_.request_stop();
  if (worker_.joinable()) worker_.join();
}

void PresenceWatcher::Refresh(std::vector<std::string> volumeFiles) {
  files_ = std::move(volumeFiles);
  Recheck();
}

void PresenceWatcher::Recheck() {
  if (worker_.joinable()) {
    pending_ = true;
    return;
  }
  StartWorker();
}

void PresenceWatcher::StartWorker() {
  pending_ = false;
  worker_ = std::jthread([this, source = source_, files = files_](std::stop_token stop) {
    PresenceMap presence = source ? source(files, stop) : PresenceMap();
    if (stop.stop_requested()) return;
    QMetaObject::invokeMethod(
        this, [this, presence = std::move(presence)]() mutable { Deliver(std::move(presence)); }, Qt::QueuedConnection);
  });
}

void PresenceWatcher::Deliver(PresenceMap presence) {
  // The worker posted this as its last step, so it ends at once.
  if (worker_.joinable()) worker_.join();
  if (pending_) {
    // Asked again meanwhile (another list, or the mounts changed): this answer is out of date.
    StartWorker();
    return;
  }
  presence_ = std::move(presence);
  emit Updated();
}

}  // namespace volumist::ui
