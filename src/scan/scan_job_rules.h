// The rules of a scan job: its default names, the file name made from a volume name, checking a
// job before it runs, and taking the sources of a loaded volume.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "catalog/prompter.h"
#include "catalog/scan_job.h"
#include "catalog/source_list.h"
#include "platform/file_system.h"

namespace volumist {

// The page of the scan dialog a job was confirmed on.
enum class ScanPage { kSingleSource, kMultipleSources };

// The name made usable as a file name: each of > < * : / \ " ? becomes a blank; nothing else changes.
// With `addExtension`, ".vkt" is appended.
std::string MakeVolumeFileName(std::string_view volumeName, bool addExtension);

// "Volume%d" with the job's volume counter.
std::string DefaultVolumeName(const ScanJob& job);

// What the single-source page holds apart from the job.
struct SingleSource {
  std::string sourceName;
  std::string path;
};

// Checks an edited job in the order the user meets the fields and completes it for the page it was
// confirmed on; on the first problem shows its message and returns false. In modes 0 and 3 it asks
// before an existing volume file in `volumeDirectory` is rewritten, and raises the volume counter.
[[nodiscard]] bool ValidateJob(ScanJob& job, ScanPage page, const SingleSource& single,
                               const std::string& volumeDirectory, platform::FileSystem& fileSystem,
                               Prompter& prompter);

// Replaces the job's sources by those of a loaded volume whose media are present now.
void TakeSourcesFromVolume(const SourceList& sources, ScanJob& job,
                           const std::function<bool(const SourceEntry&)>& isMediumPresent);

}  // namespace volumist
