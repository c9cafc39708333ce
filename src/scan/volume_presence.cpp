#include "scan/volume_presence.h"

#include "catalog/volume_catalog.h"
#include "catalog/volume_header.h"
#include "platform/mount_table.h"

namespace volumist {
namespace {

// True when the volume recorded something that tells its medium apart.
bool RecordsMedium(const SourceEntry& entry) {
  return entry.serialNumber != 0 || !entry.volumeLabel.empty() || !entry.fileSystemName.empty();
}

}  // namespace

std::string_view VolumePresenceWord(VolumePresence presence) {
  switch (presence) {
    case VolumePresence::kPresent: return "present";
    case VolumePresence::kPartly: return "partly";
    case VolumePresence::kAbsent: break;
  }
  return "absent";
}

std::string_view SourcePresenceWord(SourcePresence presence) {
  switch (presence) {
    case SourcePresence::kPresent: return "present";
    case SourcePresence::kOtherMedium: return "other medium";
    case SourcePresence::kMissing: break;
  }
  return "missing";
}

PresenceCheck::PresenceCheck(platform::DriveSystem& system) : system_(system) {
  if (std::optional<std::string> text = system_.ReadMountTable()) {
    mounts_ = platform::VisibleMounts(platform::ParseMountInfo(*text));
  }
  described_.resize(mounts_.size());
  drives_ = platform::SelectDriveMounts(mounts_, [this](const std::string& path) { return system_.IsDirectory(path); });
}

const platform::Drive& PresenceCheck::DescribedMount(size_t index) {
  if (!described_[index]) described_[index] = platform::DescribeMount(system_, mounts_[index]);
  return *described_[index];
}

SourceLocation PresenceCheck::CheckDriveSource(const SourceEntry& entry) {
  const std::string root = platform::NormalizePath(entry.rootPath.Text());
  std::optional<size_t> atRoot;
  std::optional<size_t> elsewhere;
  for (size_t index : drives_) {
    const platform::Drive& drive = DescribedMount(index);
    const bool isRecordedRoot = !root.empty() && platform::NormalizePath(drive.Root()) == root;
    if (isRecordedRoot) atRoot = index;
    SourceEntry now;
    SetMediumFields(now, drive);
    if (!SameMedium(entry, now)) continue;
    // The recorded root wins over another mount of the same medium.
    if (isRecordedRoot) return {SourcePresence::kPresent, drive.Root(), drive.Root()};
    // Without a serial the label and file system alone do not tell one disk from another.
    if (entry.serialNumber != 0 && !elsewhere) elsewhere = index;
  }
  if (elsewhere) {
    const std::string& where = DescribedMount(*elsewhere).Root();
    return {SourcePresence::kPresent, where, where};
  }
  if (atRoot) return {SourcePresence::kOtherMedium, {}, {}};
  return {};
}

SourceLocation PresenceCheck::CheckFolderSource(const SourceEntry& entry) {
  const std::string path = entry.rootPath.Text();
  if (path.empty() || !system_.IsDirectory(path)) return {};
  std::optional<std::string> realPath = system_.RealPath(path);
  if (!realPath) return {};
  const int index = platform::FindMountForPath(mounts_, *realPath);
  std::string mountPoint;
  SourceEntry now;
  if (index >= 0) {
    const platform::Drive& drive = DescribedMount(static_cast<size_t>(index));
    mountPoint = drive.Root();
    SetMediumFields(now, drive);
  }
  if (RecordsMedium(entry) && !SameMedium(entry, now)) return {SourcePresence::kOtherMedium, {}, {}};
  return {SourcePresence::kPresent, std::move(mountPoint), path};
}

SourceLocation PresenceCheck::CheckSource(const SourceEntry& entry) {
  return entry.isFolderSource ? CheckFolderSource(entry) : CheckDriveSource(entry);
}

VolumeLocation PresenceCheck::CheckSources(const SourceList& sources) {
  VolumeLocation location;
  size_t present = 0;
  for (const SourceEntry& entry : sources.Entries()) {
    location.sources.push_back(CheckSource(entry));
    if (location.sources.back().presence == SourcePresence::kPresent) ++present;
  }
  if (present > 0) location.presence = present == sources.size() ? VolumePresence::kPresent : VolumePresence::kPartly;
  return location;
}

std::optional<SourceList> ReadVolumeSources(platform::FileSystem& fileSystem, const std::string& path) {
  // Only regular files are opened: a pipe named like a volume would wait for a writer forever.
  auto status = fileSystem.Status(path);
  if (!status || !status->isRegularFile) return std::nullopt;
  auto opened = fileSystem.OpenForRead(path);
  if (!opened) return std::nullopt;
  VolumeHeader header;
  SourceList sources;
  if (!ReadVolumeHeader(*opened.file, header, sources)) return std::nullopt;
  return sources;
}

std::optional<VolumeLocation> PresenceCheck::CheckVolumeFile(platform::FileSystem& fileSystem, const std::string& path) {
  std::optional<SourceList> sources = ReadVolumeSources(fileSystem, path);
  if (!sources) return std::nullopt;
  return CheckSources(*sources);
}

}  // namespace volumist
