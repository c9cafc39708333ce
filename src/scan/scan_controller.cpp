#include "scan/scan_controller.h"

#include "platform/thread_priority.h"
#include "scan/messages.h"
#include "scan/scan_job_rules.h"

namespace volumist {

ScanController::ScanController(platform::FileSystem& fileSystem, Prompter& prompter, DriveControl drives,
                               unsigned helperThreads)
    : fileSystem_(fileSystem), prompter_(prompter), drives_(std::move(drives)), helperThreads_(helperThreads) {
  SetStatus(messages::kStatusIdle);
}

ScanController::~ScanController() {
  if (worker_.joinable()) {
    Stop();
    worker_.join();
  }
}

void ScanController::SetStatus(const char* text) {
  std::lock_guard lock(statusMutex_);
  status_ = text;
}

std::string ScanController::StatusText() const {
  std::lock_guard lock(statusMutex_);
  return status_;
}

const ScanStatistics* ScanController::Statistics() const { return volume_ ? &volume_->Header().counters : nullptr; }

bool ScanController::PrepareJob(ScanJob& job, ScanMode mode, bool multipleSources, const VolumeCatalog* loaded) {
  job.mode = mode;
  job.multipleSources = multipleSources;
  if (mode != ScanMode::kNewVolume) {
    if (loaded == nullptr || !loaded->IsLoaded()) {
      prompter_.ShowError(messages::kLoadVolumeFirst);
      return false;
    }
    if (mode == ScanMode::kAddToVolume) {
      job.volumeFileName = loaded->VolumeFilePath();
      job.volumeName = loaded->Header().volumeName;
    } else if (mode == ScanMode::kUpdate) {
      job.volumeFileName = loaded->VolumeFilePath();
      job.volumeName = loaded->Header().volumeName;
      // The volume is rescanned with what it was scanned with, unless the user changes it.
      job.Options() = loaded->Header().scanOptions;
      // Every source is listed: one whose medium is missing is asked about before the rescan.
      TakeSourcesFromVolume(loaded->Sources(), job, [](const SourceEntry&) { return true; });
    } else {
      auto present = drives_.isMediumPresent ? drives_.isMediumPresent
                                             : std::function<bool(const SourceEntry&)>([](const SourceEntry&) { return true; });
      TakeSourcesFromVolume(loaded->Sources(), job, present);
    }
  }
  return true;
}

void ScanController::Launch(VolumeCatalog* loaded, std::function<bool()> work, FinishedCallback finished) {
  volume_ = std::make_unique<VolumeCatalog>(fileSystem_, prompter_);
  engine_ = std::make_unique<ScanEngine>(volume_->StopFlag(), drives_.describeSource, helperThreads_);
  loaded_ = loaded;
  loadedPath_.clear();
  if (loaded_ != nullptr && loaded_->IsLoaded()) {
    // The file may be the one the scan rewrites; it is reopened if the scan does not replace it.
    loadedPath_ = loaded_->VolumeFilePath();
    volume_->SetLockWait(loaded_->LockWait());
    loaded_->CloseVolume();
  }
  worker_ = std::thread([this, work = std::move(work), finished = std::move(finished)] {
    platform::LowerCurrentThreadPriority();
    if (!work()) volume_->RequestStop();
    if (finished) finished();
  });
}

void ScanController::Start(const ScanJob& job, VolumeCatalog* loaded, FinishedCallback finished) {
  job_ = job;
  rescan_.reset();
  changes_.reset();
  SetStatus(messages::kStatusScanning);
  if (!job_.drivePath.empty() && drives_.isCdDrive && drives_.isCdDrive(job_.drivePath)) {
    SetStatus(messages::kStatusInjecting);
    if (drives_.setDoor) drives_.setDoor(false, job_.drivePath);
    SetStatus(messages::kStatusScanning);
  }
  Launch(loaded, [this] {
    volume_->Header().scanOptions = job_.Options();
    switch (job_.mode) {
      case ScanMode::kNewVolume:
      case ScanMode::kNewFromVolumeSources: return volume_->CreateVolume(job_, *engine_);
      case ScanMode::kAddToVolume: return volume_->AddToVolume(job_, *engine_);
      case ScanMode::kUpdate: break;  // rescans start with StartRescan
    }
    return false;
  }, std::move(finished));
}

void ScanController::StartRescan(const RescanJob& job, VolumeCatalog* loaded, FinishedCallback finished) {
  job_ = ScanJob{};
  job_.mode = ScanMode::kUpdate;
  job_.scanAgain = false;
  rescan_ = job;
  changes_.reset();
  SetStatus(messages::kStatusRescanning);
  Launch(loaded, [this] {
    changes_ = RescanVolume(*volume_, *rescan_, *engine_);
    if (!changes_) return false;
    // The rescanned file is opened as a new scan's is; a dry run leaves the volume as it was.
    return !changes_->written || volume_->OpenVolume(rescan_->volumeFile);
  }, std::move(finished));
}

void ScanController::Stop() {
  if (volume_) volume_->RequestStop();
}

ScanController::Outcome ScanController::Finish() {
  Outcome outcome;
  if (worker_.joinable()) worker_.join();
  if (!volume_) return outcome;
  if (engine_) outcome.report = engine_->Report();
  outcome.changes = std::move(changes_);
  changes_.reset();
  // A rescan has finished once its report is made and the volume written (a stop asked for after the
  // rename comes too late to undo it); a scan, unless it was stopped.
  const bool dryRun = rescan_ && rescan_->dryRun;
  const bool done = rescan_ ? outcome.changes.has_value() && (dryRun || volume_->IsLoaded()) : !volume_->StopRequested();
  if (done && dryRun) {
    outcome.succeeded = true;
    if (loaded_ != nullptr && !loadedPath_.empty() && !loaded_->OpenVolume(loadedPath_)) loaded_->CloseVolume();
  } else if (done) {
    outcome.succeeded = true;
    if (job_.ejectAfterScan && !job_.drivePath.empty() && drives_.isCdDrive && drives_.isCdDrive(job_.drivePath)) {
      SetStatus(messages::kStatusEjecting);
      if (drives_.setDoor) drives_.setDoor(true, job_.drivePath);
    }
    outcome.volume = std::move(volume_);
    outcome.scanAgain = job_.scanAgain;
    outcome.volumeCounter = job_.mode == ScanMode::kAddToVolume ? job_.volumeCounter : outcome.volume->NextVolumeCounter();
    outcome.multipleSources = job_.multipleSources;
  } else if (loaded_ != nullptr && !loadedPath_.empty()) {
    if (!loaded_->OpenVolume(loadedPath_)) loaded_->CloseVolume();
  }
  engine_.reset();
  volume_.reset();
  rescan_.reset();
  loaded_ = nullptr;
  SetStatus(messages::kStatusIdle);
  return outcome;
}

}  // namespace volumist
