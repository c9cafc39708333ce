// Keeps the presence of the listed volumes' media current for the volume list: asks on a worker
// thread whenever the list is refreshed (Refresh) and whenever the mount table changes, and hands
// the answer to the GUI thread, where Updated() announces it.
//
// One worker at a time; a Refresh while it runs is done when it ends, and the answer it was giving
// is dropped as out of date. The object lives on the GUI thread; its destructor asks the worker to stop and
// waits for it (the check of one volume is a few small reads).
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/mount_watch.h"
#include "scan/volume_presence.h"

namespace volumist::ui {

// Volume file path -> presence of its media. A file missing from the map: not known (not a
// volume, or not asked yet).
using PresenceMap = std::unordered_map<std::string, VolumePresence>;

// Answers for the listed volume files; runs on the worker thread and should return early once
// `stop` is requested.
using PresenceSource = std::function<PresenceMap(const std::vector<std::string>& volumeFiles, std::stop_token stop)>;

// The system's answer: one PresenceCheck over the mounts and every volume file's sources.
PresenceSource SystemPresenceSource();

class PresenceWatcher final : public QObject {
  Q_OBJECT

 public:
  // With `watchMounts` the mount table is watched and every change asks again.
  PresenceWatcher(PresenceSource source, bool watchMounts, QObject* parent = nullptr);
  ~PresenceWatcher() override;

  // Asks for the presence of these volume files (the list's entries) on the worker.
  void Refresh(std::vector<std::string> volumeFiles);
  // Asks again for the files of the last Refresh (after a mount or unmount).
  void Recheck();

  // The last answer.
  const PresenceMap& Presence() const { return presence_; }
  bool IsWorking() const { return worker_.joinable(); }

 signals:
  void Updated();

 private:
  void StartWorker();
  void Deliver(PresenceMap presence);

  PresenceSource source_;
  std::vector<std::string> files_;
  bool pending_ = false;  // asked again while the worker ran
  PresenceMap presence_;
  std::unique_ptr<platform::MountTableWatch> mountWatch_;
  QSocketNotifier* mountNotifier_ = nullptr;
  std::jthread worker_;
};

}  // namespace volumist::ui
