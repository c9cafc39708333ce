// The file-type filter of scans, as one table.
#include <gtest/gtest.h>

#include "catalog/file_type_group.h"

namespace volumist {
namespace {

TEST(FileTypeGroupTest, MatchesOnTheFirstThreeCharactersOfTheExtension) {
  struct Case {
    uint32_t group;
    const char* extension;
    bool matches;
  };
  const Case cases[] = {
      {0, "", true},        {0, ".anything", true}, {0, ".", true},
      {4, ".c", true},      {4, ".cpp", true},      {4, ".rc", true},     {4, ".read", true},
      {4, ".cc", false},    {4, ".dsp", false},     {4, ".C", true},
      {3, ".ha", true},     {3, ".lsz", true},      {3, ".lzs", false},   {3, ".hax", false},  {3, ".gz", false},
      {8, ".html", true},   {13, ".mpeg", true},    {13, ".divx", true},  {7, ".tiff", true},  {9, ".docx", true},
      {7, ".jpeg", false},  {7, ".JPG", true},      {10, ".mp3", true},   {10, ".txt", false},
      {5, "", false},       {5, ".", false},        {12, ".txt", true},   {14, ".txt", false}, {99, ".txt", false},
      {11, ".ax", true},    {11, ".axe", false},    {2, ".iso", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.group) + " " + c.extension);
    EXPECT_EQ(MatchesFileTypeGroup(c.group, c.extension), c.matches);
  }
}

TEST(FileTypeGroupTest, GroupNames) {
  EXPECT_STREQ(FileTypeGroupName(0), "[All files (*.*)]");
  EXPECT_STREQ(FileTypeGroupName(10), "- Music files");
  EXPECT_STREQ(FileTypeGroupName(13), "- Video files");
  EXPECT_STREQ(FileTypeGroupName(14), "");
}

}  // namespace
}  // namespace volumist
