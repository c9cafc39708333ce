// The cell texts of the file-list columns, for every front end (the desktop list, volumist-cli):
// from an item of a folder's contents and a column id to the text shown. Toolkit-free.
#pragma once

#include <string>
#include <string_view>

#include "catalog/folder_contents.h"

namespace volumist {

// Column ids, as stored in the settings and never renumbered.
enum ColumnId : int {
  kColumnIcon = 1,
  kColumnName = 2,
  kColumnSize = 3,
  kColumnSizePercent = 4,
  kColumnType = 5,
  kColumnModified = 6,
  kColumnAttributes = 7,
  kColumnDescription = 8,
  kColumnTitle = 9,
  kColumnArtist = 10,
  kColumnAlbum = 11,
  kColumnComment = 12,
  kColumnYear = 13,
  kColumnMp3Kbps = 14,
  kColumnMp3Khz = 15,
  kColumnMp3Length = 16,
  kColumnGenre = 17,
  kColumnFrameSize = 18,
  kColumnRatio = 19,
  kColumnVideoLength = 20,
  kColumnFps = 21,
  kColumnVideoCodec = 22,
  kColumnVideoKhz = 23,
  kColumnVideoKbps = 24,
  kColumnChannels = 25,
  kColumnAudioCodec = 26,
  kColumnCrc32 = 27,
  kColumnMd4 = 28,
  kColumnMd5 = 29,
  kColumnVolume = 30,
  kColumnFolder = 31,
  kColumnThumbnail = 32,
  kColumnImageInfo = 33,
  kColumnImageSize = 34,
  kColumnImageColors = 35,
};

// The title of a column ("Name", "kbps"...); empty for the icon column and unknown ids.
std::string_view ColumnTitle(int columnId);

// What a row knows that its record does not: the texts the caller holds for the Description,
// Volume and Folder columns, and whether the row is the parent-folder ("..") entry.
struct ColumnContext {
  std::string_view description;
  std::string_view volumeName;
  std::string_view folderPath;
  bool isUpEntry = false;
};

// The text of column `columnId` for `item`. Empty where the column shows nothing for such an item
// (audio columns without audio information, Modified for folders...). Drawn columns give no text:
// the icon (1), the Size% bar (4) and the thumbnail (32); the drawn lines of Image Info (33) come
// as its text, the lines separated by "\n" (size, colours when the depth has a name, bits).
std::string ColumnText(const ContentItem& item, int columnId, const ColumnContext& context = {});

}  // namespace volumist
