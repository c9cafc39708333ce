#include "analysis/archive_tree.h"

#include <algorithm>

#include <limits>

#include "analysis/signatures.h"
#include "catalog/file_name.h"
#include "catalog/file_type_group.h"
#include "catalog/record_writer.h"

namespace volumist {
namespace {

uint64_t AddSaturating(uint64_t a, uint64_t b) {
  return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max() : a + b;
}

bool IsSkippedComponent(std::string_view component) {
  return component.empty() || component == "." || component == "..";
}

uint64_t WriteFolderContents(VolumeWriter& out, const ArchiveFolder& folder, unsigned level, RecordKey parentKey,
                             NestingFields* parent, const ScanOptions& options, ScanStatistics& counters) {
  uint64_t total = 0;
  bool withSignatures = RecordsSignatureBlock(options);
  for (const ArchiveFile& file : folder.files) {
    FileRecord record;
    record.name.Set(file.baseName);
    record.extension.Set(file.extension);
    record.size.Set(file.entry.size);
    record.modifiedTime.Set(file.entry.time);
    record.tag.hasMediaInfo = false;
    record.tag.hasSignatures = withSignatures;
    if (withSignatures) record.signatures = FillSignatureBlock(file.entry, options);
    WriteFileRecord(out, record);
    total = AddSaturating(total, file.entry.size);
  }
  if (!folder.files.empty()) counters.Add({0, 0, 0, 0, static_cast<uint32_t>(folder.files.size())});
  for (const auto& child : folder.folders) {
    FolderRecord record;
    record.name.Set(child->name);
    // The level byte holds depths up to 255; deeper folders keep 255 (their keys say where they lie).
    record.level = static_cast<uint8_t>(std::min<unsigned>(level, 255));
    record.parentKey = parentKey;
    WriteFolderRecord(out, record);
    if (parent) parent->hasSubfolders = true;
    uint64_t size = WriteFolderContents(out, *child, level + 1, record.selfKey, &record, options, counters);
    if (WriteFolderEnd(out, record, options, size)) counters.RaiseArchiveFolder();
    total = AddSaturating(total, size);
  }
  return total;
}

}  // namespace

ArchiveFolder* ArchiveTree::FindOrAddFolder(ArchiveFolder& parent, std::string_view name) {
  auto found = parent.byName.find(name);
  if (found != parent.byName.end()) return found->second;
  auto folder = std::make_unique<ArchiveFolder>();
  folder->name.assign(name);
  ArchiveFolder* added = folder.get();
  parent.folders.push_back(std::move(folder));
  parent.byName.emplace(added->name, added);
  ++nodes_;
  return added;
}

ArchiveTree::AddResult ArchiveTree::AddPath(std::string_view path, char separator, bool isFolder,
                                            const ArchiveEntry& entry, const ScanOptions& options) {
  if (nodes_ >= kMaxNodes) return AddResult::kFull;
  if (!path.empty() && path.back() == separator) isFolder = true;

  // Split off the file's name: what follows the last separator.
  std::string_view fileName;
  std::string_view folders = path;
  if (!isFolder) {
    size_t cut = path.rfind(separator);
    fileName = cut == std::string_view::npos ? path : path.substr(cut + 1);
    folders = cut == std::string_view::npos ? std::string_view() : path.substr(0, cut);
    if (IsSkippedComponent(fileName)) return AddResult::kDropped;
  }

  ArchiveFolder* current = &root_;
  size_t depth = 0;
  while (!folders.empty()) {
    size_t cut = folders.find(separator);
    std::string_view component = folders.substr(0, cut);
    folders = cut == std::string_view::npos ? std::string_view() : folders.substr(cut + 1);
    if (IsSkippedComponent(component)) continue;
    if (++depth > kMaxDepth) return AddResult::kDropped;
    current = FindOrAddFolder(*current, component);
  }
  if (isFolder) return AddResult::kAdded;

  // The extension starts at the extension's dot, unless that dot only starts the name.
  size_t dot = ExtensionDot(fileName);
  std::string_view baseName = fileName;
  std::string_view extension;
  if (dot != std::string_view::npos && dot > 0) {
    baseName = fileName.substr(0, dot);
    extension = fileName.substr(dot);
  }
  if (!MatchesFileTypeGroup(options.fileTypeGroup, extension)) return AddResult::kDropped;
  current->files.push_back({std::string(baseName), std::string(extension), entry});
  ++nodes_;
  return AddResult::kAdded;
}

uint64_t ArchiveTree::WriteToCatalog(VolumeWriter& out, uint8_t level, RecordKey parentKey, const ScanOptions& options,
                                     ScanStatistics& counters) const {
  return WriteFolderContents(out, root_, level, parentKey, nullptr, options, counters);
}

}  // namespace volumist
