#include "export/manifest_exporter.h"

#include <vector>

#include "catalog/folder_chain.h"
#include "catalog/item_path.h"
#include "catalog/messages.h"
#include "catalog/tree_walk.h"
#include "catalog/volume_writer.h"
#include "export/messages.h"
#include "platform/file_replacement.h"

namespace volumist {

ManifestExporter::ManifestExporter(VolumeCatalog& volume, ExportOptions options, platform::FileSystem& fileSystem,
                                   Prompter& prompter)
    : volume_(volume), options_(std::move(options)), fileSystem_(fileSystem), prompter_(prompter) {}

bool ManifestExporter::Run(ManifestRowWriter& rows) {
  totals_ = {};
  if (!volume_.IsLoaded()) return false;
  if (options_.outputPath.empty()) {
    prompter_.ShowError(messages::kCouldNotWriteList);
    return false;
  }
  // Renaming the list over the volume being read would lose the catalog; through a link too.
  if (platform::WouldReplaceFile(fileSystem_, options_.outputPath, volume_.VolumeFilePath())) {
    prompter_.ShowError(messages::kListWouldReplaceVolume);
    return false;
  }
  VolumeWriter writer(fileSystem_, prompter_, kBufferSize, VolumeWriter::kNoSizeLimit);
  switch (writer.OpenReplacing(options_.outputPath)) {
    case platform::FileError::kNone: break;
    case platform::FileError::kNotRegularFile: prompter_.ShowError(messages::kListTargetNotRegular); return false;
    default: prompter_.ShowError(messages::kCantCreateTemporaryFile); return false;
  }
  if (!WriteList(rows, writer)) return false;
  if (writer.Finish() == VolumeWriter::FinishResult::kDone) return true;
  prompter_.ShowError(messages::kCouldNotWriteList);
  return false;
}

bool ManifestExporter::Run(ManifestRowWriter& rows, std::unique_ptr<platform::File> stream) {
  totals_ = {};
  if (!volume_.IsLoaded()) return false;
  VolumeWriter writer(fileSystem_, prompter_, kBufferSize, VolumeWriter::kNoSizeLimit);
  writer.OpenStream(std::move(stream));
  if (!WriteList(rows, writer)) return false;
  if (writer.Finish() == VolumeWriter::FinishResult::kDone) return true;
  prompter_.ShowError(messages::kCouldNotWriteList);
  return false;
}

namespace {

// AppendName, without its escape pass for the common name of printable ASCII.
void AppendPathName(std::string& path, std::string_view name) {
  bool plain = true;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    plain &= byte >= 0x20 && byte < 0x7F && c != '\\' && c != '/';
  }
  if (!plain) {
    AppendName(path, name);
    return;
  }
  if (!path.empty()) path += '/';
  path += name;
}

// One open folder or archive of the walk: the path lengths to restore when it is left.
struct Level {
  size_t diskLength;
  size_t itemLength;
  bool isArchive;
  bool skipped;  // its contents are walked but not written
};

}  // namespace

bool ManifestExporter::WriteList(ManifestRowWriter& rows, VolumeWriter& writer) {
  const bool allItems = rows.ItemScope() == ManifestRowWriter::Scope::kAllItems;
  const bool severalSources = volume_.Sources().size() > 1;
  // The start of a source's disk paths: its name when the volume holds several.
  auto sourcePrefix = [&](const SourceEntry* source) {
    std::string prefix;
    if (severalSources && source != nullptr) prefix = source->sourceName.Text() + "/";
    return prefix;
  };

  TreeWalker walker(volume_, false);
  std::string diskPath;  // the open level's disk path, "" or ending with "/"
  std::string itemPath;  // the open level's item path, without a closing "/"
  int archiveDepth = 0;
  if (options_.startPosition == 0) {
    walker.Start();
  } else {
    std::optional<std::vector<ChainLink>> chain = ReadFolderChain(volume_, options_.startPosition);
    if (!chain || chain->empty() || chain->back().key != options_.startPosition) {
      prompter_.ShowError(messages::kExportVolumeDamaged);
      return false;
    }
    diskPath = sourcePrefix(volume_.FindSourceForKey(options_.startPosition));
    for (const ChainLink& link : *chain) {
      if (link.isArchive) ++archiveDepth;
      AppendName(itemPath, link.name);
      if (link.isSourceRoot) continue;
      diskPath += link.name;
      diskPath += '/';
    }
    walker.StartInside(chain->back().nesting);
  }
  std::string buffer;
  buffer.reserve(1 << 16);
  rows.Begin(buffer);
  std::vector<Level> levels;
  std::string wholeName;
  std::string itemScratch;
  std::string diskScratch;
  std::optional<std::string> description;
  ManifestItem item;

  // Writes the item whose record was just read; `own` is the level the walker just opened for it
  // (folders and archives), so the paths are those of its parent.
  auto emit = [&](ItemKind kind, const CatalogRecord& record, const FileRecord* file, RecordKey key,
                  RecordKey descriptionKey, size_t parentDisk, size_t parentItem) {
    const bool inArchive = archiveDepth > 0;
    if (!allItems) {
      if (kind == ItemKind::kFolder) return;
      if (inArchive) {
        ++totals_.archiveMembers;
        return;
      }
    }
    wholeName.assign(record.name.Text());
    wholeName += record.extension.Text();
    itemScratch.assign(itemPath, 0, parentItem);
    AppendPathName(itemScratch, wholeName);
    diskScratch.assign(diskPath, 0, parentDisk);
    diskScratch += wholeName;
    item.kind = kind;
    item.inArchive = inArchive;
    item.record = &record;
    item.file = file;
    item.name = wholeName;
    item.diskPath = diskScratch;
    item.itemPath = itemScratch;
    item.source = volume_.FindSourceForKey(key);
    item.description = nullptr;
    if (rows.WantsDescriptions()) {
      description = volume_.GetDescription(descriptionKey);
      if (description) item.description = &*description;
    }
    switch (rows.Row(item, buffer)) {
      case RowOutcome::kWritten: ++totals_.written; break;
      case RowOutcome::kNoSignature: ++totals_.noSignature; break;
      case RowOutcome::kUnwritable: ++totals_.unwritable; break;
    }
    if (buffer.size() >= (1 << 16)) {
      writer.Write(buffer.data(), buffer.size());
      totals_.outputBytes += buffer.size();
      buffer.clear();
    }
  };

  bool damaged = false;
  for (bool done = false; !done && !damaged;) {
    if (!writer.ok()) break;  // the finish reports it
    const bool skipping = !levels.empty() && levels.back().skipped;
    TreeWalker::Step step = walker.Next();
    switch (step) {
      case TreeWalker::Step::kSourceMark: break;
      case TreeWalker::Step::kFolder: {
        const FolderRecord& folder = walker.Folder();
        const RecordKey key = walker.Key();
        const bool top = levels.empty() && options_.startPosition == 0;
        if (top) {
          // A new source may start here: its disk paths start afresh.
          diskPath = sourcePrefix(volume_.FindSourceForKey(key));
          itemPath.clear();
        }
        const size_t parentDisk = diskPath.size();
        const size_t parentItem = itemPath.size();
        const SourceEntry* source = top ? volume_.FindSourceForKey(key) : nullptr;
        const bool sourceRoot = source != nullptr && source->isFolderSource && key == source->treeStartKey;
        if (!skipping && !sourceRoot) {
          emit(ItemKind::kFolder, folder, nullptr, key, folder.selfKey, parentDisk, parentItem);
        }
        AppendName(itemPath, folder.name.Text());
        if (!sourceRoot) {
          diskPath += folder.name.Text();
          diskPath += '/';
        }
        // Below the start (or below a source's root) a folder's contents are written only with
        // subfolders; inside archives always.
        const bool descend = options_.includeSubfolders || archiveDepth > 0 || sourceRoot;
        levels.push_back({parentDisk, parentItem, false, skipping || !descend});
        break;
      }
      case TreeWalker::Step::kArchive: {
        const ArchiveRecord& archive = walker.Archive();
        const RecordKey key = walker.Key();
        if (levels.empty() && options_.startPosition == 0) {
          diskPath = sourcePrefix(volume_.FindSourceForKey(key));
          itemPath.clear();
        }
        const size_t parentDisk = diskPath.size();
        const size_t parentItem = itemPath.size();
        if (!skipping) emit(ItemKind::kArchive, archive, &archive, key, archive.selfKey, parentDisk, parentItem);
        ++archiveDepth;
        AppendName(itemPath, archive.name.Text() + archive.extension.Text());
        diskPath += archive.name.Text();
        diskPath += archive.extension.Text();
        diskPath += '/';
        // Members are written by the lists of all items when archive contents are chosen; the
        // checksum lists walk them only to count them.
        const bool descend = allItems ? options_.saveArchiveContent : true;
        levels.push_back({parentDisk, parentItem, true, skipping || !descend});
        break;
      }
      case TreeWalker::Step::kFile: {
        const FileRecord& file = walker.File();
        const RecordKey key = walker.Key();
        if (levels.empty() && options_.startPosition == 0) {
          diskPath = sourcePrefix(volume_.FindSourceForKey(key));
          itemPath.clear();
        }
        if (!skipping) {
          emit(ItemKind::kFile, file, &file, key, FileDescriptionKey(key), diskPath.size(), itemPath.size());
        }
        break;
      }
      case TreeWalker::Step::kLeave:
        if (levels.empty()) {
          damaged = true;
          break;
        }
        if (levels.back().isArchive) --archiveDepth;
        diskPath.resize(levels.back().diskLength);
        itemPath.resize(levels.back().itemLength);
        levels.pop_back();
        break;
      case TreeWalker::Step::kEnd: done = true; break;
      case TreeWalker::Step::kDamaged: damaged = true; break;
    }
  }
  if (!damaged && (!levels.empty() || volume_.Records().Input().HadError())) damaged = true;
  if (damaged) {
    // The writer removes its temporary file.
    prompter_.ShowError(messages::kExportVolumeDamaged);
    return false;
  }
  writer.Write(buffer.data(), buffer.size());
  totals_.outputBytes += buffer.size();
  return true;
}

}  // namespace volumist
