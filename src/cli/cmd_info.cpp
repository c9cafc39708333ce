// volumist-cli info FILE.vkt [--json]: the header, counters, options and sources of a volume file.
#include <ostream>

#include "catalog/value_format.h"
#include "catalog/volume_catalog.h"
#include "cli/command.h"
#include "cli/json_output.h"
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

Json SourceObject(const SourceEntry& source) {
  Json object = Json::object();
  object["index"] = source.sourceIndex;
  PutText(object, "name", source.sourceName.Text());
  object["kind"] = source.isFolderSource ? "folder" : "drive";
  PutText(object, "rootPath", source.rootPath.Text());
  PutText(object, "label", source.volumeLabel.Text());
  PutText(object, "fileSystem", source.fileSystemName.Text());
  object["driveType"] = source.driveType;
  object["driveTypeName"] = DriveTypeName(source.driveType);
  object["serial"] = FormatSerialNumber(source.serialNumber);
  object["serialNumber"] = source.serialNumber;
  object["capacity"] = source.totalBytes;
  object["free"] = source.freeBytes;
  object["scanAgain"] = source.scanAgain;
  object["keys"] = {{"start", source.treeStartKey}, {"end", source.treeEndKey}};
  object["options"] = DescribeOptions(source.options);
  return object;
}

Json VolumeDocument(VolumeCatalog& volume) {
  const VolumeHeader& header = volume.Header();
  Counters counters = header.counters.Snapshot();
  Json document = Json::object();
  PutText(document, "file", volume.VolumeFilePath());
  PutText(document, "name", header.volumeName);
  document["fileSize"] = volume.VolumeFileSize().Value();
  PutTime(document, "modified", volume.VolumeFileTime());
  document["contentSize"] = header.contentSize.Value();
  document["folders"] = counters.folderCount;
  document["files"] = counters.fileCount;
  document["archives"] = counters.archiveCount;
  document["totalFolders"] = counters.totalFolderCount;
  document["totalFiles"] = counters.totalFileCount;
  document["tree"] = {{"start", header.treeStart}, {"end", header.treeEnd}};
  document["descriptions"] = {{"start", header.descriptionsStart}, {"indexStart", header.descriptionIndexStart}};
  document["options"] = DescribeOptions(header.scanOptions);
  Json sources = Json::array();
  for (const SourceEntry& source : volume.Sources().Entries()) sources.push_back(SourceObject(source));
  document["sources"] = std::move(sources);
  const char* damage = DamageMessage(volume.Damage());
  document["damage"] = *damage == '\0' ? Json(nullptr) : Json(damage);
  return document;
}

int RunInfo(CommandContext& context, const std::vector<std::string>& argv) {
  std::vector<std::string> args;
  bool json = false;
  for (const std::string& arg : argv) {
    if (arg == "--json") {
      json = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(context, kInfoCommand, "unknown option " + arg);
    } else {
      args.push_back(arg);
    }
  }
  if (args.size() != 1) return UsageError(context, kInfoCommand, "expects one volume file");
  VolumeCatalog volume(context.fileSystem, context.prompter);
  if (!volume.OpenVolume(ResolveVolumeFile(context, args[0]))) return kExitFailure;
  if (json) {
    WriteJsonDocument(context.out, VolumeDocument(volume));
    return ReportDamage(context, volume) ? kExitFailure : kExitOk;
  }
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
    "FILE.vkt [--json]",
    "show a volume's header, counters, options and sources",
    "Prints one \"key: value\" line per header field, then one block per source:\n"
    "  file, name, file size, modified, content size, folders, files, archives,\n"
    "  folders in total, files in total, tree (start-end offsets), descriptions\n"
    "  (area start-index start), options, sources (count); then for each source\n"
    "  \"source N\" and indented lines: name, kind (folder or drive), root path, label,\n"
    "  file system, drive type (code and name), serial, capacity, free, scan again,\n"
    "  keys (start-end), options.\n"
    "Options are listed as fileTypeGroup=N, the names of the switches that are on,\n"
    "archiveKinds=codes and imageTypes=media types.\n"
    "With --json: one JSON document with the same fields under the names file, name,\n"
    "fileSize, modified, modifiedIso, contentSize, folders, files, archives,\n"
    "totalFolders, totalFiles, tree {start, end}, descriptions {start, indexStart},\n"
    "options, sources (each with index, name, kind, rootPath, label, fileSystem,\n"
    "driveType, driveTypeName, serial, serialNumber, capacity, free, scanAgain,\n"
    "keys {start, end}, options) and damage (null, or what is wrong with the file);\n"
    "see docs/json/info.md.\n",
    RunInfo,
};

}  // namespace volumist::cli
