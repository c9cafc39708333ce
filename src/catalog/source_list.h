// SourceEntry and SourceList: the scanned sources of a volume, stored after the header.
#pragma once

#include <cstdint>
#include <vector>

#include "catalog/coding.h"
#include "catalog/record_key.h"
#include "catalog/scan_options.h"
#include "catalog/short_string.h"

namespace volumist {

class VolumeWriter;

// Drive kind codes, as stored.
enum DriveType : uint8_t {
  kDriveUnknown = 0,
  kDriveInvalidRoot = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdRom = 5,
  kDriveRamDisk = 6,
};

struct SourceEntry {
  bool isFolderSource = false;
  uint16_t sourceIndex = 0;
  ShortString sourceName;
  ShortString volumeLabel;
  ShortString fileSystemName;
  ShortString rootPath;
  uint8_t driveType = kDriveUnknown;
  uint32_t serialNumber = 0;
  uint64_t totalBytes = 0;
  uint64_t freeBytes = 0;
  ScanOptions options;               // the options of the scan that added the source
  bool scanAgain = false;            // the option byte beside the summary
  RecordKey treeStartKey = 0;        // just after the source's mark
  RecordKey treeEndKey = 0;          // just past the source's last record
  uint64_t keysOffset = 0;           // file offset of treeStartKey, while the volume is written

  bool Read(FieldReader& in);
  // Writes the entry and notes where its keys lie.
  void Write(VolumeWriter& out);
  bool ContainsKey(RecordKey key) const { return key >= treeStartKey && key < treeEndKey; }
};

class SourceList {
 public:
  std::vector<SourceEntry>& Entries() { return entries_; }
  const std::vector<SourceEntry>& Entries() const { return entries_; }
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  SourceEntry& operator[](size_t i) { return entries_[i]; }
  const SourceEntry& operator[](size_t i) const { return entries_[i]; }
  void Clear() {
    entries_.clear();
    lastFound_ = 0;
  }

  // Reads the 16-bit count and the entries. A count that the rest of the file cannot hold ends the
  // reading with failure.
  bool Read(FieldReader& in);
  void Write(VolumeWriter& out);

  // The source whose key range holds `key`; the one found last is tried first. Null if none.
  const SourceEntry* FindSourceForKey(RecordKey key) const;

 private:
  std::vector<SourceEntry> entries_;
  mutable size_t lastFound_ = 0;
};

}  // namespace volumist

namespace volumist {

// The long name of a drive kind code ("Fixed drive (HDD)"); "Unknown drive" for codes without one.
const char* DriveTypeName(uint8_t driveType);

}  // namespace volumist
