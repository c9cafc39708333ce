#include "browse/properties_rules.h"

#include <cinttypes>
#include <cstdio>

#include "catalog/folder_chain.h"
#include "catalog/value_format.h"

namespace volumist::browse {
namespace {

std::string CountPair(uint32_t count, uint32_t total) {
  char text[48];
  std::snprintf(text, sizeof text, "%" PRIu32 "  (%" PRIu32 ")", count, total);
  return text;
}

std::string FullName(const CatalogRecord& record) { return record.name.Text() + record.extension.Text(); }

// "/" followed by the names of the folders and archives from the top down to `containerKey`.
std::string LocationOf(VolumeCatalog& volume, RecordKey containerKey) {
  std::string location = "/";
  if (containerKey == 0) return location;
  std::optional<std::vector<ChainLink>> chain = ReadFolderChain(volume, containerKey);
  if (!chain) return location;
  for (size_t i = 0; i < chain->size(); ++i) {
    if (i > 0) location += '/';
    location += (*chain)[i].name;
  }
  return location;
}

ItemProperties DescribeItem(VolumeCatalog& volume, const PropertiesItem& given) {
  const ContentItem& item = given.item;
  ItemProperties shown;
  const CatalogRecord& record = item.Record();
  switch (item.kind) {
    case RecordKind::kFolder:
      shown.kind = item.folder.tag.isSourceRoot ? PropertiesItemKind::kSourceRoot : PropertiesItemKind::kFolder;
      shown.name = item.folder.name.Text();
      break;
    case RecordKind::kArchive:
      shown.kind = PropertiesItemKind::kArchive;
      shown.name = FullName(record);
      break;
    default:
      shown.kind = PropertiesItemKind::kFile;
      shown.name = FullName(record);
      break;
  }
  if (given.isUpEntry) {
    shown.kind = PropertiesItemKind::kUpEntry;
    shown.name = text::kUpEntryName;
  }
  shown.location = LocationOf(volume, given.containerKey);
  shown.size = FormatSizeShort(record.size) + "  (" + FormatSizeGrouped(record.size, true) + ")";
  if (shown.kind == PropertiesItemKind::kFile || shown.kind == PropertiesItemKind::kArchive) {
    const FileRecord& file = item.kind == RecordKind::kArchive ? item.archive : item.file;
    shown.created = FormatDateTime(file.modifiedTime);
    if (record.tag.hasSignatures) {
      shown.archive = file.signatures.attrArchive;
      shown.hidden = file.signatures.attrHidden;
      shown.system = file.signatures.attrSystem;
      shown.readOnly = file.signatures.attrReadOnly;
    }
  }
  shown.descriptionEditable = !given.isUpEntry;
  if (shown.descriptionEditable) {
    shown.descriptionKey = item.DescriptionKey();
    shown.description = volume.GetDescription(shown.descriptionKey).value_or(std::string());
  }
  return shown;
}

MediaProperties DescribeMedium(const SourceEntry& source, bool present) {
  MediaProperties media;
  media.label = source.volumeLabel.Text();
  media.type = DriveTypeName(source.driveType);
  media.serial = FormatSerialNumber(source.serialNumber);
  media.fileSystem = source.fileSystemName.Text();
  media.scanPath = source.rootPath.Text();
  media.present = present ? text::kPresentYes : text::kPresentNo;
  media.pie = MakeMediaPie(source.totalBytes, source.freeBytes);
  return media;
}

}  // namespace

PropertiesData GatherProperties(VolumeCatalog& volume, const std::optional<PropertiesItem>& item,
                                const std::function<bool(const SourceEntry&)>& isMediumPresent) {
  PropertiesData data;
  if (item) data.item = DescribeItem(volume, *item);

  const VolumeHeader& header = volume.Header();
  Counters counters = header.counters.Snapshot();
  data.volume.name = header.volumeName;
  data.volume.folders = CountPair(counters.folderCount, counters.totalFolderCount);
  data.volume.files = CountPair(counters.fileCount, counters.totalFileCount);
  data.volume.archives = std::to_string(counters.archiveCount);
  data.volume.fileSize = FormatSizeGrouped(volume.VolumeFileSize(), true);
  data.volume.created = FormatDateTime(volume.VolumeFileTime());
  data.volume.description = volume.GetDescription(0).value_or(std::string());

  const SourceEntry* source = nullptr;
  if (item) {
    source = volume.FindSourceForKey(item->item.key);
  } else if (!volume.Sources().empty()) {
    source = &volume.Sources()[0];
  }
  if (source != nullptr) data.media = DescribeMedium(*source, isMediumPresent && isMediumPresent(*source));
  return data;
}

PropertiesOutcome ApplyPropertiesEdits(VolumeCatalog& volume, const PropertiesData& shown, const PropertiesEdits& edits) {
  PropertiesOutcome outcome;
  if (edits.volumeDescription != shown.volume.description) {
    outcome.volumeDescriptionChanged = volume.SetDescription(0, edits.volumeDescription);
    outcome.failed |= !outcome.volumeDescriptionChanged;
  }
  if (shown.item && shown.item->descriptionEditable && edits.itemDescription != shown.item->description) {
    outcome.itemDescriptionChanged = volume.SetDescription(shown.item->descriptionKey, edits.itemDescription);
    outcome.failed |= !outcome.itemDescriptionChanged;
  }
  if (edits.volumeName != shown.volume.name) {
    outcome.renamed = volume.SetVolumeName(edits.volumeName);
    outcome.failed |= !outcome.renamed;
  }
  return outcome;
}

}  // namespace volumist::browse
