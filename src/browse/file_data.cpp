#include "browse/file_data.h"

namespace volumist::browse {
namespace {

using C = ColumnId;

constexpr ColumnId kAudio[] = {C::kLength, C::kTitle, C::kArtist, C::kAlbum, C::kComment, C::kYear, C::kKbps, C::kKhz};
constexpr ColumnId kVideo[] = {C::kLengthFrames, C::kFrameSize,      C::kFps,      C::kVideoCodec,
                               C::kVideoAudioKhz, C::kVideoAudioKbps, C::kChannels, C::kAudioCodec};
constexpr ColumnId kImage[] = {C::kImageSize, C::kImageColors};
constexpr ColumnId kSignatures[] = {C::kCrc32, C::kMd4, C::kMd5};

template <size_t N>
void AddLines(const ItemRow& row, const ColumnId (&columns)[N], std::vector<FileDataLine>& lines) {
  for (ColumnId column : columns) {
    std::string value = CellText(row, column);
    if (!value.empty()) lines.push_back({std::string(ColumnTitle(column)), std::move(value)});
  }
}

}  // namespace

std::vector<FileDataLine> FileDataLines(const ItemRow& row) {
  std::vector<FileDataLine> lines;
  if (row.kind != RowKind::kFile && row.kind != RowKind::kArchive) return lines;
  if (row.Mp3()) AddLines(row, kAudio, lines);
  if (row.HasVideo()) AddLines(row, kVideo, lines);
  if (row.Image()) AddLines(row, kImage, lines);
  if (row.hasSignatures) AddLines(row, kSignatures, lines);
  return lines;
}

std::string FileDataText(const ItemRow& row) {
  std::string text;
  for (const FileDataLine& line : FileDataLines(row)) text += line.title + ":  " + line.value + "\r\n";
  return text;
}

}  // namespace volumist::browse
