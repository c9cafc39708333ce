// The rules of the "Find duplicates" dialog: its texts, what its controls mean as search options,
// the captions of its group rows, its progress line, and where "Jump" leads from a file of a group.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "browse/search_dialog_rules.h"
#include "search/duplicates.h"

namespace volumist::browse {

namespace duplicates_text {
inline constexpr char kTitle[] = "Find duplicates";
inline constexpr char kMinimumSize[] = "Smallest file (bytes, or with K, M, G):";
inline constexpr char kCompare[] = "Compare:";
inline constexpr char kByAuto[] = "By content, else by name and size";
inline constexpr char kByContent[] = "By content only";
inline constexpr char kByNameSize[] = "By name and size";
inline constexpr char kWithin[] = "Only copies on the same volume";
inline constexpr char kAllVolumes[] = "All volumes";
inline constexpr char kSelectedVolume[] = "The selected volume only";
inline constexpr char kFind[] = "Find";
inline constexpr char kStop[] = "Stop";
inline constexpr char kJump[] = "Jump";
inline constexpr char kClose[] = "Close";
inline constexpr char kColumnVolume[] = "Volume";
inline constexpr char kColumnPath[] = "Path";
inline constexpr char kColumnSize[] = "Size";
inline constexpr char kColumnTime[] = "Modified";
inline constexpr char kBadSize[] = "The smallest file must be a number of bytes, or a number followed by K, M or G.";
inline constexpr char kNoVolumes[] = "There are no volumes in the active directory.";
inline constexpr char kNoneFound[] = "No duplicates found.";
inline constexpr char kStopped[] = "Stopped.";
inline constexpr char kArchiveMember[] = "archive member";
}  // namespace duplicates_text

// What the dialog's controls hold.
struct DuplicatesForm {
  std::string minimumSize = "1";  // as typed
  DuplicateMatch match = DuplicateMatch::kAuto;
  bool withinVolume = false;
  bool selectedVolumeOnly = false;
};

// The options the form asks for; nothing, with kBadSize in `problem`, when the size is not one.
std::optional<DuplicateOptions> ReadDuplicatesForm(const DuplicatesForm& form, std::string& problem);

// A group's row (its size has a column of its own): "Same content (MD5 e98d2f00...), 2 files" (the
// digest's first eight digits), "Same content (eDonkey ...)", or "Same name and size (no
// signatures), 3 files".
std::string GroupCaption(const DuplicateGroup& group);

// The line under the results while a search runs: "Reading volumes: 3 of 200 (120 000 files)"; and
// when it ends: "12 groups, 30 files, 1.20 MB in extra copies" (the bytes of all copies but one of
// each group), or kNoneFound.
std::string ProgressText(size_t volumesRead, size_t volumeCount, uint64_t filesRead);
std::string SummaryText(size_t groups, uint64_t files, uint64_t extraBytes);

// The percentage the progress bar shows: the share of volumes read, 0 to 100.
int ProgressPercent(size_t volumesRead, size_t volumeCount);

// Where "Jump" leads for a file of a group: its volume file, the folder or archive that lists it,
// and its row there.
JumpTarget JumpTargetOfMember(const DuplicateMember& member, const DuplicateVolumes& volumes);

}  // namespace volumist::browse
