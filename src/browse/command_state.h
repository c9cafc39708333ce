// Which commands the main window offers in each of its states. One table for the strip's buttons,
// the menu entries and the keys alike, so that a key never reaches a command whose button is off.
#pragma once

#include <array>

#include "browse/command.h"
#include "browse/command_strip.h"

namespace volumist::browse {

struct ShellState {
  bool volumeLoaded = false;
  bool pendingEdits = false;  // the loaded volume has description edits not yet applied
  bool scanning = false;
  // The loaded volume's folder shown: whether Back and Forward have somewhere to go and whether it
  // is the root (Up has nowhere to go).
  bool canGoBack = false;
  bool canGoForward = false;
  bool atRoot = true;

  friend bool operator==(const ShellState&, const ShellState&) = default;
};

// While a scan runs only "Options", "Help" (with its entries) and "Stop" are on: nothing may start
// a second scan, touch the volume list or read the loaded volume, whose file the scan has closed.
// Otherwise "Apply" and "Undo" follow the pending edits and "Stop" is off. The update entries and
// "... from this file list" are not offered. Commands that need a loaded volume stay on without one and say so when used;
// navigation needs one and somewhere to go (Back and Forward their history, Up a folder other than
// the root).
bool IsCommandEnabled(Command command, const ShellState& state);

// The strip's buttons as IsCommandEnabled has their commands.
StripState StripStateFor(const ShellState& state);

}  // namespace volumist::browse
