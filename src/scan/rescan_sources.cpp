// The sources of a rescan: the job for every source of a volume or for an edited list, and the check
// of each source's medium before anything is written.
#include "scan/messages.h"
#include "scan/rescan.h"

namespace volumist {

RescanJob RescanEverySource(const std::string& volumeFile, const SourceList& sources) {
  RescanJob job;
  job.volumeFile = volumeFile;
  for (size_t i = 0; i < sources.size(); ++i) {
    const SourceEntry& entry = sources[i];
    RescanSource source;
    source.source = ScanSource{-1, entry.sourceName.Text(), entry.rootPath.Text(), entry.isFolderSource};
    source.volumeIndex = i;
    source.options = entry.options;
    source.scanAgain = entry.scanAgain;
    job.sources.push_back(std::move(source));
  }
  return job;
}

RescanJob RescanEditedSources(const std::string& volumeFile, const SourceList& sources, const ScanJob& edited) {
  RescanJob job;
  job.volumeFile = volumeFile;
  job.headerOptions = edited.Options();
  job.crossMounts = edited.crossMounts;
  std::vector<bool> taken(sources.size(), false);
  for (const ScanSource& wanted : edited.sources) {
    RescanSource source;
    source.source = wanted;
    source.options = edited.Options();
    source.scanAgain = edited.scanAgain;
    const std::string path = platform::NormalizePath(wanted.path);
    for (size_t i = 0; i < sources.size(); ++i) {
      if (taken[i] || platform::NormalizePath(sources[i].rootPath.Text()) != path) continue;
      taken[i] = true;
      source.volumeIndex = i;
      // The same folder written another way ("/a/" for "/a") is the volume's source, under its path.
      source.source.path = sources[i].rootPath.Text();
      source.source.isFolderSource = sources[i].isFolderSource;
      source.scanAgain = sources[i].scanAgain;
      break;
    }
    job.sources.push_back(std::move(source));
  }
  for (size_t i = 0; i < sources.size(); ++i) {
    if (!taken[i]) job.leftOut.push_back(i);
  }
  return job;
}

bool CheckRescanSources(RescanJob& job, const SourceList& volumeSources,
                        const std::function<SourcePresence(const SourceEntry&)>& checkMedium, MissingSources missing,
                        platform::FileSystem& fileSystem, Prompter& prompter) {
  for (RescanSource& source : job.sources) {
    if (!source.volumeIndex || *source.volumeIndex >= volumeSources.size()) {
      source.volumeIndex.reset();
      std::optional<platform::FileStatus> status = fileSystem.Status(source.source.path);
      if (!status || !status->isDirectory) {
        prompter.ShowError(std::string(messages::kScanPathNotFound) + source.source.path);
        return false;
      }
      source.action = SourceAction::kScan;
      continue;
    }
    const SourceEntry& entry = volumeSources[*source.volumeIndex];
    SourcePresence presence = checkMedium ? checkMedium(entry) : SourcePresence::kPresent;
    switch (presence) {
      case SourcePresence::kPresent: source.action = SourceAction::kScan; break;
      case SourcePresence::kOtherMedium:
        if (!prompter.AskYesNo(std::string(messages::kRescanOtherMediumStart) + entry.rootPath.Text() +
                               messages::kRescanOtherMediumEnd)) {
          return false;
        }
        source.action = SourceAction::kScan;
        break;
      case SourcePresence::kMissing: {
        bool keep = missing == MissingSources::kKeep;
        if (missing == MissingSources::kAsk) {
          keep = prompter.AskYesNo(std::string(messages::kRescanMissingStart) + entry.sourceName.Text() +
                                   messages::kRescanMissingMiddle + entry.rootPath.Text() +
                                   messages::kRescanMissingEnd);
        }
        source.action = keep ? SourceAction::kKeep : SourceAction::kDrop;
        break;
      }
    }
  }
  return true;
}

}  // namespace volumist
