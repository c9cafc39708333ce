// volumist-cli ls FILE.vkt [PATH] [-R] [-l] [-d] [--json]: the items of a volume, one per line.
#include <ostream>
#include <type_traits>

#include "analysis/column_text.h"
#include "analysis/media_format.h"
#include "catalog/tree_walk.h"
#include "catalog/value_format.h"
#include "cli/command.h"
#include "cli/json_output.h"
#include "cli/output_text.h"
#include "cli/volume_access.h"

namespace volumist::cli {
namespace {

// The columns that --long adds after the path, in this order (audio, video, signatures, picture).
constexpr ColumnId kLongColumns[] = {
    ColumnId::kTitle,       ColumnId::kArtist,    ColumnId::kAlbum,      ColumnId::kComment,    ColumnId::kYear,
    ColumnId::kKbps,     ColumnId::kKhz,    ColumnId::kLength,  ColumnId::kLengthFrames, ColumnId::kFrameSize,
    ColumnId::kRatio,       ColumnId::kFps,       ColumnId::kVideoCodec, ColumnId::kVideoAudioKbps,  ColumnId::kVideoAudioKhz,
    ColumnId::kChannels,    ColumnId::kAudioCodec, ColumnId::kCrc32,     ColumnId::kMd4,        ColumnId::kMd5,
    ColumnId::kImageSize,   ColumnId::kImageColors,
};

// The JSON member of each of kLongColumns, in the same order.
constexpr const char* kLongColumnMembers[] = {
    "title",    "artist",     "album",      "comment",   "year",      "kbps",          "khz",        "length",
    "frames",   "frameSize",  "ratio",      "fps",       "videoCodec", "videoAudioKbps", "videoAudioKhz", "channels",
    "audioCodec", "crc32",    "md4",        "md5",       "imageSize", "colors",
};
static_assert(std::size(kLongColumns) == std::size(kLongColumnMembers));

struct ListFormat {
  bool longForm = false;
  bool json = false;
};

// A field as printed: "-" when empty; tabs, line ends and other control characters of tag texts
// become blanks, so that every item stays one line of fixed fields.
std::string Field(std::string text) {
  if (text.empty()) return "-";
  return OnOneLine(std::move(text));
}

// kind, size, time, attributes and path (escaped, cli/item_path.h), separated by tabs, or one JSON
// line with `format.json`; with `format.longForm` the media and signature columns follow.
void PrintLine(std::ostream& out, const ContentItem& item, const std::string& path, const ListFormat& format) {
  const bool longForm = format.longForm;
  const char* kind = item.kind == RecordKind::kFolder ? "folder" : item.kind == RecordKind::kArchive ? "archive" : "file";
  const FileRecord* file = item.kind == RecordKind::kFolder ? nullptr
                           : item.kind == RecordKind::kArchive ? static_cast<const FileRecord*>(&item.archive)
                                                               : &item.file;
  if (format.json) {
    Json object = Json::object();
    object["kind"] = kind;
    object["path"] = path;
    PutText(object, "name", ItemName(item));
    object["size"] = item.Record().size.Value();
    if (file) PutTime(object, "time", file->modifiedTime);
    if (file && file->tag.hasSignatures) object["attributes"] = FormatAttributes(file->signatures);
    if (longForm) {
      for (size_t i = 0; i < std::size(kLongColumns); ++i) {
        std::string text = ColumnText(item, kLongColumns[i]);
        if (!text.empty()) PutText(object, kLongColumnMembers[i], text);
      }
      const ImageInfo* image = item.kind == RecordKind::kFile ? item.file.mediaInfo.Image() : nullptr;
      if (image) object["bits"] = FormatBits(*image);
    }
    WriteJsonLine(out, object);
    return;
  }
  out << kind << '\t' << item.Record().size.Value() << '\t';
  std::string time = file ? FormatDateTime(file->modifiedTime) : std::string();
  out << (time.empty() ? "-" : time) << '\t';
  out << (file && file->tag.hasSignatures ? FormatAttributes(file->signatures) : "-") << '\t' << path;
  if (longForm) {
    for (ColumnId column : kLongColumns) out << '\t' << Field(ColumnText(item, column));
    const ImageInfo* image = item.kind == RecordKind::kFile ? item.file.mediaInfo.Image() : nullptr;
    out << '\t' << (image ? FormatBits(*image) : "-");
  }
  out << '\n';
}

void PrintItem(std::ostream& out, const ContentItem& item, const std::string& prefix, const ListFormat& format) {
  std::string path = prefix;
  AppendName(path, ItemName(item));
  PrintLine(out, item, path, format);
}

template <typename Record>
ContentItem ItemOf(RecordKind kind, const Record& record) {
  ContentItem item;
  item.kind = kind;
  if constexpr (std::is_same_v<Record, FolderRecord>) item.folder = record;
  if constexpr (std::is_same_v<Record, ArchiveRecord>) item.archive = record;
  if constexpr (std::is_same_v<Record, FileRecord>) item.file = record;
  return item;
}

bool ListRecursive(std::ostream& out, VolumeCatalog& volume, const ContentItem* start, const std::string& prefix,
                   const ListFormat& format) {
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
    for (size_t i = 0; i < openAbove; ++i) AppendName(path, open[i]);
    AppendName(path, name);
    return path;
  };
  for (;;) {
    switch (walker.Next()) {
      case TreeWalker::Step::kFolder:
        PrintLine(out, ItemOf(RecordKind::kFolder, walker.Folder()),
                  pathOf(walker.Folder().name.Text(), walker.Depth() - 1), format);
        break;
      case TreeWalker::Step::kArchive: {
        const ArchiveRecord& archive = walker.Archive();
        PrintLine(out, ItemOf(RecordKind::kArchive, archive),
                  pathOf(archive.name.Text() + archive.extension.Text(), walker.Depth() - 1), format);
        break;
      }
      case TreeWalker::Step::kFile: {
        const FileRecord& file = walker.File();
        PrintLine(out, ItemOf(RecordKind::kFile, file), pathOf(file.name.Text() + file.extension.Text(), walker.Depth()),
                  format);
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
  ListFormat format;
  bool itself = false;
  std::vector<std::string> operands;
  for (const std::string& arg : args) {
    if (arg == "-R" || arg == "--recursive") {
      recursive = true;
    } else if (arg == "-l" || arg == "--long") {
      format.longForm = true;
    } else if (arg == "--json") {
      format.json = true;
    } else if (arg == "-d" || arg == "--item") {
      itself = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError(context, kLsCommand, "unknown option " + arg);
    } else {
      operands.push_back(arg);
    }
  }
  if (operands.empty() || operands.size() > 2) return UsageError(context, kLsCommand, "expects a volume file");
  std::vector<std::string> names;
  if (operands.size() == 2) {
    auto parsed = ItemPathArgument(context, kLsCommand, operands[1]);
    if (!parsed) return kExitUsage;
    names = std::move(*parsed);
  }
  if (itself && names.empty()) return UsageError(context, kLsCommand, "-d needs the PATH of an item");
  VolumeCatalog volume(context.fileSystem, context.prompter);
  // The listing shows no descriptions.
  if (!volume.OpenVolume(ResolveVolumeFile(context, operands[0]), false)) return kExitFailure;

  std::optional<ContentItem> start;
  const std::string prefix = JoinItemPath(names);
  if (!names.empty()) {
    start = FindItem(volume, names);
    if (!start) {
      context.err << "volumist-cli ls: no item '" << prefix << "' in the volume\n";
      return kExitFailure;
    }
    // A file is listed as itself, as -d lists a folder or an archive.
    if (itself || start->kind == RecordKind::kFile) {
      PrintLine(context.out, *start, prefix, format);
      return ReportDamage(context, volume) ? kExitFailure : kExitOk;
    }
  }

  bool complete = true;
  if (recursive) {
    complete = ListRecursive(context.out, volume, start ? &*start : nullptr, prefix, format);
  } else {
    auto print = [&](const ContentItem& item) {
      PrintItem(context.out, item, prefix, format);
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
  return ReportDamage(context, volume) ? kExitFailure : kExitOk;
}

}  // namespace

const Command kLsCommand = {
    "ls",
    "FILE.vkt [PATH] [-R] [-l] [-d] [--json]",
    "list the items of a volume, or of one folder or archive in it",
    "Lists the items directly in the folder or archive PATH (a path inside the volume,\n"
    "see \"Paths inside a volume\" in volumist-cli --help; the top level when omitted),\n"
    "or everything below it with -R. A PATH that names a file lists that file; with -d\n"
    "(--item) a folder or archive is listed itself instead of its contents.\n"
    "One line per item, fields separated by tabs:\n"
    "  KIND  SIZE  TIME  ATTRIBUTES  PATH\n"
    "KIND is folder, file or archive; SIZE the size in bytes (a folder's total);\n"
    "TIME the last-write time as DD.MM.YYYY HH:MM in local time, \"-\" for folders;\n"
    "ATTRIBUTES four characters r, a, h, s or \"-\" (\"-\" alone when not recorded);\n"
    "PATH the item's path inside the volume, in the form every command accepts.\n"
    "With -l (--long) 23 more fields follow PATH, \"-\" where the item has no value:\n"
    "  TITLE ARTIST ALBUM COMMENT YEAR KBPS KHZ LENGTH          (MP3 files)\n"
    "  FRAMES FRAMESIZE RATIO FPS VCODEC AKBPS AKHZ CHANNELS ACODEC   (video files)\n"
    "  CRC32 MD4 MD5                                            (signatures)\n"
    "  IMAGESIZE COLORS BITS                                    (pictures)\n"
    "as the file list shows them: KBPS as \"128\" or \"128 VBR\", KHZ in Hz, LENGTH as\n"
    "M:SS, FRAMES as \"M:SS (frames)\", FRAMESIZE and IMAGESIZE as \"W x H\", AKBPS as\n"
    "\"N kbps\", COLORS as \"256 Colors\"..., BITS as \"N bits\". Control characters in\n"
    "tag texts are printed as blanks.\n"
    "With --json: one JSON object per item and line (JSON Lines) with kind, path,\n"
    "name, size, time and timeIso (files and archives), attributes (when recorded)\n"
    "and with -l the long fields that have a value, as texts: title, artist, album,\n"
    "comment, year, kbps, khz, length, frames, frameSize, ratio, fps, videoCodec,\n"
    "videoAudioKbps, videoAudioKhz, channels, audioCodec, crc32, md4, md5,\n"
    "imageSize, colors, bits; see docs/json/ls.md.\n",
    RunLs,
};

}  // namespace volumist::cli
