// Icons of drives and sources in the scan dialogs, and of the properties command: drawn for this
// program, or the desktop theme's icon of the same meaning where the theme has one.
#pragma once

#include <QIcon>
#include <cstdint>

namespace volumist::ui {

// The icon of a drive kind code (fixed, removable, CD-ROM, network, RAM disk); fixed for others.
QIcon DriveIcon(uint8_t driveType);
QIcon FolderIcon();
// The tree dialog's plus and minus buttons.
QIcon AddSourceIcon();
QIcon RemoveSourceIcon();
QIcon PropertiesIcon();

}  // namespace volumist::ui
