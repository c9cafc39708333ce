#include "browse/tile_layout.h"

#include <algorithm>

namespace volumist::browse {

TileLayout::TileLayout(TileStyle style, int viewWidth, int count) : style_(style), count_(std::max(count, 0)) {
  style_.thumbnailSize = std::clamp(style_.thumbnailSize, 1, 1000);
  tileWidth_ = style_.thumbnailSize + 2 * kTileMargin;
  tileHeight_ = style_.thumbnailSize + 21 + kTileLineHeight * (int{style_.showImageSize} + int{style_.showImageColors});
  columns_ = std::max(1, (std::max(viewWidth, 0) + kTileGap) / (tileWidth_ + kTileGap));
  rows_ = (count_ + columns_ - 1) / columns_;
}

int TileLayout::ContentHeight() const { return rows_ == 0 ? 0 : rows_ * (tileHeight_ + kTileGap) - kTileGap; }

TileRect TileLayout::Tile(int index) const {
  if (index < 0 || index >= count_) return {};
  return {(index % columns_) * (tileWidth_ + kTileGap), (index / columns_) * (tileHeight_ + kTileGap), tileWidth_,
          tileHeight_};
}

TileRect TileLayout::ThumbnailBox(int index) const {
  TileRect tile = Tile(index);
  return {tile.x + kTileMargin, tile.y + kTileMargin, style_.thumbnailSize, style_.thumbnailSize};
}

TileRect TileLayout::NameLine(int index) const {
  TileRect box = ThumbnailBox(index);
  return {box.x, box.y + box.height, box.width, kTileNameHeight};
}

std::optional<TileRect> TileLayout::ImageSizeLine(int index) const {
  if (!style_.showImageSize) return std::nullopt;
  TileRect name = NameLine(index);
  return TileRect{name.x, name.y + name.height, name.width, kTileLineHeight};
}

std::optional<TileRect> TileLayout::ImageColorsLine(int index) const {
  if (!style_.showImageColors) return std::nullopt;
  TileRect above = style_.showImageSize ? *ImageSizeLine(index) : NameLine(index);
  return TileRect{above.x, above.y + above.height, above.width, kTileLineHeight};
}

int TileLayout::IndexAt(int x, int y) const {
  if (x < 0 || y < 0) return -1;
  int column = x / (tileWidth_ + kTileGap);
  int row = y / (tileHeight_ + kTileGap);
  if (column >= columns_ || x % (tileWidth_ + kTileGap) >= tileWidth_ || y % (tileHeight_ + kTileGap) >= tileHeight_) {
    return -1;
  }
  int64_t index = int64_t{row} * columns_ + column;
  return index < count_ ? static_cast<int>(index) : -1;
}

std::pair<int, int> TileLayout::TilesIn(int top, int height) const {
  if (count_ == 0 || height <= 0) return {-1, -1};
  int firstRow = std::max(top, 0) / (tileHeight_ + kTileGap);
  int lastRow = std::max(top + height - 1, 0) / (tileHeight_ + kTileGap);
  if (firstRow >= rows_) return {-1, -1};
  lastRow = std::min(lastRow, rows_ - 1);
  int first = firstRow * columns_;
  int last = std::min(count_ - 1, (lastRow + 1) * columns_ - 1);
  return {first, last};
}

int TileLayout::Move(int index, TileStep step, int pageRows) const {
  if (count_ == 0) return -1;
  if (index < 0 || index >= count_) return 0;
  const int64_t page = int64_t{std::max(pageRows, 1)} * columns_;
  int64_t target = index;
  switch (step) {
    case TileStep::kLeft: target = index - 1; break;
    case TileStep::kRight: target = index + 1; break;
    case TileStep::kUp: target = index - columns_; break;
    case TileStep::kDown: target = index + columns_; break;
    case TileStep::kPageUp: target = index - page; break;
    case TileStep::kPageDown: target = index + page; break;
    case TileStep::kHome: target = 0; break;
    case TileStep::kEnd: target = count_ - 1; break;
  }
  // Up from the first row and down from the last stay; down into a shorter last row ends at its last
  // tile; everything else stops at the ends.
  if (target < 0) return step == TileStep::kUp ? index : 0;
  if (target >= count_) return step == TileStep::kDown && index / columns_ == rows_ - 1 ? index : count_ - 1;
  return static_cast<int>(target);
}

}  // namespace volumist::browse
