#include "testing/memory_tree.h"

#include "catalog/record_writer.h"

namespace volumist::testing {
namespace {

// As the scan stores it: depths beyond 255 keep 255.
uint8_t Deeper(uint8_t level) { return level == 255 ? level : static_cast<uint8_t>(level + 1); }

}  // namespace

MemoryNode MemoryNode::Folder(std::string name, std::vector<MemoryNode> children) {
  MemoryNode node;
  node.kind = Kind::kFolder;
  node.name = std::move(name);
  node.children = std::move(children);
  return node;
}

MemoryNode MemoryNode::File(std::string name, std::string extension, uint64_t size, int64_t time) {
  MemoryNode node;
  node.kind = Kind::kFile;
  node.name = std::move(name);
  node.extension = std::move(extension);
  node.size = size;
  node.time = time;
  return node;
}

MemoryNode MemoryNode::Archive(std::string name, std::string extension, uint64_t size, uint8_t kind,
                               std::vector<MemoryNode> children) {
  MemoryNode node = File(std::move(name), std::move(extension), size);
  node.kind = Kind::kArchive;
  node.archiveKind = kind;
  node.children = std::move(children);
  return node;
}

void MemoryTreeWriter::DescribeSource(const ScanSource&, SourceEntry& entry) {
  // Sources are described in job order before any is written.
  const MemorySource& memory = sources_.at(described_++);
  entry.volumeLabel.Set(memory.volumeLabel);
  entry.fileSystemName.Set(memory.fileSystemName);
  entry.driveType = memory.driveType;
  entry.serialNumber = memory.serialNumber;
  entry.totalBytes = memory.totalBytes;
  entry.freeBytes = memory.freeBytes;
}

bool MemoryTreeWriter::WriteChildren(VolumeWriter& out, const std::vector<MemoryNode>& children,
                                     NestingFields* parent, uint8_t level, RecordKey parentKey, bool insideArchive,
                                     uint64_t& size) {
  for (const MemoryNode& node : children) {
    if (!NextRecord()) return false;
    switch (node.kind) {
      case MemoryNode::Kind::kFolder: {
        FolderRecord folder;
        folder.name.Set(node.name);
        folder.level = level;
        folder.parentKey = parentKey;
        WriteFolderRecord(out, folder);
        if (parent) parent->hasSubfolders = true;
        uint64_t folderSize = 0;
        if (!WriteChildren(out, node.children, &folder, Deeper(level), folder.selfKey, insideArchive, folderSize)) {
          return false;
        }
        if (WriteFolderEnd(out, folder, *options_, folderSize)) {
          if (insideArchive) {
            counters_->RaiseArchiveFolder();
          } else {
            counters_->RaiseFolder();
          }
        }
        size += folderSize;
        break;
      }
      case MemoryNode::Kind::kFile: {
        FileRecord file;
        file.name.Set(node.name);
        file.extension.Set(node.extension);
        file.size.Set(node.size);
        file.modifiedTime.Set(node.time);
        file.tag.hasMediaInfo = node.hasMediaInfo && !insideArchive;
        file.mediaInfo = node.mediaInfo;
        file.tag.hasSignatures = node.hasSignatures;
        file.signatures = node.signatures;
        WriteFileRecord(out, file);
        size += node.size;
        if (insideArchive) {
          counters_->RaiseArchiveFile();
        } else {
          counters_->RaiseFile();
        }
        break;
      }
      case MemoryNode::Kind::kArchive: {
        ArchiveRecord archive;
        archive.name.Set(node.name);
        archive.extension.Set(node.extension);
        archive.size.Set(node.size);
        archive.modifiedTime.Set(node.time);
        archive.archiveKind = node.archiveKind;
        archive.tag.hasSignatures = node.hasSignatures;
        archive.signatures = node.signatures;
        archive.level = level;
        archive.parentKey = parentKey;
        WriteArchiveRecord(out, archive);
        if (parent) parent->hasSubfolders = true;
        uint64_t contentsSize = 0;
        if (!WriteChildren(out, node.children, &archive, Deeper(level), archive.selfKey, true, contentsSize)) {
          return false;
        }
        if (WriteFolderEnd(out, archive, *options_, contentsSize)) {
          counters_->RaiseArchive();
          size += node.size;  // an archive adds its own size, not its contents'
        }
        break;
      }
    }
  }
  return out.ok();
}

bool MemoryTreeWriter::WriteSources(VolumeWriter& out, const ScanJob& job, SourceList& sources, size_t firstIndex,
                                    ScanStatistics& counters, uint64_t& totalSize) {
  options_ = &job.Options();
  counters_ = &counters;
  for (size_t i = 0; i < job.sources.size(); ++i) {
    const std::vector<MemoryNode>& children = sources_.at(i).children;
    auto contents = [&](VolumeWriter& writer, FolderRecord* root, uint8_t level, RecordKey parentKey,
                        uint64_t& size) {
      uint64_t rootSize = 0;
      if (!WriteChildren(writer, children, root, level, parentKey, false, rootSize)) return false;
      if (root != nullptr && WriteFolderEnd(writer, *root, *options_, rootSize)) counters_->RaiseFolder();
      size += rootSize;
      return true;
    };
    if (!WriteSourceFrame(out, sources[firstIndex + i], static_cast<uint16_t>(i), job.Options(), contents, totalSize)) {
      return false;
    }
  }
  return true;
}

}  // namespace volumist::testing
