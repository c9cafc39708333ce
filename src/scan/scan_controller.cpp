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
  if (mode == ScanMode::kAddToVolume || mode == ScanMode::kNewFromVolumeSources) {
    if (loaded == nullptr || !loaded->IsLoaded()) {
      prompter_.ShowError(messages::kLoadVolumeFirst);
      return false;
    }
    if (mode == ScanMode::kAddToVolume) {
      job.volumeFileName = loaded->VolumeFilePath();
      job.volumeName = loaded->Header().volumeName;
    } else {
      auto present = drives_.isMediumPresent ? drives_.isMediumPresent
                                             : std::function<bool(const SourceEntry&)>([](const SourceEntry&) { return true; });
      TakeSourcesFromVolume(loaded->Sources(), job, present);
    }
  }
  return true;
}

void ScanController::Start(const ScanJob& job, VolumeCatalog* loaded, FinishedCallback finished) {
  job_ = job;
  volume_ = std::make_unique<VolumeCatalog>(fileSystem_, prompter_);
  volume_->Header().scanOptions = job_.Options();
  engine_ = std::make_unique<ScanEngine>(volume_->StopFlag(), drives_.describeSource, helperThreads_);
  SetStatus(messages::kStatusScanning);
  if (!job_.drivePath.empty() && drives_.isCdDrive && drives_.isCdDrive(job_.drivePath)) {
    SetStatus(messages::kStatusInjecting);
    if (drives_.setDoor) drives_.setDoor(false, job_.drivePath);
    SetStatus(messages::kStatusScanning);
  }
  loaded_ = loaded;
  loadedPath_.clear();
  if (loaded_ != nullptr && loaded_->IsLoaded()) {
    // The file may be the one the scan rewrites; it is reopened if the scan does not replace it.
    loadedPath_ = loaded_->VolumeFilePath();
    loaded_->CloseVolume();
  }
  worker_ = std::thread([this, finished = std::move(finished)] {
    platform::LowerCurrentThreadPriority();
    bool ok = false;
    switch (job_.mode) {
      case ScanMode::kNewVolume:
      case ScanMode::kNewFromVolumeSources: ok = volume_->CreateVolume(job_, *engine_); break;
      case ScanMode::kAddToVolume: ok = volume_->AddToVolume(job_, *engine_); break;
      case ScanMode::kUpdate: break;
    }
    if (!ok) volume_->RequestStop();
    if (finished) finished();
  });
}

void ScanController::Stop() {
  if (volume_) volume_->RequestStop();
}

ScanController::Outcome ScanController::Finish() {
  Outcome outcome;
  if (worker_.joinable()) worker_.join();
  if (!volume_) return outcome;
  if (engine_) outcome.report = engine_->Report();
  if (!volume_->StopRequested()) {
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
  loaded_ = nullptr;
  SetStatus(messages::kStatusIdle);
  return outcome;
}

}  // namespace volumist
