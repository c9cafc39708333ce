// The window's icons: drawn for this program (SVG in the resources), or the desktop theme's icon of
// the same meaning where the theme has one. Without a theme (as under Xvfb) ours are used.
#pragma once

#include <QIcon>

#include "browse/command.h"

namespace volumist::ui {

// Registers the resources of the ui library; call once before the first icon is made.
void InitResources();

QIcon ProgramIcon();
QIcon VolumeIcon();
// The icon of a command-strip button's command; a null icon for commands without one.
QIcon CommandIcon(browse::Command command);

}  // namespace volumist::ui
