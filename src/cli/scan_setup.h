// What the scan command needs from its surroundings: the scan settings, the volume directory, the
// drives, and the volume counter kept between runs.
#pragma once

#include <string>

#include "catalog/scan_job.h"
#include "cli/command.h"
#include "scan/scan_controller.h"

namespace volumist::cli {

struct ScanSetup {
  ScanJob jobTemplate;          // the options and counter every new scan starts from
  std::string volumeDirectory;  // where volume files and temporary files go
};

ScanSetup LoadScanSetup(CommandContext& context);
// Keeps the raised volume counter for the next scan.
void StoreVolumeCounter(CommandContext& context, uint32_t counter);

// "NAME=PATH" or "PATH", with PATH made absolute.
ScanSource ParseSource(CommandContext& context, const std::string& argument);
// A volume file named on the command line: a path as given when it exists, else a name in the
// volume directory.
std::string ResolveVolumeArgument(CommandContext& context, const std::string& argument);

// The drives as the scan uses them (labels, serials, the CD tray).
DriveControl DrivesForScan();

// Questions are answered Yes from now on (--yes).
void AnswerYes(CommandContext& context);

}  // namespace volumist::cli
