// LocateItem: where a catalogued item lies on this computer now, or why it cannot be reached. The
// volume records each source's root path and the serial number of its medium; the source is
// present when the medium at that path has the same serial. The item's path is the root path
// followed by the names of its folders inside the source and its own name.
//
// Those names come from the volume file, which may be damaged or made to harm: a name that is
// empty, "." or "..", or holds "/" or a NUL byte is refused, so no path is ever built from it. The
// item's folder is resolved (links followed) and must still lie under the source's root resolved
// the same way, and the item must exist there. Items inside an archive are never present: only the
// archive itself is a file.
#pragma once

#include <functional>
#include <string>

#include "browse/item_row.h"
#include "catalog/source_list.h"
#include "catalog/volume_catalog.h"
#include "platform/file_system.h"

namespace volumist::browse {

enum class LocateStatus {
  kFound,
  kNoMedium,        // the source's medium is not there (another disc, nothing mounted)
  kMissing,         // the medium is there, the item is not
  kInsideArchive,   // a member of a listed archive
  kDamagedName,     // a name of the item or of a folder above it cannot be part of a path
  kOutsideSource,   // the path leads out of the source's root (through a link), or no source holds it
};

struct ItemLocation {
  LocateStatus status = LocateStatus::kMissing;
  std::string path;  // the item's absolute path, when found
  bool isFolder = false;
  bool Found() const { return status == LocateStatus::kFound; }
};

using MediumCheck = std::function<bool(const SourceEntry& source)>;

// Finds `row` of the loaded `volume` (its container must be the folder that listed it). The up entry
// and source roots stand for the folder they lead to; the top of the volume stands for the root of
// the source that holds the row's folder. Moves the volume's record reader.
ItemLocation LocateItem(VolumeCatalog& volume, const ItemRow& row, const MediumCheck& isMediumPresent,
                        platform::FileSystem& fileSystem);

// True when `name` can be one component of a path: not empty, not "." or "..", no "/" and no NUL.
bool IsSafePathComponent(std::string_view name);

// "file://" and the absolute `path` with every byte outside A-Z, a-z, 0-9, "-", ".", "_", "~" and
// "/" written as "%XX", so that any name (spaces, names starting with "-", bytes that are not
// UTF-8) passes as one unambiguous argument.
std::string FileUrl(std::string_view path);

}  // namespace volumist::browse
