#include "scan/mount_rule.h"

#include "platform/drive_classification.h"
#include "platform/file_system.h"
#include "platform/mount_table.h"

namespace volumist {

MountRule::MountRule(bool crossMounts, const std::optional<std::string>& mountTable, std::string sourcePath,
                     std::string realSourcePath)
    : crossMounts_(crossMounts),
      hasTable_(mountTable.has_value()),
      sourcePath_(std::move(sourcePath)),
      realSourcePath_(std::move(realSourcePath)) {
  if (!mountTable) return;
  std::vector<platform::MountEntry> mounts = platform::ParseMountInfo(*mountTable);
  for (const platform::MountEntry& mount : mounts) typeById_.emplace(mount.mountId, mount.fileSystemType);
  // Of mounts stacked on one mount point the last one is the one a path reaches.
  for (platform::MountEntry& mount : platform::VisibleMounts(mounts)) {
    typeByMountPoint_.insert_or_assign(std::move(mount.mountPoint), std::move(mount.fileSystemType));
  }
}

std::string MountRule::RealPathOf(std::string_view folderPath, std::string_view name) const {
  std::string_view below = folderPath;
  if (below.substr(0, sourcePath_.size()) == sourcePath_) below.remove_prefix(sourcePath_.size());
  while (!below.empty() && below.front() == '/') below.remove_prefix(1);
  std::string path = realSourcePath_;
  if (!below.empty()) path = platform::JoinPath(path, std::string(below));
  return platform::JoinPath(path, std::string(name));
}

MountRule::Verdict MountRule::CrossingInto(const std::string* fileSystemType) const {
  if (!crossMounts_ || fileSystemType == nullptr || platform::IsKernelFileSystem(*fileSystemType)) {
    return Verdict::kNotEntered;
  }
  return Verdict::kEnter;
}

MountRule::Verdict MountRule::Judge(const platform::DirectoryListing& listing, const platform::ListedEntry& entry,
                                    std::string_view folderPath) const {
  if (listing.hasMountIds) {
    if (entry.mountId == listing.mountId) return Verdict::kSameMount;
    auto found = typeById_.find(entry.mountId);
    return CrossingInto(found == typeById_.end() ? nullptr : &found->second);
  }
  if (hasTable_) {
    auto found = typeByMountPoint_.find(RealPathOf(folderPath, listing.Name(entry)));
    return found == typeByMountPoint_.end() ? Verdict::kSameMount : CrossingInto(&found->second);
  }
  return entry.device == listing.device ? Verdict::kSameMount : CrossingInto(nullptr);
}

}  // namespace volumist
