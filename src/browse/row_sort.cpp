#include "browse/row_sort.h"

#include <algorithm>
#include <cmath>

#include "analysis/mp3_values.h"
#include "analysis/text_compare.h"
#include "analysis/video_info.h"

namespace volumist::browse {
namespace {

// Where a row's value stands: a value, a value that is not a number, or no value at all. The
// last two come after every value in either order.
enum class Presence { kValue = 0, kNotANumber = 1, kMissing = 2 };

bool IsAudioColumn(ColumnId column) { return column >= ColumnId::kTitle && column <= ColumnId::kLength; }
bool IsVideoColumn(ColumnId column) { return column >= ColumnId::kFrameSize && column <= ColumnId::kAudioCodec; }

std::optional<VideoInfo> VideoOf(const ItemRow& row) {
  if (row.kind != RowKind::kFile || !row.media) return std::nullopt;
  return VideoInfo::Of(*row.media);
}

Presence PresenceOf(const ItemRow& row, ColumnId column) {
  if (IsAudioColumn(column)) return row.kind == RowKind::kFile && row.Mp3() ? Presence::kValue : Presence::kMissing;
  if (IsVideoColumn(column)) {
    std::optional<VideoInfo> video = VideoOf(row);
    if (!video) return Presence::kMissing;
    if (column == ColumnId::kLengthFrames && std::isnan(video->LengthSeconds())) return Presence::kNotANumber;
    if (column == ColumnId::kFps && std::isnan(video->FrameRate())) return Presence::kNotANumber;
    return Presence::kValue;
  }
  if (column == ColumnId::kImageInfo) return row.kind == RowKind::kFile && row.Image() ? Presence::kValue : Presence::kMissing;
  return Presence::kValue;
}

Mp3Field AudioField(ColumnId column) {
  switch (column) {
    case ColumnId::kTitle: return Mp3Field::kTitle;
    case ColumnId::kArtist: return Mp3Field::kArtist;
    case ColumnId::kAlbum: return Mp3Field::kAlbum;
    case ColumnId::kComment: return Mp3Field::kComment;
    case ColumnId::kYear: return Mp3Field::kYear;
    case ColumnId::kKbps: return Mp3Field::kBitrate;
    case ColumnId::kKhz: return Mp3Field::kSampleRate;
    default: return Mp3Field::kLength;
  }
}

// Two numbers that are not NaN.
template <typename T>
int Compare(T a, T b) {
  return CompareNumbers(a, b);
}

int CompareVideoValues(const VideoInfo& a, const VideoInfo& b, ColumnId column) {
  switch (column) {
    case ColumnId::kFrameSize:
    case ColumnId::kRatio: {
      int c = Compare(a.FrameWidth(), b.FrameWidth());
      return c != 0 ? c : Compare(a.FrameHeight(), b.FrameHeight());
    }
    case ColumnId::kLengthFrames: {
      int c = Compare(a.LengthSeconds(), b.LengthSeconds());
      return c != 0 ? c : Compare(a.FrameCount(), b.FrameCount());
    }
    case ColumnId::kFps: return Compare(a.FrameRate(), b.FrameRate());
    case ColumnId::kVideoCodec: return CompareTextNoCase(a.VideoCodecName(), b.VideoCodecName());
    case ColumnId::kVideoAudioKhz: return Compare(a.AudioSampleRate(), b.AudioSampleRate());
    case ColumnId::kVideoAudioKbps: return Compare(a.AudioKbps(), b.AudioKbps());
    case ColumnId::kChannels: return Compare(a.AudioChannels(), b.AudioChannels());
    case ColumnId::kAudioCodec: return CompareTextNoCase(a.AudioCodecName(), b.AudioCodecName());
    default: return 0;
  }
}

std::string_view VolumeName(const ItemRow& row) { return row.volume ? std::string_view(row.volume->name) : ""; }
std::string_view FolderPath(const ItemRow& row) { return row.folderPath ? std::string_view(*row.folderPath) : ""; }

// The column values of two rows that both have one.
int CompareValues(const ItemRow& a, const ItemRow& b, ColumnId column) {
  if (IsAudioColumn(column)) return CompareMp3(a.Mp3(), b.Mp3(), AudioField(column), 1);
  if (IsVideoColumn(column)) return CompareVideoValues(*VideoOf(a), *VideoOf(b), column);
  switch (column) {
    case ColumnId::kSize:
    case ColumnId::kSizePercent: return Compare(a.size, b.size);
    case ColumnId::kType: return CompareTextNoCase(a.extension, b.extension);
    case ColumnId::kModified: return Compare(a.modifiedTime.Value(), b.modifiedTime.Value());
    case ColumnId::kVolume: return CompareTextNoCase(VolumeName(a), VolumeName(b));
    case ColumnId::kFolder: return CompareTextNoCase(FolderPath(a), FolderPath(b));
    case ColumnId::kImageInfo: {
      const ImageInfo& x = *a.Image();
      const ImageInfo& y = *b.Image();
      if (int c = Compare(x.width, y.width)) return c;
      if (int c = Compare(x.height, y.height)) return c;
      return Compare(x.bitsPerPixel, y.bitsPerPixel);
    }
    default: return CompareTextNoCase(a.name, b.name);  // the columns that sort by name
  }
}

unsigned char LowerAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

}  // namespace

int CompareFolderNames(std::string_view a, std::string_view b) {
  const size_t length = std::max(a.size(), b.size());
  for (size_t i = 0; i < length; ++i) {
    unsigned char x = i < a.size() ? LowerAscii(static_cast<unsigned char>(a[i])) : 0;
    unsigned char y = i < b.size() ? LowerAscii(static_cast<unsigned char>(b[i])) : 0;
    if (x == y) continue;
    if (x == '.') return -1;
    if (y == '.') return 1;
    return static_cast<signed char>(x) < static_cast<signed char>(y) ? -1 : 1;
  }
  return 0;
}

bool IsSortColumn(ColumnId column) {
  switch (column) {
    case ColumnId::kGenre:
    case ColumnId::kCrc32:
    case ColumnId::kMd4:
    case ColumnId::kMd5:
    case ColumnId::kImageSize:
    case ColumnId::kImageColors: return false;
    default: return column >= ColumnId::kIcon && column <= ColumnId::kImageColors;
  }
}

bool RowGoesBefore(const ItemRow& a, const ItemRow& b, ColumnId column, SortOrder order) {
  // The up entry leads, even before a folder named "..." that the name rule would put first.
  const bool aUp = a.kind == RowKind::kUp;
  const bool bUp = b.kind == RowKind::kUp;
  if (aUp != bUp) return aUp;
  const bool aFolder = a.IsFolderLike();
  const bool bFolder = b.IsFolderLike();
  if (aFolder != bFolder) return aFolder;
  if (aFolder) return CompareFolderNames(a.name, b.name) < 0;
  Presence pa = PresenceOf(a, column);
  Presence pb = PresenceOf(b, column);
  if (pa != pb) return pa < pb;
  if (pa == Presence::kValue) {
    int c = order == SortOrder::kDescending ? CompareValues(b, a, column) : CompareValues(a, b, column);
    if (c != 0) return c < 0;
  }
  return CompareTextNoCase(a.name, b.name) < 0;
}

bool SortRows(std::vector<ItemRow>& rows, ColumnId column, SortOrder order) {
  if (!IsSortColumn(column)) return false;
  std::stable_sort(rows.begin(), rows.end(),
                   [column, order](const ItemRow& a, const ItemRow& b) { return RowGoesBefore(a, b, column, order); });
  return true;
}

}  // namespace volumist::browse
