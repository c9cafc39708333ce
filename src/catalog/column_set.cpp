#include "catalog/column_set.h"

#include <initializer_list>

namespace volumist {
namespace {

constexpr std::array<std::string_view, 36> kTitles = {
    "",           "",           "Name",       "Size",          "Size%",         "Type",
    "Modified",   "Attr",       "Description", "Title",        "Artist",        "Album",
    "Comment",    "Year",       "kbps",       "kHz",           "Length",        "Genre",
    "Frame size", "Ratio",      "Length(frames)", "FPS",       "Video codec",   "kHz",
    "kbps",       "Channels",   "Audio Codec", "CRC32",        "eDonkey Hash (MD4)", "RSA MD5",
    "Volume",     "Folder",     "Thumbnail",  "Image Info",    "Image size",    "Image colors",
};

constexpr uint32_t kImagesRowHeight = 102;  // room for a thumbnail

// One column of a default set: its id, width and whether it starts shown.
struct DefaultColumn {
  ColumnId id;
  uint32_t width;
  bool shown = true;
};
constexpr bool kHidden = false;

ShownColumn MakeColumn(const DefaultColumn& column, bool thumbnailsView) {
  ShownColumn made;
  made.columnId = column.id;
  made.title = std::string(ColumnTitle(column.id));
  made.width = column.width;
  made.isShown = column.shown;
  if (column.id == ColumnId::kName) made.backgroundColour = thumbnailsView ? kThumbnailsNameColumnColour : kNameColumnColour;
  // (alignment; switch1, switch2, switch3) by column.
  auto set = [&made](uint8_t display, bool s1, bool s2, bool s3) {
    made.displayCode = display;
    made.switch1 = s1;
    made.switch2 = s2;
    made.switch3 = s3;
  };
  switch (column.id) {
    case ColumnId::kIcon: set(0, false, false, false); break;
    case ColumnId::kSizePercent: set(0, true, false, true); break;
    case ColumnId::kSize: set(2, true, true, true); break;
    case ColumnId::kAttributes: set(1, false, false, true); break;
    case ColumnId::kCrc32:
    case ColumnId::kMd4:
    case ColumnId::kMd5:
    case ColumnId::kDescription: set(0, true, true, false); break;
    case ColumnId::kThumbnail: set(1, false, false, false); break;
    case ColumnId::kImageInfo: set(0, false, false, true); break;
    default: set(0, true, true, true); break;
  }
  return made;
}

ColumnSet MakeSet(std::initializer_list<DefaultColumn> columns, bool thumbnailsView = false,
                  uint32_t rowHeight = 18) {
  ColumnSet set;
  set.rowHeight = rowHeight;
  for (const DefaultColumn& column : columns) set.columns.push_back(MakeColumn(column, thumbnailsView));
  return set;
}

using enum ColumnId;

}  // namespace

std::string_view ColumnTitle(ColumnId id) {
  auto index = static_cast<size_t>(id);
  return index < kTitles.size() ? kTitles[index] : std::string_view();
}

uint32_t ColumnSet::ShownMask() const {
  uint32_t mask = 0;
  for (size_t i = 0; i < columns.size() && i < 32; ++i) {
    if (columns[i].isShown) mask |= uint32_t{1} << i;
  }
  return mask;
}

void ColumnSet::ApplyShownMask(uint32_t mask) {
  for (size_t i = 0; i < columns.size(); ++i) columns[i].isShown = i < 32 && (mask & (uint32_t{1} << i)) != 0;
}

ColumnSet DefaultListColumnSet(int view) {
  switch (view) {
    case kViewMain:
      return MakeSet({{kIcon, 30}, {kName, 210}, {kType, 47}, {kSizePercent, 45, kHidden}, {kSize, 90},
                      {kModified, 97}, {kAttributes, 30}, {kCrc32, 62, kHidden}, {kDescription, 300}});
    case kViewAudio:
      return MakeSet({{kIcon, 30}, {kName, 180}, {kType, 47}, {kSizePercent, 45, kHidden}, {kSize, 90, kHidden},
                      {kModified, 97, kHidden}, {kAttributes, 30, kHidden}, {kCrc32, 62, kHidden}, {kLength, 43},
                      {kTitle, 160}, {kArtist, 160}, {kAlbum, 160}, {kComment, 160}, {kYear, 42}, {kKbps, 50},
                      {kKhz, 45}, {kDescription, 300}});
    case kViewVideo:
      return MakeSet({{kIcon, 30}, {kName, 180}, {kType, 47}, {kSizePercent, 45, kHidden}, {kSize, 90, kHidden},
                      {kModified, 97, kHidden}, {kAttributes, 30, kHidden}, {kCrc32, 62, kHidden},
                      {kLengthFrames, 95}, {kFrameSize, 62}, {kRatio, 42}, {kFps, 47}, {kVideoCodec, 100},
                      {kVideoAudioKbps, 55}, {kVideoAudioKhz, 41}, {kChannels, 65}, {kAudioCodec, 100},
                      {kDescription, 300}});
    case kViewSignatures:
      return MakeSet({{kIcon, 30}, {kName, 180}, {kType, 47}, {kSizePercent, 45, kHidden}, {kSize, 90, kHidden},
                      {kModified, 97, kHidden}, {kAttributes, 30, kHidden}, {kCrc32, 62}, {kMd4, 218},
                      {kMd5, 208}});
    case kViewImages:
      return MakeSet({{kIcon, 30}, {kName, 180}, {kType, 47}, {kThumbnail, 110}, {kImageInfo, 85}, {kSize, 90},
                      {kModified, 97, kHidden}, {kAttributes, 30, kHidden}, {kCrc32, 62, kHidden},
                      {kDescription, 300}},
                     false, kImagesRowHeight);
    case kViewThumbnails:
      return MakeSet({{kName, 190}, {kImageInfo, 85}, {kSize, 90}, {kType, 47}, {kModified, 97}}, true);
    default:
      return ColumnSet{};
  }
}

ColumnSet DefaultSearchColumnSet(int view) {
  switch (view) {
    case kViewMain:
      return MakeSet({{kVolume, 70}, {kName, 160}, {kType, 40}, {kFolder, 190}, {kSize, 90}, {kModified, 97},
                      {kAttributes, 30}, {kDescription, 300}});
    case kViewAudio:
      return MakeSet({{kVolume, 70}, {kName, 160}, {kType, 40}, {kFolder, 190}, {kSize, 90, kHidden},
                      {kModified, 97, kHidden}, {kAttributes, 30, kHidden}, {kLength, 43}, {kTitle, 120},
                      {kArtist, 120}, {kAlbum, 120}, {kComment, 120, kHidden}, {kYear, 42, kHidden}, {kKbps, 50},
                      {kKhz, 45}, {kDescription, 300}});
    case kViewVideo:
      return MakeSet({{kVolume, 70}, {kName, 160}, {kType, 40}, {kFolder, 190}, {kSize, 90, kHidden},
                      {kModified, 97, kHidden}, {kAttributes, 30, kHidden}, {kLengthFrames, 95}, {kFrameSize, 62},
                      {kFps, 47}, {kVideoCodec, 100}, {kVideoAudioKbps, 55}, {kVideoAudioKhz, 41},
                      {kChannels, 65}, {kAudioCodec, 100}});
    case kViewSignatures:
      return MakeSet({{kVolume, 70}, {kName, 160}, {kType, 40}, {kFolder, 190}, {kSize, 90},
                      {kModified, 97, kHidden}, {kAttributes, 30, kHidden}, {kCrc32, 62}, {kMd4, 218},
                      {kMd5, 208}});
    default:
      return ColumnSet{};
  }
}

}  // namespace volumist
