// The order of an item list: folder-like rows first and by the folder-name rule in both orders, the
// other rows by the column's value with ties by name, NaN values and rows without a value last,
// equal rows in their order, and the columns that leave the order alone.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <limits>
#include <algorithm>

#include "browse/row_sort.h"

namespace volumist::browse {
namespace {

using C = ColumnId;

ItemRow Folder(std::string name) {
  ItemRow row;
  row.kind = RowKind::kFolder;
  row.name = std::move(name);
  return row;
}

ItemRow File(std::string name, uint64_t size = 0, int64_t time = 0) {
  ItemRow row;
  row.kind = RowKind::kFile;
  row.name = std::move(name);
  size_t dot = row.name.rfind('.');
  row.extension = dot == std::string::npos ? "" : row.name.substr(dot + 1);
  row.size = size;
  row.modifiedTime = CatalogTime(time);
  return row;
}

ItemRow Video(std::string name, float fps, float length = 10) {
  ItemRow row = File(std::move(name));
  MediaInfo media;
  media.mediaType = kMediaAvi;
  AviInfo avi;
  avi.width = 320;
  avi.height = 240;
  avi.framesPerSecond = fps;
  avi.frameCount = std::isnan(length) || std::isnan(fps) ? 0 : static_cast<uint32_t>(length * fps);
  avi.isEmpty = false;
  media.body = avi;
  row.media = std::make_shared<const MediaInfo>(media);
  return row;
}

ItemRow Mpeg(std::string name, float lengthSeconds) {
  ItemRow row = File(std::move(name));
  MediaInfo media;
  media.mediaType = kMediaMpeg;
  MpegInfo mpeg;
  mpeg.width = 352;
  mpeg.height = 288;
  mpeg.frameRateCode = 3;
  mpeg.lengthSeconds = lengthSeconds;
  mpeg.isEmpty = false;
  media.body = mpeg;
  row.media = std::make_shared<const MediaInfo>(media);
  return row;
}

ItemRow Audio(std::string name, std::string title) {
  ItemRow row = File(std::move(name));
  MediaInfo media;
  media.mediaType = kMediaMp3;
  Mp3Info mp3;
  mp3.title = std::move(title);
  mp3.isEmpty = false;
  media.body = mp3;
  row.media = std::make_shared<const MediaInfo>(media);
  return row;
}

std::vector<std::string> Names(const std::vector<ItemRow>& rows) {
  std::vector<std::string> names;
  for (const ItemRow& row : rows) names.push_back(row.name);
  return names;
}

std::vector<std::string> Sorted(std::vector<ItemRow> rows, ColumnId column, SortOrder order) {
  EXPECT_TRUE(SortRows(rows, column, order));
  return Names(rows);
}

TEST(RowSortTest, FolderNameRule) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  } cases[] = {
      {"b", "B", 0},                // letters compare without case
      {"a.b", "ab", -1},            // the '.' rule
      {"ab", "a.b", 1},
      {"..", "a", -1},              // the up entry's name comes first
      {"..", ".hidden", -1},
      {"a\xC3\xA9", "az", -1},      // a byte above 127 sorts before ASCII at the same position
      {"\xE4", "A", -1},
      {"abc", "ab", 1},             // the shorter name's end takes part as a zero
      {"ab\xE9", "ab", -1},         // ... and a byte above 127 is below zero
      {"Z", "a", 1},                // lower-cased before comparing
      {"", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(CompareFolderNames(c.a, c.b), c.expected);
    EXPECT_EQ(CompareFolderNames(c.b, c.a), -c.expected);
  }
}

TEST(RowSortTest, FoldersFirstAndTheUpEntryLeadsInEitherOrder) {
  std::vector<ItemRow> rows = {File("b.txt", 5), Folder("zeta"), File("A.txt", 9), Folder("..."), Folder("Alpha"),
                               UpRow(0, 7)};
  for (ColumnId column : {C::kName, C::kSize, C::kModified, C::kType}) {
    SCOPED_TRACE(static_cast<int>(column));
    EXPECT_EQ(Sorted(rows, column, SortOrder::kAscending)[0], "..");
    std::vector<std::string> descending = Sorted(rows, column, SortOrder::kDescending);
    // Folders keep the folder-name order also when descending; a folder named "..." still comes
    // after the up entry.
    EXPECT_EQ(std::vector<std::string>(descending.begin(), descending.begin() + 4),
              (std::vector<std::string>{"..", "...", "Alpha", "zeta"}));
  }
  EXPECT_EQ(Sorted(rows, C::kName, SortOrder::kDescending),
            (std::vector<std::string>{"..", "...", "Alpha", "zeta", "b.txt", "A.txt"}));
}

TEST(RowSortTest, EqualSizesDescendingAreInAscendingNameOrder) {
  std::vector<ItemRow> rows = {File("c.bin", 10), File("B.bin", 10), File("a.bin", 10), File("big.bin", 99)};
  EXPECT_EQ(Sorted(rows, C::kSize, SortOrder::kDescending),
            (std::vector<std::string>{"big.bin", "a.bin", "B.bin", "c.bin"}));
  EXPECT_EQ(Sorted(rows, C::kSize, SortOrder::kAscending),
            (std::vector<std::string>{"a.bin", "B.bin", "c.bin", "big.bin"}));
  // Size% orders by size as well.
  EXPECT_EQ(Sorted(rows, C::kSizePercent, SortOrder::kDescending)[0], "big.bin");
}

TEST(RowSortTest, SizesAboveTwoToTheSixtyThreeAreTheLargest) {
  std::vector<ItemRow> rows = {File("huge", UINT64_MAX), File("small", 1), File("half", uint64_t{1} << 63)};
  EXPECT_EQ(Sorted(rows, C::kSize, SortOrder::kAscending), (std::vector<std::string>{"small", "half", "huge"}));
}

TEST(RowSortTest, ColumnsThatSortByNameOrExtensionOrTime) {
  std::vector<ItemRow> rows = {File("b.TXT", 1, 300), File("a.doc", 2, 100), File("C.txt", 3, 200)};
  for (ColumnId column : {C::kIcon, C::kName, C::kAttributes, C::kDescription, C::kThumbnail}) {
    EXPECT_EQ(Sorted(rows, column, SortOrder::kAscending), (std::vector<std::string>{"a.doc", "b.TXT", "C.txt"}));
  }
  EXPECT_EQ(Sorted(rows, C::kType, SortOrder::kAscending), (std::vector<std::string>{"a.doc", "b.TXT", "C.txt"}));
  EXPECT_EQ(Sorted(rows, C::kType, SortOrder::kDescending), (std::vector<std::string>{"b.TXT", "C.txt", "a.doc"}));
  EXPECT_EQ(Sorted(rows, C::kModified, SortOrder::kDescending), (std::vector<std::string>{"b.TXT", "C.txt", "a.doc"}));
}

TEST(RowSortTest, ColumnsThatDoNotSortLeaveTheOrder) {
  std::vector<ItemRow> rows = {File("b"), File("a"), Folder("z")};
  for (ColumnId column : {C::kGenre, C::kCrc32, C::kMd4, C::kMd5, C::kImageSize, C::kImageColors}) {
    SCOPED_TRACE(static_cast<int>(column));
    EXPECT_FALSE(IsSortColumn(column));
    std::vector<ItemRow> copy = rows;
    EXPECT_FALSE(SortRows(copy, column, SortOrder::kAscending));
    EXPECT_EQ(Names(copy), Names(rows));
  }
  EXPECT_TRUE(IsSortColumn(C::kSizePercent));
  EXPECT_FALSE(IsSortColumn(static_cast<ColumnId>(99)));
}

TEST(RowSortTest, NotANumberAndMissingValuesGoLastInEitherOrder) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<ItemRow> rows = {Video("n1.avi", nan), File("plain.txt"), Video("fast.avi", 60), Video("n2.avi", nan),
                               Video("slow.avi", 12)};
  EXPECT_EQ(Sorted(rows, C::kFps, SortOrder::kAscending),
            (std::vector<std::string>{"slow.avi", "fast.avi", "n1.avi", "n2.avi", "plain.txt"}));
  EXPECT_EQ(Sorted(rows, C::kFps, SortOrder::kDescending),
            (std::vector<std::string>{"fast.avi", "slow.avi", "n1.avi", "n2.avi", "plain.txt"}));
  std::vector<ItemRow> lengths = {Mpeg("b.mpg", nan), Mpeg("long.mpg", 900), Mpeg("a.mpg", nan), Mpeg("short.mpg", 5)};
  EXPECT_EQ(Sorted(lengths, C::kLengthFrames, SortOrder::kDescending),
            (std::vector<std::string>{"long.mpg", "short.mpg", "a.mpg", "b.mpg"}));
  // Audio columns: files without audio information after those with it.
  std::vector<ItemRow> audio = {File("x.txt"), Audio("1.mp3", "Zebra"), Audio("2.mp3", "apple")};
  EXPECT_EQ(Sorted(audio, C::kTitle, SortOrder::kAscending), (std::vector<std::string>{"2.mp3", "1.mp3", "x.txt"}));
  EXPECT_EQ(Sorted(audio, C::kTitle, SortOrder::kDescending), (std::vector<std::string>{"1.mp3", "2.mp3", "x.txt"}));
}

// Any mix of values, NaN included, must give a strict weak order: irreflexive, asymmetric and
// transitive, with incomparability transitive too. std::sort relies on it.
TEST(RowSortTest, TheComparisonIsAStrictWeakOrderOnAnyRows) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<ItemRow> rows = {Video("a", nan),   Video("a", 25),   Video("B", 25),  Video("c", nan),
                               File("a"),         File("A"),        Folder("a"),     Folder("A.b"),
                               UpRow(0, 1),       Audio("m", "x"),  Mpeg("m", nan),  Mpeg("n", 3),
                               File("\xE9", 4),   Folder("\xE9"),   File("", 0),     Video("d", -0.0f)};
  for (ColumnId column : {C::kName, C::kSize, C::kFps, C::kLengthFrames, C::kTitle, C::kFrameSize, C::kImageInfo,
                          C::kVideoCodec}) {
    for (SortOrder order : {SortOrder::kAscending, SortOrder::kDescending}) {
      SCOPED_TRACE(static_cast<int>(column) * 10 + static_cast<int>(order));
      auto less = [&](const ItemRow& x, const ItemRow& y) { return RowGoesBefore(x, y, column, order); };
      for (const ItemRow& a : rows) {
        EXPECT_FALSE(less(a, a));
        for (const ItemRow& b : rows) {
          if (less(a, b)) {
            EXPECT_FALSE(less(b, a));
          }
          for (const ItemRow& c : rows) {
            if (less(a, b) && less(b, c)) {
              EXPECT_TRUE(less(a, c));
            }
            bool abEqual = !less(a, b) && !less(b, a);
            bool bcEqual = !less(b, c) && !less(c, b);
            if (abEqual && bcEqual) {
              EXPECT_TRUE(!less(a, c) && !less(c, a));
            }
          }
        }
      }
    }
  }
}

TEST(RowSortTest, SortingThroughPrecomputedNamesGivesTheComparisonsOrder) {
  // SortRows and SortedOrder compare names through lower-cased copies; the order must be
  // RowGoesBefore's.
  std::vector<ItemRow> rows;
  const char* names[] = {"b.TXT", "B.txt", "a", "A", "\xE9t\xE9", "Zeta", "zeta", "z", "", "a.b", "ab", "_x", "~y", "0"};
  uint64_t size = 0;
  for (const char* name : names) {
    rows.push_back(File(name, size++ % 3));
    rows.push_back(Folder(name));
  }
  rows.push_back(UpRow(0, 1));
  for (ColumnId column : {C::kName, C::kSize, C::kType, C::kDescription}) {
    for (SortOrder order : {SortOrder::kAscending, SortOrder::kDescending}) {
      std::vector<ItemRow> expected = rows;
      std::stable_sort(expected.begin(), expected.end(),
                       [&](const ItemRow& a, const ItemRow& b) { return RowGoesBefore(a, b, column, order); });
      std::vector<ItemRow> sorted = rows;
      ASSERT_TRUE(SortRows(sorted, column, order));
      std::vector<std::pair<std::string, RowKind>> got, want;
      for (const ItemRow& row : sorted) got.emplace_back(row.name, row.kind);
      for (const ItemRow& row : expected) want.emplace_back(row.name, row.kind);
      EXPECT_EQ(got, want) << static_cast<int>(column) << " " << static_cast<int>(order);
      // The same order from the rows held in a deque, as the search results keep them.
      const std::deque<ItemRow> queued(rows.begin(), rows.end());
      std::optional<std::vector<uint32_t>> positions = SortedOrder(queued, column, order);
      ASSERT_TRUE(positions.has_value());
      std::vector<std::pair<std::string, RowKind>> fromQueue;
      for (uint32_t position : *positions) fromQueue.emplace_back(queued.at(position).name, queued.at(position).kind);
      EXPECT_EQ(fromQueue, want) << static_cast<int>(column) << " " << static_cast<int>(order);
    }
  }
}

TEST(RowSortTest, EqualRowsKeepTheirOrder) {
  // Same name, same size: the sort is stable, so the rows stay as they came (by key here).
  std::vector<ItemRow> rows;
  for (RecordKey key : {5u, 3u, 9u, 1u}) {
    ItemRow row = File("same.txt", 7);
    row.key = key;
    rows.push_back(row);
  }
  for (SortOrder order : {SortOrder::kAscending, SortOrder::kDescending}) {
    std::vector<ItemRow> copy = rows;
    ASSERT_TRUE(SortRows(copy, C::kSize, order));
    std::vector<RecordKey> keys;
    for (const ItemRow& row : copy) keys.push_back(row.key);
    EXPECT_EQ(keys, (std::vector<RecordKey>{5, 3, 9, 1}));
  }
}

TEST(RowSortTest, DescendingIsAscendingReversedForDistinctValues) {
  std::vector<ItemRow> rows;
  // 100003 is prime: the sizes are distinct and in no particular order.
  for (uint64_t i = 0; i < 200; ++i) rows.push_back(File("f" + std::to_string(i), i * 7919 % 100003));
  std::vector<std::string> ascending = Sorted(rows, C::kSize, SortOrder::kAscending);
  std::vector<std::string> descending = Sorted(rows, C::kSize, SortOrder::kDescending);
  std::reverse(descending.begin(), descending.end());
  EXPECT_EQ(ascending, descending);
}

}  // namespace
}  // namespace volumist::browse
