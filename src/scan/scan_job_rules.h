// The rules of a scan job: its default names, the file name made from a volume name, checking a
// job before it runs, and taking the sources of a loaded volume.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "catalog/prompter.h"
#include "catalog/scan_job.h"
#include "catalog/source_list.h"
#include "catalog/volume_names.h"
#include "platform/file_system.h"

namespace volumist {

// The page of the scan dialog a job was confirmed on.
enum class ScanPage { kSingleSource, kMultipleSources };

// MakeVolumeFileName and DefaultVolumeName: catalog/volume_names.h.

// What the single-source page holds apart from the job.
struct SingleSource {
  std::string sourceName;
  std::string path;
};

// The longest name of one file on the file systems the volume directory lives on.
inline constexpr size_t kFileNameMaxBytes = 255;
// True for a name one file can have: 1 to 255 bytes, and neither "." nor "..".
bool IsUsableFileName(std::string_view name);

// Checks an edited job in the order the user meets the fields and completes it for the page it was
// confirmed on; on the first problem shows its message and returns false. The single-source page
// sets the drive path (whose CD tray the scan closes and opens); the multiple-sources page clears it.
// A volume name of more than 255 bytes is refused, and so is a source that is not an existing folder
// (in mode 2 the rescan checks its sources, asking about a volume source whose medium is missing).
// In modes 0 and 3 a volume file name whose last component is no usable file name
// (IsUsableFileName) or that names a folder or a special file is refused; before an existing volume
// file in `volumeDirectory` is rewritten the user is asked; and the volume counter is raised. The
// job's existingFile says what the writer does with a file that takes the name while the scan runs:
// a default name moves on to the next free one, another name is asked about again, and a file the
// user agreed to rewrite is replaced.
[[nodiscard]] bool ValidateJob(ScanJob& job, ScanPage page, const SingleSource& single,
                               const std::string& volumeDirectory, platform::FileSystem& fileSystem,
                               Prompter& prompter);

// Replaces the job's sources by those of a loaded volume whose media are present now.
void TakeSourcesFromVolume(const SourceList& sources, ScanJob& job,
                           const std::function<bool(const SourceEntry&)>& isMediumPresent);

}  // namespace volumist
