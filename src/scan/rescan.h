// Rescanning a volume: its sources are scanned again into a new version of the volume file that
// replaces the old one, under the same volume name, with the volume's own description and its
// options. Every description moves to its item's new key, found by the item's path inside its source
// (catalog/tree_comparison.h), and a ChangeReport tells what changed.
//
// The steps, and what a failure at each leaves:
// 1. Before anything is written the front end checks each source (CheckRescanSources): another disk
//    at a source's path is asked about first, and "No" ends the rescan there; a source whose path is
//    gone, or whose medium is not present, is kept as it is or dropped, as the user chooses.
// 2. RescanVolume locks the volume file for the whole rescan (a second writer waits, then works on the
//    rescanned volume), reads its header and sources as they are now, and indexes the old tree of the
//    sources it compares.
// 3. It writes the new version to a temporary file beside the volume (platform/file_replacement.h):
//    the header, the sources, each source's tree (walked again, or for a kept source copied with its
//    keys moved), then the descriptions under their new keys.
// 4. Descriptions whose items are gone go to the lost-descriptions file beside the volume
//    (catalog/lost_descriptions.h) before the volume is replaced, unless the job drops them: a crash
//    between the two leaves them in both places, never in neither.
// 5. The temporary file replaces the volume in one rename. A stop, a failure or a kill at any moment
//    before leaves the old volume as it was; the temporary file is removed (after a kill, by the next
//    writer in the folder).
// A dry run does 2 and 3 in a scratch file beside the volume without taking the lock, and writes
// nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalog/change_report.h"
#include "catalog/prompter.h"
#include "catalog/scan_job.h"
#include "catalog/source_list.h"
#include "catalog/volume_catalog.h"
#include "platform/file_system.h"
#include "scan/drive_info.h"
#include "scan/scan_engine.h"

namespace volumist {

// What a rescan does with one source.
enum class SourceAction : uint8_t {
  kScan,  // walk it again (a source of the volume, or a new one)
  kKeep,  // keep its records as they are (its medium is not there)
  kDrop,  // leave it out of the volume (its medium is not there)
};

struct RescanSource {
  ScanSource source;                  // its name, path and folder flag
  std::optional<size_t> volumeIndex;  // its place in the volume's source list; nothing for a new source
  SourceAction action = SourceAction::kScan;
  ScanOptions options;                // what it is scanned with
  bool scanAgain = false;             // stored with the source
};

struct RescanJob {
  std::string volumeFile;  // the volume to rescan, absolute or relative to the current directory
  // The sources of the new volume, in their order. Sources the volume has gained since the job was
  // made (another writer added them) are kept after these as they are.
  std::vector<RescanSource> sources;
  // Sources of the volume (by index) that the user took off the list: left out of the new volume.
  std::vector<size_t> leftOut;
  // The options stored in the header; nothing keeps the volume's own.
  std::optional<ScanOptions> headerOptions;
  bool dropLostDescriptions = false;  // forget descriptions whose items are gone (else the side file keeps them)
  bool dryRun = false;                // make the report, write nothing
  bool crossMounts = false;
};

// The job that rescans every source of a volume with the options it was scanned with.
RescanJob RescanEverySource(const std::string& volumeFile, const SourceList& sources);
// The job for a list of sources edited in the scan dialog ("Update..."): a source whose path is a
// volume source's path takes that source's place (its folder flag stays the volume's); the others are
// new; the volume's sources missing from the list are left out. Every source is scanned with the
// edited options, which the header stores too.
RescanJob RescanEditedSources(const std::string& volumeFile, const SourceList& sources, const ScanJob& edited);

// What becomes of a source whose medium is missing.
enum class MissingSources : uint8_t { kKeep, kDrop, kAsk };

// Step 1: checks every source of `job` before anything is written and sets its action. A volume
// source (checked with `checkMedium`; none: present) on another medium asks "The disk at PATH is not
// the one this volume was made from..." and ends with false on No. A missing one is kept or dropped
// as `missing` says, or as the user answers "The source ... is not present..." (Yes keeps it). A new
// source that is not an existing folder shows "Path for scanning does not exist or is not a folder: "
// and ends with false. `volumeSources` are those the job was made from.
[[nodiscard]] bool CheckRescanSources(RescanJob& job, const SourceList& volumeSources,
                                      const std::function<SourcePresence(const SourceEntry&)>& checkMedium,
                                      MissingSources missing, platform::FileSystem& fileSystem, Prompter& prompter);

// Steps 2 to 5. `volume` is a catalog that is not loaded: its header receives the counters while the
// rescan runs (a front end may poll them), its stop flag stops the rescan, its prompter shows the
// failures, its lock wait applies; it stays closed (the caller opens the rescanned file). `engine`
// walks the scanned sources and must have been made with the volume's stop flag. Returns the report,
// or nothing after a failure (shown) or a stop (not shown).
std::optional<ChangeReport> RescanVolume(VolumeCatalog& volume, const RescanJob& job, ScanEngine& engine);

}  // namespace volumist
