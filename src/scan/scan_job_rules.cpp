#include "scan/scan_job_rules.h"

#include <span>

#include "catalog/messages.h"
#include "catalog/volume_format.h"
#include "scan/messages.h"

namespace volumist {

bool IsUsableFileName(std::string_view name) {
  return !name.empty() && name.size() <= kFileNameMaxBytes && name != "." && name != "..";
}

bool ValidateJob(ScanJob& job, ScanPage page, const SingleSource& single, const std::string& volumeDirectory,
                 platform::FileSystem& fileSystem, Prompter& prompter) {
  if (job.volumeName.empty()) {
    prompter.ShowError(messages::kVolumeNameNotDefined);
    return false;
  }
  if (job.volumeName.size() > format::kVolumeNameMaxLength) {
    prompter.ShowError(messages::kVolumeNameTooLong);
    return false;
  }
  if (page == ScanPage::kSingleSource) {
    if (single.sourceName.empty()) {
      prompter.ShowError(messages::kFolderNameNotDefined);
      return false;
    }
    if (single.path.empty()) {
      prompter.ShowError(messages::kScanPathNotDefined);
      return false;
    }
    job.sources = {ScanSource{-1, single.sourceName, single.path, true}};
    job.multipleSources = false;
    job.drivePath = single.path;
    job.usedSingleSource = true;
  } else {
    job.multipleSources = true;
    // The tray belongs to a single source's drive: a list of sources moves no tray, also not the one
    // of the drive a single-source scan used before.
    job.drivePath.clear();
    if (job.sources.empty()) {
      prompter.ShowError(messages::kNoSource);
      return false;
    }
    job.usedMultipleSources = true;
    if (job.mode == ScanMode::kNewVolume || job.mode == ScanMode::kAddToVolume) {
      for (ScanSource& source : job.sources) source.isFolderSource = true;
    }
  }
  // A mistyped path would otherwise be recorded as an empty source, replacing a good volume. The
  // sources of a volume being updated are checked by the rescan, which asks about a missing medium.
  for (const ScanSource& source : job.mode == ScanMode::kUpdate ? std::span<const ScanSource>() : job.sources) {
    std::optional<platform::FileStatus> status = fileSystem.Status(source.path);
    if (!status || !status->isDirectory) {
      prompter.ShowError(std::string(messages::kScanPathNotFound) + source.path);
      return false;
    }
  }
  if (job.volumeFileName.empty()) {
    prompter.ShowError(messages::kVolumeFileNameNotDefined);
    return false;
  }
  if (job.mode == ScanMode::kNewVolume || job.mode == ScanMode::kNewFromVolumeSources) {
    // A name the file system cannot take would otherwise fail only at the rename after the whole scan.
    if (!IsUsableFileName(platform::BaseNameOf(job.volumeFileName))) {
      prompter.ShowError(messages::kVolumeFileNameUnusable);
      return false;
    }
    std::string target = job.volumeFileName.front() == '/' ? job.volumeFileName
                                                           : platform::JoinPath(volumeDirectory, job.volumeFileName);
    const bool defaultName =
        job.volumeName == DefaultVolumeName(job) && job.volumeFileName == MakeVolumeFileName(job.volumeName, true);
    // Links are followed: the file behind a link is the one rewritten.
    std::optional<platform::FileStatus> status = fileSystem.Status(target);
    if (status && !status->isRegularFile) {
      prompter.ShowError(messages::kVolumeFileNameNotRegular);
      return false;
    }
    if (status) {
      if (!prompter.AskYesNo(messages::kVolumeFileExists)) return false;
      job.existingFile = ExistingVolumeFile::kReplace;
    } else {
      job.existingFile = defaultName ? ExistingVolumeFile::kNextDefaultName : ExistingVolumeFile::kAsk;
    }
    ++job.volumeCounter;
  }
  return true;
}

void TakeSourcesFromVolume(const SourceList& sources, ScanJob& job,
                           const std::function<bool(const SourceEntry&)>& isMediumPresent) {
  job.sources.clear();
  for (const SourceEntry& entry : sources.Entries()) {
    if (!isMediumPresent(entry)) continue;
    job.sources.push_back(ScanSource{-1, entry.sourceName.Text(), entry.rootPath.Text(), entry.isFolderSource});
  }
}

}  // namespace volumist
