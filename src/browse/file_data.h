// The "File data" pane: the details of the selected row, one line per value, each line the column's
// title, ":  " and the cell text, in this order: audio (Length, Title, Artist, Album, Comment,
// Year, kbps, kHz), video (Length(frames), Frame size, FPS, Video codec, kHz, kbps, Channels, Audio
// Codec), image (Image size, Image colors), signatures (CRC32, eDonkey Hash (MD4), RSA MD5). Only
// the groups the row has, and only lines whose value is not empty.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "browse/item_row.h"

namespace volumist::browse {

struct FileDataLine {
  std::string title;
  std::string value;
  friend bool operator==(const FileDataLine&, const FileDataLine&) = default;
};

std::vector<FileDataLine> FileDataLines(const ItemRow& row);
// The lines as the pane's text: title, ":  ", value and "\r\n" for each.
std::string FileDataText(const ItemRow& row);

}  // namespace volumist::browse
