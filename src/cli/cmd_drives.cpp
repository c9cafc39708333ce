// volumist-cli drives [--all] [--json]: the drives of this machine, one per line.
#include <ostream>

#include "catalog/source_list.h"
#include "catalog/value_format.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "platform/drive_table.h"
#include "scan/drive_info.h"

namespace volumist::cli {
namespace {

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

Json DriveObject(const platform::Drive& drive, const char* kindName, const std::optional<platform::DiskSpace>& space) {
  Json object = Json::object();
  PutText(object, "root", drive.Root());
  object["kind"] = kindName;
  object["kindCode"] = static_cast<int>(drive.kind);
  PutText(object, "label", drive.label);
  PutText(object, "fileSystem", drive.FileSystemName());
  object["serial"] = FormatSerialNumber(drive.serialNumber);
  object["serialNumber"] = drive.serialNumber;
  PutText(object, "uuid", drive.uuid);
  if (drive.device) {
    PutText(object, "device", drive.device->devicePath);
  } else {
    object["device"] = nullptr;
  }
  object["capacity"] = space ? Json(space->totalBytes) : Json(nullptr);
  object["free"] = space ? Json(space->freeBytes) : Json(nullptr);
  return object;
}

int RunDrives(CommandContext& context, const std::vector<std::string>& args) {
  bool all = false;
  bool json = false;
  for (const std::string& arg : args) {
    if (arg == "--all" || arg == "-a") {
      all = true;
    } else if (arg == "--json") {
      json = true;
    } else {
      return UsageError(context, kDrivesCommand, "unknown argument " + arg);
    }
  }
  platform::DriveSystem& system = platform::DriveSystem::Default();
  for (const platform::Drive& drive : platform::ListMountedDrives(system)) {
    auto type = static_cast<uint8_t>(drive.kind);
    const char* kindName = DriveKindShortName(type);
    if (kindName == nullptr) {
      if (!all) continue;
      kindName = DriveTypeName(type);
    }
    std::optional<platform::DiskSpace> space = system.ReadDiskSpace(drive.Root());
    if (json) {
      WriteJsonLine(context.out, DriveObject(drive, kindName, space));
      continue;
    }
    context.out << drive.Root() << '\t' << kindName << '\t' << OrDash(drive.label) << '\t'
                << OrDash(drive.FileSystemName()) << '\t' << FormatSerialNumber(drive.serialNumber) << '\t'
                << (space ? std::to_string(space->totalBytes) : "-") << '\t'
                << (space ? std::to_string(space->freeBytes) : "-") << '\n';
  }
  return kExitOk;
}

}  // namespace

const Command kDrivesCommand = {
    "drives",
    "[--all] [--json]",
    "list the drives of this machine",
    "Prints one line per drive, sorted by root, with tab-separated fields: root (the\n"
    "mount point), kind (Local Disk, Removable, CD Drive, Network, RAM Disk), label,\n"
    "file system, serial number, capacity in bytes and free bytes (of the whole disk).\n"
    "A drive is a mounted file system that holds a medium; proc, sysfs and the like\n"
    "are not drives. Without --all, drives of unknown kind are left out, as in the\n"
    "scan dialog's drive list. \"-\" stands for what cannot be read.\n"
    "With --json: one JSON object per line (JSON Lines) with root, kind, kindCode,\n"
    "label, fileSystem, serial (as printed), serialNumber (an integer), uuid, device\n"
    "(null without a block device), capacity and free (null when they cannot be\n"
    "read); see docs/json/drives.md.\n",
    RunDrives,
};

}  // namespace volumist::cli
