#include "browse/row_sort.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
std::string_view FolderPath(const ItemRow& row) { return row.folderPath ? std::string_view(row.folderPath->text) : ""; }

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

namespace {

// Name comparisons of two non-folder rows, by their precomputed lower-cased names when there are
// some (the same order as CompareTextNoCase, at the speed of memcmp).
int CompareNames(const ItemRow& a, const ItemRow& b, const std::string* keyA, const std::string* keyB) {
  if (keyA != nullptr && keyB != nullptr) {
    int c = keyA->compare(*keyB);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return CompareTextNoCase(a.name, b.name);
}

bool SortsByName(ColumnId column) {
  switch (column) {
    case ColumnId::kIcon:
    case ColumnId::kName:
    case ColumnId::kAttributes:
    case ColumnId::kDescription:
    case ColumnId::kThumbnail: return true;
    default: return false;
  }
}

bool Less(const ItemRow& a, const ItemRow& b, const std::string* keyA, const std::string* keyB, ColumnId column,
          SortOrder order) {
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
    int c;
    if (SortsByName(column)) {
      c = order == SortOrder::kDescending ? CompareNames(b, a, keyB, keyA) : CompareNames(a, b, keyA, keyB);
    } else {
      c = order == SortOrder::kDescending ? CompareValues(b, a, column) : CompareValues(a, b, column);
    }
    if (c != 0) return c < 0;
  }
  return CompareNames(a, b, keyA, keyB) < 0;
}

}  // namespace

bool RowGoesBefore(const ItemRow& a, const ItemRow& b, ColumnId column, SortOrder order) {
  return Less(a, b, nullptr, nullptr, column, order);
}

namespace {

// What the sort compares of a row, packed so that the comparisons of a large list stay in the
// cache: the row's group (the up entry, folder-like rows, the rest), whether it has the column's
// value, and where its lower-cased name lies in one shared buffer. The rows themselves are read
// only for folder names and for the values of columns other than the name.
struct SortEntry {
  uint32_t index;
  uint32_t keyOffset;
  uint32_t keyLength;
  uint8_t group;     // 0 the up entry, 1 folder-like, 2 the rest
  Presence presence;
};

// SortedOrder over any random-access sequence of rows.
template <typename Rows>
std::optional<std::vector<uint32_t>> SortedOrderOf(const Rows& rows, ColumnId column, SortOrder order) {
  if (!IsSortColumn(column)) return std::nullopt;
  size_t bytes = 0;
  for (const ItemRow& row : rows) bytes += row.name.size();
  std::string keys;
  keys.reserve(bytes);
  std::vector<SortEntry> entries(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const ItemRow& row = rows[i];
    SortEntry& entry = entries[i];
    entry.index = static_cast<uint32_t>(i);
    entry.keyOffset = static_cast<uint32_t>(keys.size());
    entry.keyLength = static_cast<uint32_t>(row.name.size());
    for (char c : row.name) keys += static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
    entry.group = row.kind == RowKind::kUp ? 0 : (row.IsFolderLike() ? 1 : 2);
    entry.presence = entry.group == 2 ? PresenceOf(row, column) : Presence::kValue;
  }
  const char* data = keys.data();
  auto compareKeys = [data](const SortEntry& a, const SortEntry& b) {
    int c = std::memcmp(data + a.keyOffset, data + b.keyOffset, std::min(a.keyLength, b.keyLength));
    if (c != 0) return c < 0 ? -1 : 1;
    return a.keyLength == b.keyLength ? 0 : (a.keyLength < b.keyLength ? -1 : 1);
  };
  const bool byName = SortsByName(column);
  const bool descending = order == SortOrder::kDescending;
  // The order of Less, over the packed entries.
  std::stable_sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
    if (a.group != b.group) return a.group < b.group;
    if (a.group == 0) return false;
    if (a.group == 1) return CompareFolderNames(rows[a.index].name, rows[b.index].name) < 0;
    if (a.presence != b.presence) return a.presence < b.presence;
    if (a.presence == Presence::kValue) {
      int c;
      if (byName) {
        c = descending ? compareKeys(b, a) : compareKeys(a, b);
      } else {
        c = descending ? CompareValues(rows[b.index], rows[a.index], column)
                       : CompareValues(rows[a.index], rows[b.index], column);
      }
      if (c != 0) return c < 0;
    }
    return compareKeys(a, b) < 0;
  });
  std::vector<uint32_t> positions;
  positions.reserve(entries.size());
  for (const SortEntry& entry : entries) positions.push_back(entry.index);
  return positions;
}

}  // namespace

std::optional<std::vector<uint32_t>> SortedOrder(std::span<const ItemRow> rows, ColumnId column, SortOrder order) {
  return SortedOrderOf(rows, column, order);
}

std::optional<std::vector<uint32_t>> SortedOrder(const std::deque<ItemRow>& rows, ColumnId column, SortOrder order) {
  return SortedOrderOf(rows, column, order);
}

bool SortRows(std::vector<ItemRow>& rows, ColumnId column, SortOrder order) {
  std::optional<std::vector<uint32_t>> positions = SortedOrder(rows, column, order);
  if (!positions) return false;
  std::vector<ItemRow> sorted;
  sorted.reserve(rows.size());
  for (uint32_t position : *positions) sorted.push_back(std::move(rows[position]));
  rows = std::move(sorted);
  return true;
}

}  // namespace volumist::browse
