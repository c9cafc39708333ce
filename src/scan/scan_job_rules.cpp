#include "scan/scan_job_rules.h"

#include <algorithm>

#include "catalog/volume_format.h"
#include "scan/messages.h"

namespace volumist {

std::string MakeVolumeFileName(std::string_view volumeName, bool addExtension) {
  std::string name(volumeName);
  std::replace_if(
      name.begin(), name.end(),
      [](char c) { return c == '>' || c == '<' || c == '*' || c == ':' || c == '/' || c == '\\' || c == '"' || c == '?'; },
      ' ');
  if (addExtension) name += format::kVolumeExtension;
  return name;
}

std::string DefaultVolumeName(const ScanJob& job) { return "Volume" + std::to_string(job.volumeCounter); }

bool ValidateJob(ScanJob& job, ScanPage page, const SingleSource& single, const std::string& volumeDirectory,
                 platform::FileSystem& fileSystem, Prompter& prompter) {
  if (job.volumeName.empty()) {
    prompter.ShowError(messages::kVolumeNameNotDefined);
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
    if (job.sources.empty()) {
      prompter.ShowError(messages::kNoSource);
      return false;
    }
    job.usedMultipleSources = true;
    if (job.mode == ScanMode::kNewVolume || job.mode == ScanMode::kAddToVolume) {
      for (ScanSource& source : job.sources) source.isFolderSource = true;
    }
  }
  if (job.volumeFileName.empty()) {
    prompter.ShowError(messages::kVolumeFileNameNotDefined);
    return false;
  }
  if (job.mode == ScanMode::kNewVolume || job.mode == ScanMode::kNewFromVolumeSources) {
    std::string target = job.volumeFileName.front() == '/' ? job.volumeFileName
                                                           : platform::JoinPath(volumeDirectory, job.volumeFileName);
    if (fileSystem.OpenForRead(target) && !prompter.AskYesNo(messages::kVolumeFileExists)) return false;
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
