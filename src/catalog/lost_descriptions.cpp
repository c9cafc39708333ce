#include "catalog/lost_descriptions.h"

#include <cstdio>

#include "catalog/volume_writer.h"
#include "platform/local_time.h"

namespace volumist {

std::string LostDescriptionsPath(const std::string& volumeFile) {
  std::string base = volumeFile;
  constexpr std::string_view kExtension = ".vkt";
  const std::string name = platform::BaseNameOf(volumeFile);
  if (name.size() > kExtension.size() && name.ends_with(kExtension)) base.resize(base.size() - kExtension.size());
  return base + ".lost-descriptions.txt";
}

std::string FormatLostDescriptions(const std::string& volumeName, const std::string& volumeFile, int64_t when,
                                   const std::vector<LostDescription>& descriptions) {
  char date[64] = "?";
  if (std::optional<std::tm> local = platform::ToLocalTime(when)) {
    std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d", local->tm_year + 1900, local->tm_mon + 1,
                  local->tm_mday, local->tm_hour, local->tm_min);
  }
  std::string text = "Descriptions lost when the volume \"" + volumeName + "\" (" + platform::BaseNameOf(volumeFile) +
                     ") was rescanned on " + date + ":\n";
  for (const LostDescription& lost : descriptions) {
    text += '\n';
    text += lost.path.empty() ? "(no item)" : lost.path;
    text += "\n\t";
    for (char c : lost.text) {
      text += c;
      if (c == '\n') text += '\t';
    }
    text += '\n';
  }
  text += '\n';
  return text;
}

bool AppendToTextFile(platform::FileSystem& fileSystem, Prompter& prompter, const std::string& path,
                      const std::string& section) {
  VolumeWriter writer(fileSystem, prompter, format::kVolumeBufferSize, VolumeWriter::kNoSizeLimit);
  // The lock is held from reading the old text to the rename, so two rescans in one folder keep both.
  if (writer.OpenReplacing(path, {true, platform::kDefaultLockWait}) != platform::FileError::kNone) return false;
  if (platform::File* old = writer.Replacement().LockedTarget()) {
    std::optional<uint64_t> size = old->Size();
    if (!size || !writer.CopyFrom(*old, 0, *size)) return false;
  }
  writer.Write(section.data(), section.size());
  return writer.Finish() == VolumeWriter::FinishResult::kDone;
}

}  // namespace volumist
