// ScanController: runs a scan for a front end. It prepares the job for the command the user chose,
// starts the worker thread that writes the volume, lets the front end stop it and poll its counters,
// and finishes the run: the tray of a CD drive, the written volume handed over, or the volume that was
// loaded before reopened.
//
// Drawing is the front end's. The end of the worker is reported through a callback on the worker
// thread; the front end passes it to its own thread (the window posts an event, the command line
// waits) and calls Finish there. One run at a time per controller; Start, Stop, Finish and
// PrepareJob are called from the front end's thread, Statistics too (the counters it points to carry
// their own lock); StatusText from any thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "catalog/prompter.h"
#include "catalog/scan_job.h"
#include "catalog/scan_statistics.h"
#include "catalog/volume_catalog.h"
#include "platform/file_system.h"
#include "scan/drive_info.h"
#include "scan/rescan.h"
#include "scan/scan_engine.h"

namespace volumist {

// What the controller needs of the drives (the scan's drive functions, or fakes in tests).
struct DriveControl {
  std::function<bool(const std::string& path)> isCdDrive;
  std::function<void(bool open, const std::string& path)> setDoor;
  std::function<bool(const SourceEntry& entry)> isMediumPresent;
  // Whether the medium at a recorded source's path is the one it was scanned from (before a rescan).
  // None: every source counts as present.
  std::function<SourcePresence(const SourceEntry& entry)> checkMedium;
  ScanEngine::SourceDescriber describeSource;
};

class ScanController {
 public:
  using FinishedCallback = std::function<void()>;

  struct Outcome {
    bool succeeded = false;
    std::unique_ptr<VolumeCatalog> volume;  // the written volume, open (unless it stays closed)
    bool scanAgain = false;                 // the front end starts again in mode 1
    bool multipleSources = false;
    ScanReport report;  // what the walk met: unreadable folders, mounts not entered, shrunk files
    // A rescan's report of what changed (also after a dry run, which leaves `volume` empty).
    std::optional<ChangeReport> changes;
    // The volume counter after a new volume: it moved past the job's when another scan took the
    // default name meanwhile and this one took the next free one. The front end keeps the larger.
    uint32_t volumeCounter = 0;
  };

  // `fileSystem` and `prompter` outlive the controller. `helperThreads` of the scan engine.
  ScanController(platform::FileSystem& fileSystem, Prompter& prompter, DriveControl drives,
                 unsigned helperThreads = DefaultHelperThreads());
  ~ScanController();
  ScanController(const ScanController&) = delete;
  ScanController& operator=(const ScanController&) = delete;

  // The steps before the dialog: stores the mode and the sources flag; in mode 1 takes the loaded
  // volume's file and name, in mode 3 the sources of the loaded volume whose media are present, in
  // mode 2 (the sources edited before a rescan) its file, name, options and all its sources. Modes 1
  // to 3 need a loaded volume: without one shows "Please, load some volume first." and returns false.
  [[nodiscard]] bool PrepareJob(ScanJob& job, ScanMode mode, bool multipleSources, const VolumeCatalog* loaded);

  // Starts the confirmed job: closes the tray of a CD drive ("Injecting..."), closes the loaded
  // volume's file (it may be the one rewritten), and starts the worker ("Scanning..."). `loaded` (may
  // be null) must stay alive until Finish. `finished` is called on the worker thread at its end.
  void Start(const ScanJob& job, VolumeCatalog* loaded, FinishedCallback finished);
  // Starts a rescan of `job` (scan/rescan.h, its sources checked before) the same way: the loaded
  // volume's file is closed, the worker rescans ("Rescanning..."), and Finish hands over the rescanned
  // volume, open, with the report of what changed. No CD tray moves.
  void StartRescan(const RescanJob& job, VolumeCatalog* loaded, FinishedCallback finished);
  // Asks the running scan to stop; it ends at the next entry.
  void Stop();
  bool IsRunning() const { return worker_.joinable(); }

  // The counters of the volume being written, or null between runs.
  const ScanStatistics* Statistics() const;
  std::string StatusText() const;

  // After the callback: waits for the worker, then on success opens the tray when the job asks
  // ("Ejecting...") and hands over the written volume; after a stop or a failure reopens the volume
  // that was loaded before and discards what was written. The status is "Idle." afterwards.
  Outcome Finish();

 private:
  void SetStatus(const char* text);
  // Makes the volume and the engine of a run, closes the loaded volume and starts `work` on the worker.
  void Launch(VolumeCatalog* loaded, std::function<bool()> work, FinishedCallback finished);

  platform::FileSystem& fileSystem_;
  Prompter& prompter_;
  DriveControl drives_;
  unsigned helperThreads_;
  ScanJob job_;
  std::optional<RescanJob> rescan_;  // the running rescan's job
  std::optional<ChangeReport> changes_;
  std::unique_ptr<VolumeCatalog> volume_;
  std::unique_ptr<ScanEngine> engine_;
  VolumeCatalog* loaded_ = nullptr;
  std::string loadedPath_;
  std::thread worker_;
  mutable std::mutex statusMutex_;
  std::string status_;
};

}  // namespace volumist
