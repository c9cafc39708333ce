// Rules of the main window's commands that need no toolkit: whether a chosen folder can become the
// volume directory, whether a new volume name fits, and the question about pending description
// edits before the loaded volume goes away.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalog/prompter.h"
#include "catalog/volume_catalog.h"
#include "platform/file_system.h"

namespace volumist::browse {

// Nothing when `path` (absolute) can be the volume directory: a directory that can be listed, whose
// path fits the configuration file's field (499 bytes). Otherwise the message that refuses it.
std::optional<std::string_view> RefuseVolumeDirectory(platform::FileSystem& fileSystem, const std::string& path);

// Nothing when `name` fits the volume file's name field (255 bytes), else the message that refuses it.
std::optional<std::string_view> RefuseVolumeName(std::string_view name);

// Before the loaded volume is closed (another volume is loaded, the window closes, a scan starts):
// when it has pending description edits, asks "You did changes of descriptions in current volume.
// Do you want to save them?". True when the volume may go: no edits, No (the edits are dropped with
// the volume), or Yes and a save that succeeded. False when the save failed: the save has shown its
// message, the volume stays loaded and the edits stay pending. A null volume may always go.
[[nodiscard]] bool OfferToSaveDescriptions(VolumeCatalog* volume, Prompter& prompter);

}  // namespace volumist::browse
