// Duplicates and "only copy" over three volumes with known copies (testing/duplicate_volumes.h).
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>

#include "search/duplicates.h"
#include "testing/duplicate_volumes.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"

namespace volumist {
namespace {

using testing::RecordingPrompter;
using testing::TempDir;

// A group as "rule size: volume:path volume:path ...", members in output order.
std::string Describe(const DuplicateGroup& group) {
  std::string text = group.rule == DuplicateRule::kContent ? "content " : "name-size ";
  text += std::to_string(group.size) + ":";
  for (const DuplicateMember& member : group.members) {
    text += " " + std::to_string(member.volume) + ":" + member.path;
    if (member.inArchive) text += "(member)";
    if (member.isArchive) text += "(archive)";
  }
  return text;
}

class DuplicatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    paths_ = testing::WriteDuplicateVolumes(dir_.path(), prompter_);
    ASSERT_EQ(paths_.size(), 3u);
  }

  std::vector<std::string> Groups(const DuplicateOptions& options, const std::vector<std::string>& paths) {
    std::vector<std::string> found;
    report_ = FindDuplicates(paths, options, platform::FileSystem::Default(),
                             [&](DuplicateGroup&& group, const DuplicateVolumes&) { found.push_back(Describe(group)); });
    return found;
  }

  std::vector<std::string> Unique(size_t target, const DuplicateOptions& options = {}) {
    std::vector<std::string> found;
    report_ = FindUniqueFiles(paths_, target, options, platform::FileSystem::Default(),
                              [&](DuplicateMember&& member, const DuplicateVolumes&) { found.push_back(member.path); });
    return found;
  }

  TempDir dir_;
  RecordingPrompter prompter_;
  std::vector<std::string> paths_;
  DuplicateReport report_;
};

// Alpha is a folder source: its items lie under the root folder named after the source.
TEST_F(DuplicatesTest, GroupsByEachRuleAndOption) {
  const std::string kReport = "content 5000: 0:Source0/Docs/report.pdf 1:backup/rep-copy.pdf";
  const std::string kPhoto = "content 3000: 0:Source0/Photos/img1.jpg 1:photo.jpg 2:img-copy.jpg";
  const std::string kTwice = "content 600: 2:twice1.dat 2:sub/twice2.dat";
  const std::string kLatin = "content 450: 0:Source0/caf\\xe9.txt 2:sub/latin.txt";
  const std::string kNotes = "name-size 100: 0:Source0/notes.txt 1:notes.txt";
  const std::string kInner = "content 40: 0:Source0/pack.zip/inner.txt(member) 1:inner-copy.txt";
  const std::string kEmpty = "content 0: 0:Source0/Docs/empty.txt 1:empty.dat";
  struct Case {
    const char* what;
    DuplicateOptions options;
    std::vector<std::string> expected;
  };
  auto options = [](uint64_t minimum, DuplicateMatch match, bool within = false) {
    DuplicateOptions o;
    o.minimumSize = minimum;
    o.match = match;
    o.withinVolume = within;
    o.threads = 2;
    return o;
  };
  const Case cases[] = {
      {"by content, else by name and size; empty files left out", options(1, DuplicateMatch::kAuto),
       {kReport, kPhoto, kTwice, kLatin, kNotes, kInner}},
      {"zero-byte files asked for", options(0, DuplicateMatch::kAuto), {kReport, kPhoto, kTwice, kLatin, kNotes, kInner, kEmpty}},
      {"content only", options(1, DuplicateMatch::kContent), {kReport, kPhoto, kTwice, kLatin, kInner}},
      {"name and size only, signatures ignored", options(1, DuplicateMatch::kNameAndSize),
       {"name-size 300: 0:Source0/old.doc 1:old.doc", "name-size 200: 0:Source0/readme.txt 1:readme.txt", kNotes}},
      {"minimum size", options(3000, DuplicateMatch::kAuto), {kReport, kPhoto}},
      {"within one volume", options(1, DuplicateMatch::kAuto, true), {kTwice}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Groups(c.options, paths_), c.expected);
    EXPECT_FALSE(report_.stopped);
  }
}

TEST_F(DuplicatesTest, GroupsMembersCarryNameTimeAndContainer) {
  std::vector<DuplicateGroup> groups;
  DuplicateReport report = FindDuplicates({paths_[0], paths_[1]}, {}, platform::FileSystem::Default(),
                                          [&](DuplicateGroup&& group, const DuplicateVolumes&) { groups.push_back(std::move(group)); });
  ASSERT_EQ(report.volumes.size(), 2u);
  EXPECT_EQ(report.volumes[0].name, "Alpha");
  EXPECT_EQ(report.volumes[1].name, "Beta");
  ASSERT_FALSE(groups.empty());
  const DuplicateGroup& first = groups.front();
  EXPECT_EQ(first.digestKind, DigestKind::kMd5);
  EXPECT_EQ(first.digest, testing::ContentOf("report").md5);
  ASSERT_EQ(first.members.size(), 2u);
  EXPECT_EQ(first.members[0].name, "report.pdf");
  EXPECT_EQ(first.members[0].path, "Source0/Docs/report.pdf");
  EXPECT_EQ(first.members[0].modifiedTime.Value(), 1262304000);
  EXPECT_NE(first.members[0].containerKey, 0u);
  EXPECT_EQ(first.members[1].path, "backup/rep-copy.pdf");
  EXPECT_NE(first.members[1].containerKey, 0u);
}

// Beta's eDonkey hash alone meets Alpha's MD5 only through Gamma, whose record holds both.
TEST_F(DuplicatesTest, Ed2kHashAloneNeedsARecordHoldingBoth) {
  DuplicateOptions options;
  options.match = DuplicateMatch::kContent;
  std::vector<std::string> found = Groups(options, {paths_[0], paths_[1]});
  EXPECT_EQ(found, (std::vector<std::string>{"content 5000: 0:Source0/Docs/report.pdf 1:backup/rep-copy.pdf",
                                            "content 40: 0:Source0/pack.zip/inner.txt(member) 1:inner-copy.txt"}));
  found = Groups(options, {paths_[1], paths_[2]});
  EXPECT_EQ(found, (std::vector<std::string>{"content 3000: 0:photo.jpg 1:img-copy.jpg",
                                            "content 600: 1:twice1.dat 1:sub/twice2.dat"}));
}

TEST_F(DuplicatesTest, OnlyCopyListsExactlyTheFilesWithoutBackup) {
  struct Case {
    size_t target;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      // old.doc has a copy: Beta's holds no signatures, so name and size decide. readme.txt does
      // not: both hold an MD5, and they differ.
      {0, {"Source0/pack.zip", "Source0/alone.bin", "Source0/readme.txt"}},
      {1, {"readme.txt", "b-only.dat"}},
      {2, {"twice1.dat", "sub/twice2.dat", "notes.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    EXPECT_EQ(Unique(c.target), c.expected);
  }
}

TEST_F(DuplicatesTest, OnlyCopyWithZeroByteFilesAndTheTargetNamedTwice) {
  DuplicateOptions options;
  options.minimumSize = 0;
  // Gamma's empty file without signatures has no namesake; Alpha's empty MD5 is Beta's.
  EXPECT_EQ(Unique(2, options), (std::vector<std::string>{"twice1.dat", "sub/twice2.dat", "notes.txt", "c-empty"}));
  // The target's own file among the others is no backup of itself.
  std::vector<std::string> found;
  FindUniqueFiles({paths_[2], paths_[2]}, 0, {}, platform::FileSystem::Default(),
                  [&](DuplicateMember&& member, const DuplicateVolumes&) { found.push_back(member.path); });
  EXPECT_EQ(found.size(), 5u);
}

TEST_F(DuplicatesTest, VolumeThatCannotBeOpenedIsReportedAndLeftOut) {
  std::vector<std::string> paths = paths_;
  paths.insert(paths.begin() + 1, dir_.File("missing.vkt"));
  DuplicateOptions options;
  options.withinVolume = true;
  EXPECT_EQ(Groups(options, paths), (std::vector<std::string>{"content 600: 3:twice1.dat 3:sub/twice2.dat"}));
  ASSERT_EQ(report_.volumes.size(), 4u);
  EXPECT_FALSE(report_.volumes[1].opened);
  EXPECT_TRUE(report_.volumes[0].opened);
  EXPECT_TRUE(prompter_.Errors().empty());
}

// A volume cut short is read as far as it goes and said to be damaged; the copies found in what
// could be read still count.
TEST_F(DuplicatesTest, VolumeCutShortIsReadAsFarAsItGoes) {
  std::string bytes;
  {
    std::ifstream in(paths_[2], std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_GT(bytes.size(), 200u);
  const std::string cut = dir_.File("cut.vkt");
  for (size_t keep : {bytes.size() - 1, bytes.size() / 2, size_t{64}, size_t{0}}) {
    SCOPED_TRACE(keep);
    {
      std::ofstream out(cut, std::ios::binary | std::ios::trunc);
      out.write(bytes.data(), static_cast<std::streamsize>(keep));
    }
    DuplicateOptions options;
    options.match = DuplicateMatch::kContent;
    std::vector<std::string> found = Groups(options, {paths_[0], paths_[1], cut});
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.front(), "content 5000: 0:Source0/Docs/report.pdf 1:backup/rep-copy.pdf");
    const DuplicateVolume& state = report_.volumes[2];
    EXPECT_TRUE(!state.opened || state.damage != VolumeDamage::kNone);
  }
}

TEST_F(DuplicatesTest, StopEndsTheSearchWithoutGroups) {
  std::atomic<bool> stop = true;
  DuplicateOptions options;
  options.stop = &stop;
  EXPECT_TRUE(Groups(options, paths_).empty());
  EXPECT_TRUE(report_.stopped);
}

}  // namespace
}  // namespace volumist
