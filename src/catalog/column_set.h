// The columns of the item lists: which columns a view shows, in which order, how wide and how they
// are drawn. The file list and the search results have one ColumnSet per view; only the shown
// flags are kept between runs (configuration.cfg), everything else comes from the defaults here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace volumist {

// A column's identity, which fixes its title and what it shows. The numbers are those of the lists'
// column tables and never change.
enum class ColumnId : uint8_t {
  kIcon = 1,
  kName = 2,
  kSize = 3,
  kSizePercent = 4,
  kType = 5,
  kModified = 6,
  kAttributes = 7,
  kDescription = 8,
  kTitle = 9,
  kArtist = 10,
  kAlbum = 11,
  kComment = 12,
  kYear = 13,
  kKbps = 14,
  kKhz = 15,
  kLength = 16,
  kGenre = 17,
  kFrameSize = 18,
  kRatio = 19,
  kLengthFrames = 20,
  kFps = 21,
  kVideoCodec = 22,
  kVideoAudioKhz = 23,   // the audio track of a video
  kVideoAudioKbps = 24,  // the audio track of a video
  kChannels = 25,
  kAudioCodec = 26,
  kCrc32 = 27,
  kMd4 = 28,
  kMd5 = 29,
  kVolume = 30,
  kFolder = 31,
  kThumbnail = 32,
  kImageInfo = 33,
  kImageSize = 34,
  kImageColors = 35,
};

// The column's header text ("" for the icon column and for unknown ids).
std::string_view ColumnTitle(ColumnId id);

// Colours are stored red in the low byte: 0x00BBGGRR.
inline constexpr uint32_t kColumnWhite = 0xFFFFFF;
inline constexpr uint32_t kNameColumnColour = 0xF6F8FA;            // red 250, green 248, blue 246
inline constexpr uint32_t kThumbnailsNameColumnColour = 0xF8F8F8;  // red, green and blue 248

struct ShownColumn {
  ColumnId columnId = ColumnId::kName;
  std::string title;
  uint32_t width = 0;  // pixels
  uint32_t backgroundColour = kColumnWhite;
  uint8_t displayCode = 0;  // text alignment: 0 left, 1 centred, 2 right
  // Drawing switches that the list interprets per column.
  bool switch1 = false;
  bool switch2 = false;
  bool switch3 = false;
  uint32_t reserved = 0;  // always 0
  bool isShown = true;

  friend bool operator==(const ShownColumn&, const ShownColumn&) = default;
};

struct ColumnSet {
  std::vector<ShownColumn> columns;  // in display order; position i is bit i of the stored mask
  uint32_t rowHeight = 18;          // pixels
  uint32_t iconSize = 16;

  // Bit i set when column i is shown. Only the first 32 columns have a bit.
  uint32_t ShownMask() const;
  // Sets every column's isShown from its bit; bits past the last column have no effect.
  void ApplyShownMask(uint32_t mask);

  friend bool operator==(const ColumnSet&, const ColumnSet&) = default;
};

// The views of the file list, in order; the search results use the first four.
inline constexpr int kViewCount = 7;
inline constexpr int kStoredViewCount = 6;  // views with a stored shown mask
enum View : int {
  kViewMain = 0,
  kViewAudio = 1,
  kViewVideo = 2,
  kViewSignatures = 3,
  kViewImages = 4,
  kViewThumbnails = 5,
  kViewDocuments = 6,
};
// The views' tab captions; the blanks belong to them.
inline constexpr std::array<std::string_view, kViewCount> kViewCaptions = {
    " Main ", " Audio ", " Video ", " Signatures ", " Images", " Thumbnails", " Documents "};

// The built-in column sets of file-list view `view` and of search-results view `view` (0 to 6; the
// search results have columns in views 0 to 3 only). An empty set for other views.
ColumnSet DefaultListColumnSet(int view);
ColumnSet DefaultSearchColumnSet(int view);

}  // namespace volumist
