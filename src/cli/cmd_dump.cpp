// volumist-cli dump FILE.vkt: every record of the tree with its offset and key, for reviewing the
// bytes a change writes and for debugging readers.
#include <cinttypes>
#include <cstdio>
#include <ostream>

#include "catalog/value_format.h"
#include "catalog/volume_catalog.h"
#include "cli/command.h"
#include "cli/volume_access.h"

namespace volumist::cli {
namespace {

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

std::string Where(uint64_t offset, RecordKey key) {
  char text[48];
  std::snprintf(text, sizeof text, "@%" PRIu64 " key %" PRIu32 ": ", offset, key);
  return text;
}

void DumpNesting(std::ostream& out, const NestingFields& nested) {
  out << " level=" << int{nested.level} << " self=" << nested.selfKey << " end=" << nested.endKey
      << " parent=" << nested.parentKey;
}

void DumpFileFields(std::ostream& out, const FileRecord& file) {
  out << " name=" << Quote(file.name.Text()) << " ext=" << Quote(file.extension.Text()) << " size=" << file.size.Value()
      << " time=" << file.modifiedTime.Value();
  if (file.tag.hasMediaInfo) out << " media=" << int{file.mediaInfo.mediaType};
  if (file.tag.hasSignatures) {
    const SignatureBlock& s = file.signatures;
    out << " attr=" << FormatAttributes(s);
    if (s.hasCrc32) out << " crc32=" << FormatCrc32(s);
    if (s.hasMd4) out << " md4=" << FormatMd4(s);
    if (s.hasMd5) out << " md5=" << FormatMd5(s);
  }
}

int RunDump(CommandContext& context, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(context, kDumpCommand, "expects one volume file");
  VolumeCatalog volume(context.fileSystem, context.prompter);
  if (!volume.OpenVolume(ResolveVolumeFile(context, args[0]))) return kExitFailure;
  std::ostream& out = context.out;
  const VolumeHeader& header = volume.Header();
  out << "tree " << header.treeStart << '-' << header.treeEnd << ", descriptions at " << header.descriptionsStart
      << ", index at " << header.descriptionIndexStart << '\n';
  RecordReader& records = volume.Records();
  uint64_t position = header.treeStart;
  FolderRecord folder;
  FileRecord file;
  ArchiveRecord archive;
  while (position < header.treeEnd) {
    records.Seek(position);
    RecordTag tag = records.ReadTag();
    RecordKey key = static_cast<RecordKey>(position - header.treeStart);
    char tagText[8];
    std::snprintf(tagText, sizeof tagText, "%02X", tag.Encode());
    out << Where(position, key);
    bool ok = true;
    switch (tag.kind) {
      case RecordKind::kSourceMark: {
        auto number = records.ReadSourceMark();
        ok = number.has_value();
        out << "mark " << number.value_or(0);
        break;
      }
      case RecordKind::kFolder:
        ok = records.ReadFolderRecord(tag, folder);
        out << "folder" << (tag.isSourceRoot ? " (source root)" : "") << " name=" << Quote(folder.name.Text())
            << " size=" << folder.size.Value();
        DumpNesting(out, folder);
        break;
      case RecordKind::kFile:
        ok = records.ReadFileRecord(tag, file);
        out << "file " << tagText;
        DumpFileFields(out, file);
        break;
      case RecordKind::kArchive:
        ok = records.ReadArchiveRecord(tag, archive);
        out << "archive " << tagText << " kind=" << int{archive.archiveKind};
        DumpFileFields(out, archive);
        DumpNesting(out, archive);
        break;
      case RecordKind::kFolderEnd:
        out << "end" << (tag.hasSubfolders ? " (has sub-folders)" : "");
        break;
      case RecordKind::kDescriptionIndex:
        out << "index mark";
        break;
      case RecordKind::kNone:
        out << "none: end of data\n";
        return ReportDamage(context, volume) ? kExitFailure : kExitOk;
      case RecordKind::kUnknown:
        ok = false;
        break;
    }
    if (!ok) {
      out << " <damaged>\n";
      return kExitFailure;
    }
    out << '\n';
    position = records.Position();
  }
  return ReportDamage(context, volume) ? kExitFailure : kExitOk;
}

}  // namespace

const Command kDumpCommand = {
    "dump",
    "FILE.vkt",
    "print every record of a volume's tree with its offset and key",
    "Prints the tree's bounds, then one line per record in file order:\n"
    "  @OFFSET key KEY: KIND FIELDS...\n"
    "KIND is mark, folder, file, archive, end or index mark; files and archives\n"
    "show their tag byte in hex. A record that cannot be read ends the dump with\n"
    "<damaged> and exit status 1.\n"
    "A volume whose header does not agree with itself or whose description index is\n"
    "damaged is dumped all the same, then reported on stderr with exit status 1.\n",
    RunDump,
};

}  // namespace volumist::cli
