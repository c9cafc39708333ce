// ScanJob: what a scan reads, where its volume goes and what it records. The volume writer reads
// it; the rules that build and check a job live with the scan engine (scan/).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/scan_options.h"

namespace volumist {

struct ScanSource {
  int32_t iconIndex = -1;
  std::string sourceName;       // the source's name in the catalog
  std::string path;             // the drive root or folder to scan
  bool isFolderSource = true;   // a top folder named sourceName, rather than a whole drive's contents

  friend bool operator==(const ScanSource&, const ScanSource&) = default;
};

enum class ScanMode : uint32_t {
  kNewVolume = 0,
  kAddToVolume = 1,
  kUpdate = 2,                  // the loaded volume's sources edited before a rescan
  kNewFromVolumeSources = 3,
};

// What writing a new volume does when, at its end, a file has the target's name that had none when
// the job was confirmed (another scan made it meanwhile), or that the user agreed to replace.
enum class ExistingVolumeFile : uint8_t {
  kReplace,          // replace it: the user agreed (or the caller decided) to rewrite that file
  kAsk,              // ask "File of Disk Ledger already exists! Do you want to rewrite it?"
  kNextDefaultName,  // keep it, and take the next free default name ("Volume%d" with the counter)
};

struct ScanJob : ScanOptions {
  ScanMode mode = ScanMode::kNewVolume;
  bool multipleSources = false;
  // The single source's path: the tray of the drive that holds it is closed before and opened after a
  // scan when it is a CD drive.
  std::string drivePath;
  uint32_t volumeCounter = 1;
  std::vector<ScanSource> sources;
  std::string volumeFileName;   // relative to the volume directory, or a full path
  std::string volumeName;
  bool scanAgain = true;
  // No one is there to answer after this scan (the command line): the volume stores
  // descriptionPrompt off in its header and in the new sources, also when the volume it extends had
  // it on (which adding would otherwise keep, see MergeOptions).
  bool unattended = false;
  ExistingVolumeFile existingFile = ExistingVolumeFile::kReplace;
  // Enter the other file systems mounted below a source (never those of the kernel's own state).
  // Not stored anywhere: a scan asks for it each time.
  bool crossMounts = false;

  ScanOptions& Options() { return *this; }
  const ScanOptions& Options() const { return *this; }
  friend bool operator==(const ScanJob&, const ScanJob&) = default;
};

}  // namespace volumist
