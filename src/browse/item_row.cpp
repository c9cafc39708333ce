#include "browse/item_row.h"

#include <utility>

#include "analysis/media_format.h"
#include "analysis/video_info.h"
#include "catalog/value_format.h"

namespace volumist::browse {
namespace {

// The extension as rows hold it: without its dot.
std::string WithoutDot(const std::string& extension) {
  return !extension.empty() && extension.front() == '.' ? extension.substr(1) : extension;
}

void CopyFile(const FileRecord& file, ItemRow& row) {
  row.name = file.name.Text() + file.extension.Text();
  row.extension = WithoutDot(file.extension.Text());
  row.size = file.size.Value();
  row.modifiedTime = file.modifiedTime;
  row.hasSignatures = file.tag.hasSignatures;
  if (row.hasSignatures) row.signatures = file.signatures;
  if (file.tag.hasMediaInfo && file.mediaInfo.HasBody()) row.media = std::make_shared<const MediaInfo>(file.mediaInfo);
}

std::string ImageInfoLines(const ImageInfo& image) {
  std::string text = FormatFrameSize(image);
  std::string colors = FormatColors(image);
  if (!colors.empty()) text += "\n" + colors;
  return text + "\n" + FormatBits(image);
}

std::string MediaText(const ItemRow& row, ColumnId columnId) {
  if (!row.media) return {};
  const MediaInfo& media = *row.media;
  if (const Mp3Info* mp3 = media.Mp3()) {
    switch (columnId) {
      case ColumnId::kTitle: return mp3->title;
      case ColumnId::kArtist: return mp3->artist;
      case ColumnId::kAlbum: return mp3->album;
      case ColumnId::kComment: return mp3->comment;
      case ColumnId::kYear: return mp3->year;
      case ColumnId::kKbps: return FormatMp3Bitrate(*mp3, true);
      case ColumnId::kKhz: return FormatMp3SampleRate(*mp3);
      case ColumnId::kLength: return FormatPlayTime(mp3->lengthSeconds);
      default: return {};
    }
  }
  if (std::optional<VideoInfo> video = VideoInfo::Of(media)) {
    switch (columnId) {
      case ColumnId::kFrameSize: return FormatFrameSize(*video);
      case ColumnId::kRatio: return FormatAspectRatio(*video);
      case ColumnId::kLengthFrames: return FormatVideoLength(*video);
      case ColumnId::kFps: return FormatFrameRate(*video);
      case ColumnId::kVideoCodec: return video->VideoCodecName();
      case ColumnId::kVideoAudioKhz: return FormatAudioSampleRate(*video);
      case ColumnId::kVideoAudioKbps: return FormatAudioKbps(*video);
      case ColumnId::kChannels: return FormatChannels(*video);
      case ColumnId::kAudioCodec: return video->AudioCodecName();
      default: return {};
    }
  }
  if (const ImageInfo* image = media.Image()) {
    switch (columnId) {
      case ColumnId::kImageInfo: return ImageInfoLines(*image);
      case ColumnId::kImageSize: return FormatFrameSize(*image);
      case ColumnId::kImageColors: return FormatColors(*image);
      default: return {};
    }
  }
  return {};
}

}  // namespace

std::optional<RecordKey> ItemRow::DescriptionKey() const {
  switch (kind) {
    case RowKind::kFolder:
    case RowKind::kSourceRoot:
    case RowKind::kArchive: return key;
    case RowKind::kFile: return FileDescriptionKey(key);
    case RowKind::kUp:
    case RowKind::kNone: return std::nullopt;
  }
  return std::nullopt;
}

ItemRow RowFromContent(const ContentItem& item, RecordKey containerKey) {
  ItemRow row;
  row.containerKey = containerKey;
  switch (item.kind) {
    case RecordKind::kFolder:
      row.kind = item.folder.tag.isSourceRoot ? RowKind::kSourceRoot : RowKind::kFolder;
      row.name = item.folder.name.Text();
      row.size = item.folder.size.Value();
      row.key = item.folder.selfKey;
      row.hasSubfolders = item.hasSubfolders;
      break;
    case RecordKind::kArchive:
      row.kind = RowKind::kArchive;
      CopyFile(item.archive, row);
      row.key = item.archive.selfKey;
      row.archiveKind = item.archive.archiveKind;
      row.hasSubfolders = item.hasSubfolders;
      break;
    case RecordKind::kFile:
      row.kind = RowKind::kFile;
      CopyFile(item.file, row);
      row.key = item.key;
      break;
    default: break;
  }
  return row;
}

ItemRow RowFromResult(const SearchResult& result) {
  SearchResult copy = result;
  return RowFromResult(std::move(copy));
}

ItemRow RowFromResult(SearchResult&& result) {
  ItemRow row;
  switch (result.kind) {
    case SearchResult::Kind::kFile: row.kind = RowKind::kFile; break;
    case SearchResult::Kind::kFolder: row.kind = RowKind::kFolder; break;
    case SearchResult::Kind::kArchive: row.kind = RowKind::kArchive; break;
  }
  row.name = std::move(result.name);
  row.extension = std::move(result.extension);
  row.size = result.size;
  row.modifiedTime = result.modifiedTime;
  row.hasSignatures = result.hasSignatures;
  if (row.hasSignatures) row.signatures = result.signatures;
  if (result.media && result.media->HasBody()) row.media = std::move(result.media);
  row.archiveKind = result.archiveKind;
  row.key = result.key;
  row.containerKey = result.containerKey;
  if (result.description) {
    row.description = std::move(*result.description);
    row.descriptionRead = true;
  }
  row.volume = std::move(result.volume);
  row.folderPath = std::move(result.folder);
  return row;
}

ItemRow UpRow(RecordKey parentKey, RecordKey containerKey) {
  ItemRow row;
  row.kind = RowKind::kUp;
  row.name = "..";
  row.key = parentKey;
  row.containerKey = containerKey;
  row.description = kUpEntryDescription;
  row.descriptionRead = true;
  return row;
}

std::string CellText(const ItemRow& row, ColumnId columnId) {
  const bool isFile = row.kind == RowKind::kFile || row.kind == RowKind::kArchive;
  switch (columnId) {
    case ColumnId::kName: return row.name;
    case ColumnId::kSize: return row.kind == RowKind::kUp || row.kind == RowKind::kNone ? std::string()
                                                                                         : FormatSizeGrouped(row.size);
    case ColumnId::kType:
      switch (row.kind) {
        case RowKind::kFile:
        case RowKind::kArchive: return row.extension;
        case RowKind::kFolder: return "<DIR>";
        case RowKind::kUp: return "<UP>";
        case RowKind::kSourceRoot: return "<VOL>";
        case RowKind::kNone: return {};
      }
      return {};
    case ColumnId::kModified: return isFile ? FormatDateTime(row.modifiedTime) : std::string();
    case ColumnId::kAttributes: return isFile && row.hasSignatures ? FormatAttributes(row.signatures) : std::string();
    case ColumnId::kDescription: return row.description;
    case ColumnId::kCrc32: return isFile && row.hasSignatures ? FormatCrc32(row.signatures) : std::string();
    case ColumnId::kMd4: return isFile && row.hasSignatures ? FormatMd4(row.signatures) : std::string();
    case ColumnId::kMd5: return isFile && row.hasSignatures ? FormatMd5(row.signatures) : std::string();
    case ColumnId::kVolume: return row.volume ? row.volume->name : std::string();
    case ColumnId::kFolder: return row.folderPath ? row.folderPath->text : std::string();
    case ColumnId::kIcon:
    case ColumnId::kSizePercent:
    case ColumnId::kThumbnail: return {};
    default: break;
  }
  if (row.kind != RowKind::kFile) return {};
  return MediaText(row, columnId);
}

}  // namespace volumist::browse
