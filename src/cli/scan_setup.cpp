#include "cli/scan_setup.h"

#include <algorithm>
#include <ostream>

#include "scan/drive_info.h"

namespace volumist::cli {

std::optional<std::string> ScanVolumeDirectory(CommandContext& context) {
  if (context.volumeDirectory == context.settings.VolumeDirectory() && !context.settings.EnterVolumeDirectory()) {
    context.err << "volumist-cli scan: the volume directory " << context.volumeDirectory << " cannot be used\n";
    return std::nullopt;
  }
  return context.volumeDirectory;
}

ScanSource ParseSource(CommandContext& context, const std::string& argument) {
  ScanSource source;
  std::string path = argument;
  if (size_t equals = argument.find('='); equals != std::string::npos && equals > 0) {
    source.sourceName = argument.substr(0, equals);
    path = argument.substr(equals + 1);
  }
  if (path.empty() || path.front() != '/') {
    path = platform::JoinPath(context.fileSystem.CurrentDirectory().value_or("."), path);
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  source.path = path;
  if (source.sourceName.empty()) {
    std::vector<std::string> roots = ListDriveRoots();
    if (std::find(roots.begin(), roots.end(), path) != roots.end()) {
      SourceEntry entry;
      ReadMediaInfo(entry, path, "", true, 0);
      source.sourceName = entry.volumeLabel.Text();
    }
  }
  if (source.sourceName.empty()) source.sourceName = platform::BaseNameOf(path);
  if (source.sourceName.empty()) source.sourceName = path;
  source.isFolderSource = true;
  return source;
}

DriveControl DrivesForScan() {
  DriveControl drives;
  drives.isCdDrive = [](const std::string& path) { return IsCdDrive(path); };
  drives.setDoor = [](bool open, const std::string& path) { SetDoor(open, path); };
  drives.isMediumPresent = [](const SourceEntry& entry) { return IsMediumPresent(entry); };
  drives.checkMedium = [](const SourceEntry& entry) { return CheckSourceMedium(entry); };
  drives.describeSource = [](const ScanSource& source, SourceEntry& entry) {
    ReadMediaInfo(entry, source.path, source.sourceName, source.isFolderSource, entry.sourceIndex);
  };
  return drives;
}

}  // namespace volumist::cli
