#include "browse/change_report_text.h"

#include <gtest/gtest.h>

namespace volumist::browse {
namespace {

ItemChange Item(ItemKind kind, std::string path, uint8_t changes = 0, std::string oldPath = {}) {
  ItemChange item;
  item.kind = kind;
  item.path = std::move(path);
  item.changes = changes;
  item.oldPath = std::move(oldPath);
  return item;
}

TEST(ChangeReportTextTest, SummaryAndLinesTellEachListAndEachSource) {
  ChangeReport report;
  SourceChanges source;
  source.name = "Src";
  source.path = "/data/src";
  source.added = {Item(ItemKind::kFolder, "Src/new"), Item(ItemKind::kFile, "Src/new/a.txt")};
  source.removed = {Item(ItemKind::kArchive, "Src/old.zip")};
  source.changed = {Item(ItemKind::kFile, "Src/b.txt", kChangedSize | kChangedContent),
                    Item(ItemKind::kFile, "Src/c.txt", kChangedTime)};
  source.moved = {Item(ItemKind::kFile, "Src/new/d.bin", 0, "Src/d.bin")};
  report.sources.push_back(source);
  SourceChanges kept;
  kept.name = "Disc";
  kept.path = "/media/disc";
  kept.fate = SourceFate::kKept;
  report.sources.push_back(kept);
  report.carriedDescriptions = 1;
  report.lostDescriptions = {{"Src/old.zip", "two\nlines"}};
  report.lostDescriptionsFile = "/v/V.lost-descriptions.txt";

  EXPECT_EQ(ChangeSummary(report),
            "2 added (1 folder, 1 file), 1 removed (0 folders, 1 file), 2 changed, 1 moved; 1 description kept, 1 lost");
  EXPECT_EQ(ChangeLines(report), (std::vector<std::string>{
                                     "Source Src (/data/src): rescanned",
                                     "Added Src/new/",
                                     "Added Src/new/a.txt",
                                     "Removed Src/old.zip",
                                     "Changed Src/b.txt (size, content)",
                                     "Changed Src/c.txt (time)",
                                     "Moved Src/d.bin -> Src/new/d.bin",
                                     "Source Disc (/media/disc): kept",
                                     "Description lost: Src/old.zip: two lines",
                                     "Lost descriptions kept in /v/V.lost-descriptions.txt",
                                 }));
}

}  // namespace
}  // namespace volumist::browse
