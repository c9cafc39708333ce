// volumist-cli ls FILE.vkt [FOLDER] [-R]: the items of a volume, one per line.
#include <ostream>

#include "catalog/tree_walk.h"
#include "catalog/value_format.h"
#include "cli/command.h"
#include "cli/volume_access.h"

namespace volumist::cli {
namespace {

std::string JoinItemPath(const std::string& prefix, const std::string& name) {
  return prefix.empty() ? name : prefix + "/" + name;
}

// kind, size, time, attributes and path, separated by tabs.
void PrintLine(std::ostream& out, const char* kind, const CatalogRecord& record, const FileRecord* file,
               const std::string& path) {
  out << kind << '\t' << record.size.Value() << '\t';
  std::string time = file ? FormatDateTime(file->modifiedTime) : std::string();
  out << (time.empty() ? "-" : time) << '\t';
  out << (file && file->tag.hasSignatures ? FormatAttributes(file->signatures) : "-") << '\t' << path << '\n';
}

void PrintItem(std::ostream& out, const ContentItem& item, const std::string& prefix) {
  std::string path = JoinItemPath(prefix, ItemName(item));
  switch (item.kind) {
    case RecordKind::kFolder: PrintLine(out, "folder", item.folder, nullptr, path); break;
    case RecordKind::kArchive: PrintLine(out, "archive", item.archive, &item.archive, path); break;
    default: PrintLine(out, "file", item.file, &item.file, path); break;
  }
}

bool ListRecursive(std::ostream& out, VolumeCatalog& volume, const ContentItem* start, const std::string& prefix) {
  TreeWalker walker(volume, false);
  if (start == nullptr) {
    walker.Start();
  } else if (start->kind == RecordKind::kFolder) {
    walker.StartInside(start->folder);
  } else {
    walker.StartInside(start->archive);
  }
  auto pathOf = [&](const std::string& name, size_t openAbove) {
    std::string path = prefix;
    const auto& open = walker.Path();
    for (size_t i = 0; i < openAbove; ++i) path = JoinItemPath(path, open[i]);
    return JoinItemPath(path, name);
  };
  for (;;) {
    switch (walker.Next()) {
      case TreeWalker::Step::kFolder:
        PrintLine(out, "folder", walker.Folder(), nullptr, pathOf(walker.Folder().name.Text(), walker.Depth() - 1));
        break;
      case TreeWalker::Step::kArchive: {
        const ArchiveRecord& archive = walker.Archive();
        PrintLine(out, "archive", archive, &archive,
                  pathOf(archive.name.Text() + archive.extension.Text(), walker.Depth() - 1));
        break;
      }
      case TreeWalker::Step::kFile: {
        const FileRecord& file = walker.File();
        PrintLine(out, "file", file, &file, pathOf(file.name.Text() + file.extension.Text(), walker.Depth()));
        break;
      }
      case TreeWalker::Step::kLeave:
      case TreeWalker::Step::kSourceMark: break;
      case TreeWalker::Step::kEnd: return true;
      case TreeWalker::Step::kDamaged: return false;
    }
  }
}

int RunLs(CommandContext& context, const std::vector<std::string>& args) {
  bool recursive = false;
  std::vector<std::string> operands;
  for (const std::string& arg : args) {
    if (arg == "-R" || arg == "--recursive") {
      recursive = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(context, kLsCommand, "unknown option " + arg);
    } else {
      operands.push_back(arg);
    }
  }
  if (operands.empty() || operands.size() > 2) return UsageError(context, kLsCommand, "expects a volume file");
  VolumeCatalog volume(context.fileSystem, context.prompter);
  if (!volume.OpenVolume(ResolveVolumeFile(context, operands[0]))) return kExitFailure;

  std::optional<ContentItem> start;
  std::string prefix;
  if (operands.size() == 2 && !SplitItemPath(operands[1]).empty()) {
    start = FindItem(volume, operands[1]);
    if (!start || start->kind == RecordKind::kFile) {
      context.err << "volumist-cli ls: no folder or archive '" << operands[1] << "' in the volume\n";
      return kExitFailure;
    }
    for (const std::string& part : SplitItemPath(operands[1])) prefix = JoinItemPath(prefix, part);
  }

  bool complete = true;
  if (recursive) {
    complete = ListRecursive(context.out, volume, start ? &*start : nullptr, prefix);
  } else {
    auto print = [&](const ContentItem& item) {
      PrintItem(context.out, item, prefix);
      return true;
    };
    ListingEnd end = !start ? ReadTopLevel(volume, print)
                     : start->kind == RecordKind::kFolder ? ReadFolderContents(volume, start->folder, print)
                                                          : ReadFolderContents(volume, start->archive, print);
    complete = end != ListingEnd::kDamaged;
  }
  if (!complete) {
    context.err << "volumist-cli ls: the volume file is damaged; the listing ends here\n";
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

const Command kLsCommand = {
    "ls",
    "FILE.vkt [FOLDER] [-R]",
    "list the items of a volume, or of one folder or archive in it",
    "Lists the items directly in FOLDER (a path inside the volume with \"/\" between\n"
    "folders; the top level when omitted), or everything below it with -R.\n"
    "One line per item, fields separated by tabs:\n"
    "  KIND  SIZE  TIME  ATTRIBUTES  PATH\n"
    "KIND is folder, file or archive; SIZE the size in bytes (a folder's total);\n"
    "TIME the last-write time as DD.MM.YYYY HH:MM in local time, \"-\" for folders;\n"
    "ATTRIBUTES four characters r, a, h, s or \"-\" (\"-\" alone when not recorded);\n"
    "PATH the item's path inside the volume.\n",
    RunLs,
};

}  // namespace volumist::cli
