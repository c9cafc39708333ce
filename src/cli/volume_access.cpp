#include "cli/volume_access.h"

#include <sstream>

#include "cli/output_text.h"

namespace volumist::cli {

std::string ResolveVolumeFile(CommandContext& context, const std::string& argument) {
  if (platform::IsAbsolutePath(argument) || context.fileSystem.Status(argument)) return argument;
  return platform::JoinPath(context.volumeDirectory, argument);
}

bool ReportDamage(CommandContext& context, const VolumeCatalog& volume) {
  if (volume.Damage() == VolumeDamage::kNone) return false;
  context.prompter.ShowError(std::string(DamageMessage(volume.Damage())) + " (" + volume.VolumeFilePath() + ")");
  return true;
}

std::optional<std::vector<std::string>> ItemPathArgument(CommandContext& context, const Command& command,
                                                         const std::string& argument) {
  std::string problem;
  auto names = ParseItemPath(argument, problem);
  if (!names) UsageError(context, command, "bad path '" + OnOneLine(argument) + "': " + problem);
  return names;
}

std::string ItemName(const ContentItem& item) {
  const CatalogRecord& record = item.Record();
  return record.name.Text() + record.extension.Text();
}

std::optional<ContentItem> FindItem(VolumeCatalog& volume, const std::vector<std::string>& names) {
  std::optional<ContentItem> current;
  for (const std::string& part : names) {
    std::optional<ContentItem> found;
    auto match = [&](const ContentItem& item) {
      if (ItemName(item) != part) return true;
      found = item;
      return false;
    };
    if (!current) {
      ReadTopLevel(volume, match);
    } else if (current->kind == RecordKind::kFolder) {
      ReadFolderContents(volume, current->folder, match);
    } else if (current->kind == RecordKind::kArchive) {
      ReadFolderContents(volume, current->archive, match);
    }
    if (!found) return std::nullopt;
    current = std::move(found);
  }
  return current;
}

std::string DescribeOptions(const ScanOptions& options) {
  std::ostringstream out;
  out << "fileTypeGroup=" << options.fileTypeGroup;
  auto flag = [&out](bool on, const char* name) {
    if (on) out << ' ' << name;
  };
  flag(options.includeHiddenSystem, "includeHiddenSystem");
  flag(options.ejectAfterScan, "ejectAfterScan");
  flag(options.descriptionPrompt, "descriptionPrompt");
  flag(options.saveAttributes, "saveAttributes");
  flag(options.dropEmptyFolders, "dropEmptyFolders");
  flag(options.scanSubfolders, "scanSubfolders");
  flag(options.usedSingleSource, "usedSingleSource");
  flag(options.usedMultipleSources, "usedMultipleSources");
  flag(options.analyzeArchives, "analyzeArchives");
  flag(options.archiveKindByContent, "archiveKindByContent");
  std::string kinds;
  for (int kind = 1; kind <= kArchiveKindCount; ++kind) {
    if (options.ArchiveKindEnabled(kind)) kinds += (kinds.empty() ? "" : ",") + std::to_string(kind);
  }
  out << " archiveKinds=" << (kinds.empty() ? "none" : kinds);
  flag(options.analyzeImages, "analyzeImages");
  flag(options.quickResize, "quickResize");
  flag(options.accurateCompressing, "accurateCompressing");
  std::string types;
  for (int type = kFirstImageType; type < kFirstImageType + kImageTypeCount; ++type) {
    if (options.ImageTypeEnabled(type)) types += (types.empty() ? "" : ",") + std::to_string(type);
  }
  out << " imageTypes=" << (types.empty() ? "none" : types);
  flag(options.analyzeVideo, "analyzeVideo");
  flag(options.videoAvi, "videoAvi");
  flag(options.videoMpeg, "videoMpeg");
  flag(options.analyzeAudio, "analyzeAudio");
  flag(options.audioMp3, "audioMp3");
  flag(options.computeSignatures, "computeSignatures");
  flag(options.signatureCrc32, "signatureCrc32");
  flag(options.signatureMd5, "signatureMd5");
  flag(options.signatureMd4, "signatureMd4");
  return out.str();
}

}  // namespace volumist::cli
