// volumist-cli info FILE.vkt: the header, counters, options and sources of a volume file.
#include <ostream>

#include "catalog/value_format.h"
#include "catalog/volume_catalog.h"
#include "cli/command.h"
#include "cli/volume_access.h"

namespace volumist::cli {
namespace {

void PrintSource(std::ostream& out, const SourceEntry& source) {
  out << "source " << source.sourceIndex << '\n'
      << "  name: " << source.sourceName.Text() << '\n'
      << "  kind: " << (source.isFolderSource ? "folder" : "drive") << '\n'
      << "  root path: " << source.rootPath.Text() << '\n'
      << "  label: " << source.volumeLabel.Text() << '\n'
      << "  file system: " << source.fileSystemName.Text() << '\n'
      << "  drive type: " << int{source.driveType} << " (" << DriveTypeName(source.driveType) << ")\n"
      << "  serial: " << FormatSerialNumber(source.serialNumber) << '\n'
      << "  capacity: " << source.totalBytes << '\n'
      << "  free: " << source.freeBytes << '\n'
      << "  scan again: " << (source.scanAgain ? "yes" : "no") << '\n'
      << "  keys: " << source.treeStartKey << '-' << source.treeEndKey << '\n'
      << "  options: " << DescribeOptions(source.options) << '\n';
}

int RunInfo(CommandContext& context, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(context, kInfoCommand, "expects one volume file");
  VolumeCatalog volume(context.fileSystem, context.prompter);
  if (!volume.OpenVolume(ResolveVolumeFile(context, args[0]))) return kExitFailure;
  const VolumeHeader& header = volume.Header();
  Counters counters = header.counters.Snapshot();
  std::ostream& out = context.out;
  out << "file: " << volume.VolumeFilePath() << '\n'
      << "name: " << header.volumeName << '\n'
      << "file size: " << volume.VolumeFileSize().Value() << '\n'
      << "modified: " << FormatDateTime(volume.VolumeFileTime()) << '\n'
      << "content size: " << header.contentSize.Value() << " (" << FormatSizeShort(header.contentSize) << ")\n"
      << "folders: " << counters.folderCount << '\n'
      << "files: " << counters.fileCount << '\n'
      << "archives: " << counters.archiveCount << '\n'
      << "folders in total: " << counters.totalFolderCount << '\n'
      << "files in total: " << counters.totalFileCount << '\n'
      << "tree: " << header.treeStart << '-' << header.treeEnd << '\n'
      << "descriptions: " << header.descriptionsStart << '-' << header.descriptionIndexStart << '\n'
      << "options: " << DescribeOptions(header.scanOptions) << '\n'
      << "sources: " << volume.Sources().size() << '\n';
  for (const SourceEntry& source : volume.Sources().Entries()) PrintSource(out, source);
  return ReportDamage(context, volume) ? kExitFailure : kExitOk;
}

}  // namespace

const Command kInfoCommand = {
    "info",
    "FILE.vkt",
    "show a volume's header, counters, options and sources",
    "Prints one \"key: value\" line per header field, then one block per source:\n"
    "  file, name, file size, modified, content size, folders, files, archives,\n"
    "  folders in total, files in total, tree (start-end offsets), descriptions\n"
    "  (area start-index start), options, sources (count); then for each source\n"
    "  \"source N\" and indented lines: name, kind (folder or drive), root path, label,\n"
    "  file system, drive type (code and name), serial, capacity, free, scan again,\n"
    "  keys (start-end), options.\n"
    "Options are listed as fileTypeGroup=N, the names of the switches that are on,\n"
    "archiveKinds=codes and imageTypes=media types.\n",
    RunInfo,
};

}  // namespace volumist::cli
