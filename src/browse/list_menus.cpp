#include "browse/list_menus.h"

namespace volumist::browse {
namespace {

struct ColumnEntry {
  ColumnId column;
  int command;
  std::string_view text;
};

constexpr ColumnEntry kColumnEntries[] = {
    {ColumnId::kName, 5001, "arrange by Filename"},
    {ColumnId::kSize, 5002, "arrange by Size"},
    {ColumnId::kType, 5003, "arrange by Extension"},
    {ColumnId::kModified, 5004, "arrange by Modification Time"},
    {ColumnId::kTitle, 5005, "arrange by Audio - Title"},
    {ColumnId::kArtist, 5006, "arrange by Audio - Artist"},
    {ColumnId::kAlbum, 5007, "arrange by Audio - Album"},
    {ColumnId::kComment, 5008, "arrange by Audio - Comment"},
    {ColumnId::kYear, 5009, "arrange by Audio - Year"},
    {ColumnId::kKbps, 5010, "arrange by Audio - Bitrate"},
    {ColumnId::kKhz, 5011, "arrange by Audio - Frequency"},
    {ColumnId::kLength, 5012, "arrange by Audio - Length"},
    {ColumnId::kFrameSize, 5013, "arrange by Video - Frame Size"},
    {ColumnId::kLengthFrames, 5014, "arrange by Video - Length (Frames)"},
    {ColumnId::kFps, 5015, "arrange by Video - FPS"},
    {ColumnId::kVideoCodec, 5016, "arrange by Video - Codec Name"},
    {ColumnId::kVideoAudioKhz, 5017, "arrange by Video - Audio Frequency"},
    {ColumnId::kVideoAudioKbps, 5018, "arrange by Video - Audio Bitrate"},
    {ColumnId::kChannels, 5019, "arrange by Video - Audio Channels"},
    {ColumnId::kAudioCodec, 5020, "arrange by Video - Audio Codec"},
    {ColumnId::kImageInfo, 5021, "arrange by Image - Information"},
};

}  // namespace

std::optional<ArrangeEntry> ArrangeEntryOf(ColumnId column) {
  for (const ColumnEntry& entry : kColumnEntries) {
    if (entry.column == column) return ArrangeEntry{entry.command, entry.text, entry.column};
  }
  return std::nullopt;
}

std::vector<ArrangeEntry> ArrangeMenu(const ColumnSet& columns, SortOrder order) {
  std::vector<ArrangeEntry> menu;
  for (const ShownColumn& shown : columns.columns) {
    if (std::optional<ArrangeEntry> entry = ArrangeEntryOf(shown.columnId)) menu.push_back(*entry);
  }
  ArrangeEntry separator;
  separator.isSeparator = true;
  menu.push_back(separator);
  menu.push_back({kArrangeAscendingCommand, "In Ascending", ColumnId::kName, false, order == SortOrder::kAscending});
  menu.push_back({kArrangeDescendingCommand, "In Descending", ColumnId::kName, false, order == SortOrder::kDescending});
  return menu;
}

std::optional<SortChoice> ChooseArrangeCommand(int command, ColumnId column, SortOrder order) {
  if (command == kArrangeAscendingCommand) return SortChoice{column, SortOrder::kAscending};
  if (command == kArrangeDescendingCommand) return SortChoice{column, SortOrder::kDescending};
  for (const ColumnEntry& entry : kColumnEntries) {
    if (entry.command == command) return SortChoice{entry.column, order};
  }
  return std::nullopt;
}

std::vector<int> ViewTabs(const ScanOptions& options) {
  std::vector<int> tabs = {kViewMain};
  if (options.analyzeAudio) tabs.push_back(kViewAudio);
  if (options.analyzeVideo) tabs.push_back(kViewVideo);
  if (options.computeSignatures) tabs.push_back(kViewSignatures);
  if (options.analyzeImages) {
    tabs.push_back(kViewImages);
    tabs.push_back(kViewThumbnails);
  }
  return tabs;
}

}  // namespace volumist::browse
