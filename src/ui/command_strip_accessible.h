// The command strip as screen readers and automation see it: a tool bar whose children are its shown
// buttons, each with its caption as name, its tooltip as description, its key, a role (push button,
// menu button, or split button with a drop-down), its state (disabled, hot, focused) and the actions
// "Press" and "ShowMenu".
#pragma once

#include "browse/command_strip.h"

namespace volumist::ui {

// Installs the factory that gives every CommandStripWidget its accessible interface; once per process.
void InstallCommandStripAccessibility();

// The index among the accessible children of `button` (the shown buttons in their order of
// enumeration), -1 when it is hidden.
int AccessibleChildIndex(browse::StripButton button, bool scanning);

}  // namespace volumist::ui
