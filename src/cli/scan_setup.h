// What the scan command needs from its surroundings: the scan settings, the volume directory and the
// drives.
#pragma once

#include <optional>
#include <string>

#include "catalog/scan_job.h"
#include "cli/command.h"
#include "scan/scan_controller.h"

namespace volumist::cli {

// The volume directory a scan writes into, ready for use (the configured one is created when it is
// the default and missing). Nothing, with a message on stderr, when it cannot be used.
std::optional<std::string> ScanVolumeDirectory(CommandContext& context);

// "NAME=PATH" or "PATH", with PATH made absolute. Without a name the source is named after the
// medium's label when PATH is a mount point, else after PATH's last component.
ScanSource ParseSource(CommandContext& context, const std::string& argument);

// The drives as the scan uses them: labels and serials of sources, the CD tray, media presence.
DriveControl DrivesForScan();

}  // namespace volumist::cli
