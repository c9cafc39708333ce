#include "analysis/column_text.h"

#include <array>

#include "analysis/media_format.h"
#include "analysis/video_info.h"
#include "catalog/value_format.h"

namespace volumist {
namespace {


// The file record of a file or archive; null for folders.
const FileRecord* FileOf(const ContentItem& item) {
  switch (item.kind) {
    case RecordKind::kFile: return &item.file;
    case RecordKind::kArchive: return &item.archive;
    default: return nullptr;
  }
}

std::string ImageInfoLines(const ImageInfo& image) {
  std::string text = FormatFrameSize(image);
  std::string colors = FormatColors(image);
  if (!colors.empty()) text += "\n" + colors;
  return text + "\n" + FormatBits(image);
}

std::string MediaText(const MediaInfo& media, ColumnId columnId) {
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

std::string ColumnText(const ContentItem& item, ColumnId columnId, const ColumnContext& context) {
  if (context.isUpEntry) {
    switch (columnId) {
      case ColumnId::kName: return "..";
      case ColumnId::kType: return "<UP>";
      case ColumnId::kDescription: return std::string(context.description);
      default: return {};
    }
  }
  const FileRecord* file = FileOf(item);
  switch (columnId) {
    case ColumnId::kName: {
      const CatalogRecord& record = item.Record();
      return file ? record.name.Text() + record.extension.Text() : record.name.Text();
    }
    case ColumnId::kSize: return FormatSizeGrouped(item.Record().size);
    case ColumnId::kType: {
      if (item.kind == RecordKind::kFolder) return item.folder.tag.isSourceRoot ? "<VOL>" : "<DIR>";
      std::string extension = item.Record().extension.Text();
      return extension.empty() ? extension : extension.substr(1);
    }
    case ColumnId::kModified: return file ? FormatDateTime(file->modifiedTime) : std::string();
    case ColumnId::kAttributes:
      return file && file->tag.hasSignatures ? FormatAttributes(file->signatures) : std::string();
    case ColumnId::kDescription: return std::string(context.description);
    case ColumnId::kCrc32: return file && file->tag.hasSignatures ? FormatCrc32(file->signatures) : std::string();
    case ColumnId::kMd4: return file && file->tag.hasSignatures ? FormatMd4(file->signatures) : std::string();
    case ColumnId::kMd5: return file && file->tag.hasSignatures ? FormatMd5(file->signatures) : std::string();
    case ColumnId::kVolume: return std::string(context.volumeName);
    case ColumnId::kFolder: return std::string(context.folderPath);
    default: break;
  }
  if (item.kind != RecordKind::kFile || !item.file.tag.hasMediaInfo) return {};
  return MediaText(item.file.mediaInfo, columnId);
}

}  // namespace volumist
