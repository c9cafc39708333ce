#include "browse/shell_rules.h"

#include "browse/window_captions.h"
#include "catalog/configuration_format.h"
#include "catalog/messages.h"
#include "catalog/volume_format.h"

namespace volumist::browse {

std::optional<std::string_view> RefuseVolumeDirectory(platform::FileSystem& fileSystem, const std::string& path) {
  if (path.empty() || path.size() > config_format::kVolumeDirectoryMaxLength) return text::kDirectoryNotUsable;
  auto status = fileSystem.Status(path);
  if (!status || !status->isDirectory || !fileSystem.ListDirectory(path)) return text::kDirectoryNotUsable;
  return std::nullopt;
}

std::optional<std::string_view> RefuseVolumeName(std::string_view name) {
  if (name.size() > format::kVolumeNameMaxLength) return messages::kVolumeNameTooLong;
  return std::nullopt;
}

bool OfferToSaveDescriptions(VolumeCatalog* volume, Prompter& prompter) {
  if (volume == nullptr || !volume->IsLoaded() || !volume->HasPendingDescriptions()) return true;
  if (!prompter.AskYesNo(messages::kSaveDescriptionsQuestion)) return true;
  return volume->SaveDescriptions();
}

}  // namespace volumist::browse
