// The names a new volume gets: the default volume name made from the volume counter, and the file
// name made from a volume name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalog/scan_job.h"

namespace volumist {

// The name made usable as a file name: each of > < * : / \ " ? becomes a blank; nothing else changes.
// With `addExtension`, ".vkt" is appended.
std::string MakeVolumeFileName(std::string_view volumeName, bool addExtension);

// "Volume%d" with `counter`, and with the job's volume counter.
std::string DefaultVolumeName(uint32_t counter);
inline std::string DefaultVolumeName(const ScanJob& job) { return DefaultVolumeName(job.volumeCounter); }

}  // namespace volumist
