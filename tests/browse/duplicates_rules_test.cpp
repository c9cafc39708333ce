// The rules of the "Find duplicates" dialog: the form read as options, captions, progress and jumps.
#include <gtest/gtest.h>

#include "browse/duplicates_rules.h"

namespace volumist::browse {
namespace {

TEST(DuplicatesRulesTest, FormSizeIsReadWithUnitsOrRefused) {
  struct Case {
    const char* typed;
    std::optional<uint64_t> minimum;
  };
  const Case cases[] = {
      {"1", 1},          {"0", 0},          {" 4096 ", 4096},   {"10K", 10240},     {"3M", 3145728},
      {"1G", 1073741824}, {"", std::nullopt}, {"ten", std::nullopt}, {"5k", std::nullopt}, {"-1", std::nullopt},
      {"1KB", std::nullopt}, {"18446744073709551615", UINT64_MAX}, {"18446744073709551616", std::nullopt},
      {"17179869184G", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    DuplicatesForm form;
    form.minimumSize = c.typed;
    form.match = DuplicateMatch::kContent;
    form.withinVolume = true;
    std::string problem;
    std::optional<DuplicateOptions> options = ReadDuplicatesForm(form, problem);
    ASSERT_EQ(options.has_value(), c.minimum.has_value());
    if (options) {
      EXPECT_EQ(options->minimumSize, *c.minimum);
      EXPECT_EQ(options->match, DuplicateMatch::kContent);
      EXPECT_TRUE(options->withinVolume);
      EXPECT_TRUE(problem.empty());
    } else {
      EXPECT_EQ(problem, duplicates_text::kBadSize);
    }
  }
}

TEST(DuplicatesRulesTest, GroupCaptionsSayTheRule) {
  DuplicateGroup content;
  content.rule = DuplicateRule::kContent;
  content.digestKind = DigestKind::kMd5;
  content.digest = {0xe9, 0x8d, 0x2f, 0x00, 0x1d, 0xa5, 0x67, 0x8b};
  content.size = 5000;
  content.members.resize(2);
  DuplicateGroup ed2k = content;
  ed2k.digestKind = DigestKind::kEd2k;
  ed2k.members.resize(3);
  DuplicateGroup names;
  names.rule = DuplicateRule::kNameAndSize;
  names.size = 100;
  names.members.resize(2);
  EXPECT_EQ(GroupCaption(content), "Same content (MD5 e98d2f00...), 2 files");
  EXPECT_EQ(GroupCaption(ed2k), "Same content (eDonkey e98d2f00...), 3 files");
  EXPECT_EQ(GroupCaption(names), "Same name and size (no signatures), 2 files");
}

TEST(DuplicatesRulesTest, ProgressAndSummary) {
  struct Case {
    size_t read, count;
    int percent;
  };
  for (const Case& c : {Case{0, 200, 0}, Case{3, 200, 1}, Case{200, 200, 100}, Case{0, 0, 100}, Case{5, 4, 100}}) {
    SCOPED_TRACE(c.read);
    EXPECT_EQ(ProgressPercent(c.read, c.count), c.percent);
  }
  EXPECT_EQ(ProgressText(3, 200, 120000), "Reading volumes: 3 of 200 (120 000 files)");
  EXPECT_EQ(SummaryText(0, 0, 0), duplicates_text::kNoneFound);
  EXPECT_EQ(SummaryText(1, 2, 5000), "1 group, 2 files, 4.88 KB in extra copies");
  EXPECT_EQ(SummaryText(12, 30, 512), "12 groups, 30 files, 512 B in extra copies");
}

TEST(DuplicatesRulesTest, JumpLeadsToTheMembersRow) {
  DuplicateVolumes volumes(2);
  volumes[0].path = "/v/a.vkt";
  volumes[1].path = "/v/b.vkt";
  DuplicateMember file;
  file.volume = 1;
  file.name = "report.pdf";
  file.key = 120;
  file.containerKey = 40;
  DuplicateMember archive = file;
  archive.volume = 0;
  archive.isArchive = true;
  archive.name = "pack.zip";
  const JumpTarget toFile = JumpTargetOfMember(file, volumes);
  EXPECT_EQ(toFile.volumePath, "/v/b.vkt");
  EXPECT_EQ(toFile.containerKey, 40u);
  EXPECT_EQ(toFile.key, 120u);
  EXPECT_EQ(toFile.kind, RowKind::kFile);
  EXPECT_EQ(toFile.name, "report.pdf");
  const JumpTarget toArchive = JumpTargetOfMember(archive, volumes);
  EXPECT_EQ(toArchive.volumePath, "/v/a.vkt");
  EXPECT_EQ(toArchive.kind, RowKind::kArchive);
}

}  // namespace
}  // namespace volumist::browse
