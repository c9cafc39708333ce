// Duplicates across volumes, and the files of one volume that have no copy elsewhere: offline
// questions answered from the volume files alone, without the disks.
//
// Two file records are the same content when they hold the same MD5, or the same eDonkey hash, and
// their sizes are equal. A record without a stored MD5 or eDonkey hash can only be matched by its
// name (base name and extension, compared byte for byte) and size; each group says which rule made
// it. Listed archives count as files, and so do the members of listed archives (marked as such).
// Folders are not compared.
//
// Zero-byte files all share one content, and grouping every empty file of a set is noise: they are
// left out unless the minimum size is 0.
//
// The search is made for very large sets (millions of files over hundreds of volumes): volumes are
// read on several threads, each file becomes a compact key (a 16-byte digest, its size and where it
// lies: 40 bytes), the keys are sorted, and only the members of groups are looked up again for
// their paths, names and times.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog_time.h"
#include "catalog/record_key.h"
#include "catalog/volume_catalog.h"
#include "platform/file_system.h"

namespace volumist {

// How files are compared.
enum class DuplicateMatch : uint8_t {
  kAuto,         // by content where a record holds an MD5 or eDonkey hash, else by name and size
  kContent,      // only records that hold an MD5 or eDonkey hash, by content
  kNameAndSize,  // every record by name and size, whatever signatures it holds
};

// The rule that made a group.
enum class DuplicateRule : uint8_t { kContent, kNameAndSize };

// Which digest a content group was matched by.
enum class DigestKind : uint8_t { kNone, kMd5, kEd2k };

struct DuplicateOptions {
  // Files smaller than this are left out; 0 takes zero-byte files too.
  uint64_t minimumSize = 1;
  DuplicateMatch match = DuplicateMatch::kAuto;
  // Only copies on one and the same volume: no group spans two volumes.
  bool withinVolume = false;
  // Volumes read at once.
  unsigned threads = 1;
  // When set and true, the search ends early and reports what it has (see DuplicateReport::stopped).
  const std::atomic<bool>* stop = nullptr;
};

// Counters a front end polls while a search runs on another thread.
struct DuplicateProgress {
  std::atomic<size_t> volumesRead = 0;
  std::atomic<uint64_t> filesRead = 0;
  std::atomic<size_t> groupsFound = 0;
};

// One file of a group, or one file without a copy.
struct DuplicateMember {
  size_t volume = 0;     // index in the list of volume files given
  std::string path;      // the item's path inside its volume (catalog/item_path.h)
  std::string name;      // base name and extension
  uint64_t size = 0;
  CatalogTime modifiedTime;
  bool isArchive = false;        // a listed archive (compared as the file it is)
  bool inArchive = false;        // a member of a listed archive
  RecordKey key = 0;             // the record's key in its volume
  RecordKey containerKey = 0;    // the folder or archive that lists it; 0 at the top of the volume
};

struct DuplicateGroup {
  DuplicateRule rule = DuplicateRule::kContent;
  DigestKind digestKind = DigestKind::kNone;
  std::array<uint8_t, 16> digest{};  // content groups: the MD5 or eDonkey hash the members share
  uint64_t size = 0;
  // In the order of the volume list, and within a volume in the order of its tree.
  std::vector<DuplicateMember> members;
};

// A volume file of the set and how it read.
struct DuplicateVolume {
  std::string path;
  std::string name;        // the volume's name, once opened
  bool opened = false;     // false: it could not be opened (or was skipped), and was left out
  bool skipped = false;    // the target's own file named again among the others (FindUniqueFiles)
  VolumeDamage damage = VolumeDamage::kNone;  // read as far as it could be
};

// The volumes of a set as they read.
using DuplicateVolumes = std::vector<DuplicateVolume>;

// The most volume files one comparison reads (a file's key holds the volume's index in 16 bits).
// Callers refuse longer lists with kTooManyVolumesForDuplicates; the functions below read only the
// first ones.
inline constexpr size_t kMaximumDuplicateVolumes = 65535;
inline constexpr char kTooManyVolumesForDuplicates[] =
    "At most 65535 volume files can be compared at once. Choose fewer volumes.";

struct DuplicateReport {
  DuplicateVolumes volumes;  // one per volume file given, in that order
  uint64_t filesCompared = 0;            // files at or above the minimum size
  bool stopped = false;
};

// Finds the groups of copies over the volume files `volumePaths` and hands each group to `onGroup`
// on the calling thread, largest files first (then content before name groups, by digest or
// name), with the volumes as they
// read (every volume is read by then). `progress` may be null.
// The file system must be safe to use from several threads.
DuplicateReport FindDuplicates(const std::vector<std::string>& volumePaths, const DuplicateOptions& options,
                               platform::FileSystem& fileSystem, const std::function<void(DuplicateGroup&&, const DuplicateVolumes&)>& onGroup,
                               DuplicateProgress* progress = nullptr);

// The files of `volumePaths[target]` that exist on no other volume of `volumePaths` ("only copy":
// what has no backup), in the order of its tree, handed to `onFile` on the calling thread. A file
// has a copy elsewhere when another volume holds a record of the same size that shares an MD5 or
// eDonkey hash with it, or, when one of the two holds neither, has the same name and size.
// `options.match` and `options.withinVolume` are not used. A volume file that appears twice in the
// list (the target among the others) is read once.
DuplicateReport FindUniqueFiles(const std::vector<std::string>& volumePaths, size_t target,
                                const DuplicateOptions& options, platform::FileSystem& fileSystem,
                                const std::function<void(DuplicateMember&&, const DuplicateVolumes&)>& onFile,
                                DuplicateProgress* progress = nullptr);

// A size as users write it: a number of bytes, or a number followed by K, M or G (units of 1024),
// such as "4096", "10K", "3M". Nothing for anything else, or a size beyond 64 bits.
std::optional<uint64_t> ParseSizeText(std::string_view text);

// The digest as lowercase hexadecimal digits.
std::string DigestHex(const std::array<uint8_t, 16>& digest);

}  // namespace volumist
