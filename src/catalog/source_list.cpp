#include "catalog/source_list.h"

#include "catalog/volume_format.h"
#include "catalog/volume_writer.h"

namespace volumist {
namespace {
// The fewest bytes an entry takes: flags, index, four empty strings, the fixed fields and keys.
constexpr uint64_t kMinEntrySize = 1 + 2 + 4 + 1 + 4 + 8 + 8 + 13 + 1 + 4 + 4;
}  // namespace

bool SourceEntry::Read(FieldReader& in) {
  uint8_t flags = in.U8();
  isFolderSource = flags & format::kSourceIsFolder;
  sourceIndex = in.U16();
  sourceName.ReadFrom(in);
  volumeLabel.ReadFrom(in);
  fileSystemName.ReadFrom(in);
  rootPath.ReadFrom(in);
  driveType = in.U8();
  serialNumber = in.U32();
  totalBytes = in.U64();
  freeBytes = in.U64();
  OptionsSummary summary;
  in.Bytes(summary.data(), summary.size());
  options = DecodeOptionsSummary(summary);
  scanAgain = in.U8() & format::kSourceScanAgain;
  treeStartKey = in.U32();
  treeEndKey = in.U32();
  return in.ok();
}

void SourceEntry::Write(VolumeWriter& out) {
  out.WriteU8(isFolderSource ? format::kSourceIsFolder : 0);
  out.WriteU16(sourceIndex);
  sourceName.WriteTo(out);
  volumeLabel.WriteTo(out);
  fileSystemName.WriteTo(out);
  rootPath.WriteTo(out);
  out.WriteU8(driveType);
  out.WriteU32(serialNumber);
  out.WriteU64(totalBytes);
  out.WriteU64(freeBytes);
  OptionsSummary summary = EncodeOptionsSummary(options);
  out.Write(summary.data(), summary.size());
  out.WriteU8(scanAgain ? format::kSourceScanAgain : 0);
  keysOffset = out.LogicalPosition();
  out.WriteU32(treeStartKey);
  out.WriteU32(treeEndKey);
}

bool SourceList::Read(FieldReader& in) {
  Clear();
  uint16_t count = in.U16();
  if (!in.ok() || count * kMinEntrySize > in.Reader().Remaining()) {
    in.Fail();
    return false;
  }
  entries_.resize(count);
  for (SourceEntry& entry : entries_) {
    if (!entry.Read(in)) break;
  }
  if (!in.ok()) entries_.clear();
  return in.ok();
}

void SourceList::Write(VolumeWriter& out) {
  out.WriteU16(static_cast<uint16_t>(entries_.size()));
  for (SourceEntry& entry : entries_) entry.Write(out);
}

const SourceEntry* SourceList::FindSourceForKey(RecordKey key) const {
  if (lastFound_ < entries_.size() && entries_[lastFound_].ContainsKey(key)) return &entries_[lastFound_];
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].ContainsKey(key)) {
      lastFound_ = i;
      return &entries_[i];
    }
  }
  return nullptr;
}

}  // namespace volumist

namespace volumist {

const char* DriveTypeName(uint8_t driveType) {
  switch (driveType) {
    case kDriveInvalidRoot: return "Root path is invalid!";
    case kDriveRemovable: return "Removable drive";
    case kDriveFixed: return "Fixed drive (HDD)";
    case kDriveRemote: return "Remote (Network) drive";
    case kDriveCdRom: return "CD-ROM drive";
    case kDriveRamDisk: return "RAM disk";
    default: return "Unknown drive";
  }
}

}  // namespace volumist
