// The window's icons: drawn for this program (SVG in the resources), or the desktop theme's icon of
// the same meaning where the theme has one. Without a theme (as under Xvfb) ours are used.
#pragma once

#include <QIcon>

#include "browse/command.h"
#include "browse/item_row.h"
#include "scan/volume_presence.h"

namespace volumist::ui {

// Registers the resources of the ui library; call once before the first icon is made.
void InitResources();

QIcon ProgramIcon();
QIcon VolumeIcon();
// The volume icon with the mark of its presence: a green check (present), an amber half (partly
// present), or faded with a dashed ring (absent).
QIcon VolumePresenceIcon(VolumePresence presence);
// The icon of a command-strip button's command, or of a navigation or item command; a null icon for
// commands without one.
QIcon CommandIcon(browse::Command command);
// The icon of a row of its kind (for files the generic file icon).
QIcon ItemKindIcon(browse::RowKind kind);
// Our icon for files of a MIME type's generic icon name ("audio-x-generic"...): audio, video,
// picture, text, archive, or the generic file icon.
QIcon FileKindIcon(const QString& genericIconName);
// The export dialog's column list buttons: move the row up, down, and put the columns back in order.
QIcon MoveUpIcon();
QIcon MoveDownIcon();
QIcon ResetColumnsIcon();

}  // namespace volumist::ui
