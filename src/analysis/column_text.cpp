#include "analysis/column_text.h"

#include <array>

#include "analysis/media_format.h"
#include "analysis/video_info.h"
#include "catalog/value_format.h"

namespace volumist {
namespace {

constexpr std::array<std::string_view, 36> kTitles = {
    "",           "",           "Name",        "Size",           "Size%",       "Type",
    "Modified",   "Attr",       "Description", "Title",          "Artist",      "Album",
    "Comment",    "Year",       "kbps",        "kHz",            "Length",      "Genre",
    "Frame size", "Ratio",      "Length(frames)", "FPS",         "Video codec", "kHz",
    "kbps",       "Channels",   "Audio Codec", "CRC32",          "eDonkey Hash (MD4)", "RSA MD5",
    "Volume",     "Folder",     "Thumbnail",   "Image Info",     "Image size",  "Image colors",
};

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

std::string MediaText(const MediaInfo& media, int columnId) {
  if (const Mp3Info* mp3 = media.Mp3()) {
    switch (columnId) {
      case kColumnTitle: return mp3->title;
      case kColumnArtist: return mp3->artist;
      case kColumnAlbum: return mp3->album;
      case kColumnComment: return mp3->comment;
      case kColumnYear: return mp3->year;
      case kColumnMp3Kbps: return FormatMp3Bitrate(*mp3, true);
      case kColumnMp3Khz: return FormatMp3SampleRate(*mp3);
      case kColumnMp3Length: return FormatPlayTime(mp3->lengthSeconds);
      default: return {};
    }
  }
  if (std::optional<VideoInfo> video = VideoInfo::Of(media)) {
    switch (columnId) {
      case kColumnFrameSize: return FormatFrameSize(*video);
      case kColumnRatio: return FormatAspectRatio(*video);
      case kColumnVideoLength: return FormatVideoLength(*video);
      case kColumnFps: return FormatFrameRate(*video);
      case kColumnVideoCodec: return video->VideoCodecName();
      case kColumnVideoKhz: return FormatAudioSampleRate(*video);
      case kColumnVideoKbps: return FormatAudioKbps(*video);
      case kColumnChannels: return FormatChannels(*video);
      case kColumnAudioCodec: return video->AudioCodecName();
      default: return {};
    }
  }
  if (const ImageInfo* image = media.Image()) {
    switch (columnId) {
      case kColumnImageInfo: return ImageInfoLines(*image);
      case kColumnImageSize: return FormatFrameSize(*image);
      case kColumnImageColors: return FormatColors(*image);
      default: return {};
    }
  }
  return {};
}

}  // namespace

std::string_view ColumnTitle(int columnId) {
  return columnId >= 0 && columnId < static_cast<int>(kTitles.size()) ? kTitles[static_cast<size_t>(columnId)] : "";
}

std::string ColumnText(const ContentItem& item, int columnId, const ColumnContext& context) {
  if (context.isUpEntry) {
    switch (columnId) {
      case kColumnName: return "..";
      case kColumnType: return "<UP>";
      case kColumnDescription: return std::string(context.description);
      default: return {};
    }
  }
  const FileRecord* file = FileOf(item);
  switch (columnId) {
    case kColumnName: {
      const CatalogRecord& record = item.Record();
      return file ? record.name.Text() + record.extension.Text() : record.name.Text();
    }
    case kColumnSize: return FormatSizeGrouped(item.Record().size);
    case kColumnType: {
      if (item.kind == RecordKind::kFolder) return item.folder.tag.isSourceRoot ? "<VOL>" : "<DIR>";
      std::string extension = item.Record().extension.Text();
      return extension.empty() ? extension : extension.substr(1);
    }
    case kColumnModified: return file ? FormatDateTime(file->modifiedTime) : std::string();
    case kColumnAttributes:
      return file && file->tag.hasSignatures ? FormatAttributes(file->signatures) : std::string();
    case kColumnDescription: return std::string(context.description);
    case kColumnCrc32: return file && file->tag.hasSignatures ? FormatCrc32(file->signatures) : std::string();
    case kColumnMd4: return file && file->tag.hasSignatures ? FormatMd4(file->signatures) : std::string();
    case kColumnMd5: return file && file->tag.hasSignatures ? FormatMd5(file->signatures) : std::string();
    case kColumnVolume: return std::string(context.volumeName);
    case kColumnFolder: return std::string(context.folderPath);
    default: break;
  }
  if (item.kind != RecordKind::kFile || !item.file.tag.hasMediaInfo) return {};
  return MediaText(item.file.mediaInfo, columnId);
}

}  // namespace volumist
