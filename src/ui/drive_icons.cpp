#include "ui/drive_icons.h"

#include "catalog/source_list.h"
#include "ui/icons.h"

namespace volumist::ui {
namespace {

QIcon Themed(const char* themeName, const char* ours) {
  InitResources();
  return QIcon::fromTheme(QLatin1String(themeName), QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(ours))));
}

}  // namespace

QIcon DriveIcon(uint8_t driveType) {
  switch (driveType) {
    case kDriveRemovable: return Themed("drive-removable-media", "drive-removable");
    case kDriveCdRom: return Themed("drive-optical", "drive-optical");
    case kDriveRemote: return Themed("folder-remote", "drive-remote");
    case kDriveRamDisk: return Themed("media-flash", "drive-ram");
    default: return Themed("drive-harddisk", "drive-fixed");
  }
}

QIcon FolderIcon() { return Themed("folder", "folder"); }

QIcon AddSourceIcon() { return Themed("list-add", "list-add"); }

QIcon RemoveSourceIcon() { return Themed("list-remove", "list-remove"); }

QIcon PropertiesIcon() { return Themed("document-properties", "properties"); }

}  // namespace volumist::ui
