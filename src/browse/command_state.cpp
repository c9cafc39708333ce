#include "browse/command_state.h"

namespace volumist::browse {

bool IsCommandEnabled(Command command, const ShellState& state) {
  switch (command) {
    case Command::kOptions:
    case Command::kHelp:
    case Command::kHelpPage:
    case Command::kAbout: return true;
    case Command::kStop: return state.scanning;
    // Both rescan the loaded volume; "Update..." lets the user edit its sources first.
    case Command::kUpdateVolume:
    case Command::kRescanVolume:
    // Verifying reads the loaded volume's sources.
    case Command::kVerifyVolume: return !state.scanning && state.volumeLoaded;
    // The file list is exported as the folder it shows ("... current folder"): an export in the
    // list's own order is not offered.
    case Command::kExportFileList: return false;
    case Command::kApply:
    case Command::kUndo: return !state.scanning && state.volumeLoaded && state.pendingEdits;
    case Command::kBack: return !state.scanning && state.volumeLoaded && state.canGoBack;
    case Command::kForward: return !state.scanning && state.volumeLoaded && state.canGoForward;
    case Command::kUp: return !state.scanning && state.volumeLoaded && !state.atRoot;
    case Command::kRoot: return !state.scanning && state.volumeLoaded;
    default: return !state.scanning;
  }
}

StripState StripStateFor(const ShellState& state) {
  StripState strip;
  strip.scanning = state.scanning;
  for (const StripButtonLayout& layout : StripButtons()) {
    strip.enabled[static_cast<size_t>(layout.button)] = IsCommandEnabled(layout.command, state);
  }
  return strip;
}

}  // namespace volumist::browse
