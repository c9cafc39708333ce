// The tile view of an item list (the " Thumbnails" mode): rows laid out as tiles, left to right and
// top to bottom. A tile is the thumbnail size plus 6 pixels wide and the thumbnail size plus 21
// pixels high, plus 12 pixels for each of the two optional lines (image size, image colours):
//
//   +--------------+   3 px margin
//   |  thumbnail   |   thumbnail size x thumbnail size, the picture centred in it
//   |              |
//   |  name        |   15 px
//   |  100 x 75    |   12 px, when shown
//   |  256 Colors  |   12 px, when shown
//   +--------------+   3 px margin
//
// Tiles are kTileGap pixels apart. All sizes are logical pixels. A view narrower than one tile still
// has one column.
#pragma once

#include <optional>
#include <utility>

namespace volumist::browse {

inline constexpr int kTileGap = 4;
inline constexpr int kTileMargin = 3;
inline constexpr int kTileNameHeight = 15;
inline constexpr int kTileLineHeight = 12;

struct TileStyle {
  int thumbnailSize = 100;  // 100, 75 or 50
  bool showImageSize = false;
  bool showImageColors = false;
};

struct TileRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const TileRect&, const TileRect&) = default;
};

// The keys that move the current tile.
enum class TileStep { kLeft, kRight, kUp, kDown, kPageUp, kPageDown, kHome, kEnd };

class TileLayout {
 public:
  // `count` tiles in a view `viewWidth` pixels wide (any width, also 0 or less).
  TileLayout(TileStyle style, int viewWidth, int count);

  int TileWidth() const { return tileWidth_; }
  int TileHeight() const { return tileHeight_; }
  int Columns() const { return columns_; }
  int Rows() const { return rows_; }
  int Count() const { return count_; }
  // The height of all rows of tiles.
  int ContentHeight() const;

  TileRect Tile(int index) const;
  // The parts of tile `index`.
  TileRect ThumbnailBox(int index) const;
  TileRect NameLine(int index) const;
  std::optional<TileRect> ImageSizeLine(int index) const;
  std::optional<TileRect> ImageColorsLine(int index) const;

  // The tile at a point of the content (y counted from its top), or -1 for a gap or past the end.
  int IndexAt(int x, int y) const;
  // The tiles that a band of the content from `top`, `height` pixels high, touches: [first, last],
  // or (-1, -1) for none.
  std::pair<int, int> TilesIn(int top, int height) const;
  // The tile a key moves to from `index` (-1: none yet), staying within the tiles; a page is
  // `pageRows` rows of tiles.
  int Move(int index, TileStep step, int pageRows) const;

 private:
  TileStyle style_;
  int tileWidth_;
  int tileHeight_;
  int columns_;
  int rows_;
  int count_;
};

}  // namespace volumist::browse
