// The search dialog's rules: the maximum and the size text as the search reads them, the form read
// into the criteria, the resets, the presets of every entry that opens the dialog, the caption, the
// button states and where a jump leads.
#include <gtest/gtest.h>

#include <memory>

#include "analysis/messages.h"
#include "browse/search_dialog_rules.h"
#include "catalog/messages.h"

namespace volumist::browse {
namespace {

using C = Command;

TEST(SearchDialogRulesTest, MaximumIsClampedWithItsMessage) {
  struct Case {
    std::string text;
    uint32_t value;
    const char* message;
  } cases[] = {
      {"5", 10, search_text::kMaximumIsTooSmall},
      {"200000", 100000, search_text::kMaximumIsTooLarge},
      {"", 10, search_text::kMaximumIsTooSmall},
      {"abc", 10, search_text::kMaximumIsTooSmall},
      {"0", 10, search_text::kMaximumIsTooSmall},
      {"-20", 10, search_text::kMaximumIsTooSmall},
      {"12abc", 10, search_text::kMaximumIsTooSmall},
      {"4294967295", 100000, search_text::kMaximumIsTooLarge},
      {"99999999999999999999999", 100000, search_text::kMaximumIsTooLarge},
      {"10", 10, nullptr},
      {"100000", 100000, nullptr},
      {" 250 ", 250, nullptr},
      {"1000", 1000, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    // Leaving the edit.
    MaximumCheck check = CheckMaximum(c.text);
    EXPECT_EQ(check.value, c.value);
    EXPECT_EQ(check.message.has_value(), c.message != nullptr);
    if (c.message) {
      EXPECT_EQ(*check.message, c.message);
    }
    // Enter, which presses "Search" without leaving the edit: the same check when the form is read.
    SearchForm form = FormFromCriteria(SearchCriteria{}, CatalogTime(0));
    form.maximum = c.text;
    SearchCriteria criteria;
    FormReading reading = ReadSearchForm(form, criteria);
    EXPECT_TRUE(reading.Complete());
    EXPECT_EQ(criteria.maximum, c.value);
    EXPECT_EQ(reading.maximum, c.value);
    EXPECT_EQ(reading.maximumMessage.has_value(), c.message != nullptr);
    if (c.message) {
      EXPECT_EQ(*reading.maximumMessage, c.message);
    }
  }
}

TEST(SearchDialogRulesTest, SizeTextIsDigitsThatFitTheirUnit) {
  struct Case {
    std::string text;
    SizeUnit unit;
    bool enabled;
    uint64_t value;
    const char* message;
  } cases[] = {
      {"", SizeUnit::kBytes, false, 0, nullptr},
      {"   ", SizeUnit::kGigabytes, false, 0, nullptr},
      {"0", SizeUnit::kBytes, true, 0, nullptr},
      {"1024", SizeUnit::kKilobytes, true, 1024, nullptr},
      {" 7 ", SizeUnit::kMegabytes, true, 7, nullptr},
      {"abc", SizeUnit::kBytes, false, 0, search_text::kSizeNotANumber},
      {"12k", SizeUnit::kBytes, false, 0, search_text::kSizeNotANumber},
      {"-1", SizeUnit::kBytes, false, 0, search_text::kSizeNotANumber},
      {"1.5", SizeUnit::kMegabytes, false, 0, search_text::kSizeNotANumber},
      {"18446744073709551615", SizeUnit::kBytes, false, 0, search_text::kSizeTooLarge},
      {"18446744073709551614", SizeUnit::kBytes, true, 18446744073709551614u, nullptr},
      {"99999999999999999999", SizeUnit::kBytes, false, 0, search_text::kSizeTooLarge},
      // 2^34 GBytes is 2^64 bytes; one less fits.
      {"17179869184", SizeUnit::kGigabytes, false, 0, search_text::kSizeTooLarge},
      {"17179869183", SizeUnit::kGigabytes, true, 17179869183u, nullptr},
      {"18014398509481984", SizeUnit::kKilobytes, false, 0, search_text::kSizeTooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SizeReading reading = ReadSizeText(c.text, c.unit);
    EXPECT_EQ(reading.enabled, c.enabled);
    EXPECT_EQ(reading.value, c.value);
    EXPECT_EQ(reading.message.has_value(), c.message != nullptr);
    if (c.message) {
      EXPECT_EQ(*reading.message, c.message);
    }
  }
}

TEST(SearchDialogRulesTest, ASizeThatCannotBeReadLeavesTheCriteria) {
  SearchCriteria criteria;
  criteria.mask = "kept";
  SearchForm form = FormFromCriteria(criteria, CatalogTime(0));
  form.mask = "changed";
  form.size = "20000000000";
  form.sizeUnit = SizeUnit::kGigabytes;
  form.maximum = "5";
  FormReading reading = ReadSearchForm(form, criteria);
  EXPECT_FALSE(reading.Complete());
  EXPECT_EQ(reading.sizeMessage, search_text::kSizeTooLarge);
  // The maximum is still corrected in the edit, and said first.
  EXPECT_EQ(reading.maximumMessage, search_text::kMaximumIsTooSmall);
  EXPECT_EQ(reading.maximum, 10u);
  EXPECT_EQ(criteria.mask, "kept");
  EXPECT_FALSE(criteria.sizeEnabled);
}

TEST(SearchDialogRulesTest, FormReadIntoCriteriaAndBack) {
  SearchForm form = FormFromCriteria(SearchCriteria{}, CatalogTime(1000));
  EXPECT_EQ(form.mask, "*.*");
  EXPECT_EQ(form.maximum, "1000");
  EXPECT_EQ(form.fromTime.Value(), 1000);
  EXPECT_TRUE(form.options[static_cast<size_t>(SearchOption::kInSubfolders)]);
  form.mask = "*.mp3";
  form.options[static_cast<size_t>(SearchOption::kGetDescriptions)] = true;
  form.size = "3";
  form.sizeCompare = Comparison::kGreater;
  form.sizeUnit = SizeUnit::kMegabytes;
  form.toChecked = true;
  form.toTime = CatalogTime(5000);
  form.description = "live";
  form.artist = "Band";
  form.bitrateIndex = 8;
  form.bitrateCompare = Comparison::kGreaterOrEqual;
  form.md5 = "ABC";
  form.resultView = 2;
  SearchCriteria criteria;
  ASSERT_TRUE(ReadSearchForm(form, criteria).Complete());
  EXPECT_EQ(criteria.mask, "*.mp3");
  EXPECT_TRUE(criteria.getDescriptions);
  EXPECT_TRUE(criteria.sizeEnabled);
  EXPECT_EQ(criteria.sizeValue, 3u);
  EXPECT_EQ(criteria.sizeUnit, SizeUnit::kMegabytes);
  EXPECT_EQ(criteria.sizeCompare, Comparison::kGreater);
  EXPECT_FALSE(criteria.fromEnabled);
  EXPECT_TRUE(criteria.toEnabled);
  EXPECT_EQ(criteria.toTime.Value(), 5000);
  EXPECT_TRUE(criteria.descriptionEnabled);
  EXPECT_TRUE(criteria.audioEnabled);
  EXPECT_TRUE(criteria.artistEnabled);
  EXPECT_FALSE(criteria.titleEnabled);
  EXPECT_EQ(criteria.bitrateIndex, 8u);
  EXPECT_TRUE(criteria.signaturesEnabled);
  EXPECT_TRUE(criteria.md5Enabled);
  EXPECT_FALSE(criteria.crc32Enabled);
  EXPECT_EQ(criteria.resultViewMode, 2u);
  // Opened again, the dialog shows what was read.
  SearchForm again = FormFromCriteria(criteria, CatalogTime(1000));
  again.maximum = form.maximum;
  EXPECT_EQ(again, form);

  // A bitrate alone is an audio criterion; nothing on the page is none.
  SearchForm bitrate = FormFromCriteria(SearchCriteria{}, CatalogTime(0));
  bitrate.bitrateIndex = 3;
  ASSERT_TRUE(ReadSearchForm(bitrate, criteria).Complete());
  EXPECT_TRUE(criteria.audioEnabled);
  EXPECT_FALSE(criteria.signaturesEnabled);
  bitrate.bitrateIndex = 0;
  ASSERT_TRUE(ReadSearchForm(bitrate, criteria).Complete());
  EXPECT_FALSE(criteria.audioEnabled);
  EXPECT_FALSE(criteria.sizeEnabled);
}

TEST(SearchDialogRulesTest, AllVolumesDropTheFolderScope) {
  SearchCriteria criteria;
  criteria.inFolder = true;
  criteria.scopeFolder = 40;
  SearchForm form = FormFromCriteria(criteria, CatalogTime(0));
  ASSERT_TRUE(ReadSearchForm(form, criteria).Complete());
  EXPECT_TRUE(criteria.inFolder);
  form.allVolumes = true;
  ASSERT_TRUE(ReadSearchForm(form, criteria).Complete());
  EXPECT_FALSE(criteria.inFolder);
}

TEST(SearchDialogRulesTest, ResetsKeepWhatTheyDoNotReset) {
  SearchForm filled = FormFromCriteria(SearchCriteria{}, CatalogTime(0));
  filled.mask = "x*";
  filled.size = "5";
  filled.sizeCompare = Comparison::kGreater;
  filled.sizeUnit = SizeUnit::kKilobytes;
  filled.fromChecked = filled.toChecked = true;
  filled.description = "d";
  filled.title = filled.artist = filled.album = filled.comment = "t";
  filled.bitrateIndex = 4;
  filled.bitrateCompare = Comparison::kLess;
  filled.trySequences = true;
  filled.crc32 = filled.md4 = filled.md5 = "ab";
  filled.options[0] = true;
  filled.allVolumes = true;

  SearchForm page1 = filled;
  ResetSearchPage(page1, SearchPage::kSizeTimeDescription);
  EXPECT_EQ(page1.size, "");
  EXPECT_FALSE(page1.fromChecked || page1.toChecked);
  EXPECT_EQ(page1.description, "");
  EXPECT_EQ(page1.sizeCompare, Comparison::kGreater);
  EXPECT_EQ(page1.sizeUnit, SizeUnit::kKilobytes);
  EXPECT_EQ(page1.title, "t");

  SearchForm page2 = filled;
  ResetSearchPage(page2, SearchPage::kAudio);
  EXPECT_EQ(page2.title + page2.artist + page2.album + page2.comment, "");
  EXPECT_EQ(page2.bitrateIndex, 0);
  EXPECT_EQ(page2.bitrateCompare, Comparison::kLess);
  EXPECT_EQ(page2.size, "5");

  SearchForm page3 = filled;
  ResetSearchPage(page3, SearchPage::kSignatures);
  EXPECT_EQ(page3.crc32 + page3.md4 + page3.md5, "");
  EXPECT_EQ(page3.title, "t");

  SearchForm all = filled;
  SearchCriteria criteria;
  criteria.allVolumes = true;
  ResetAllSearch(all, criteria);
  EXPECT_EQ(all.mask, "*.*");
  EXPECT_EQ(all.size + all.description + all.title + all.comment, "");
  EXPECT_FALSE(all.fromChecked || all.toChecked);
  EXPECT_EQ(all.bitrateIndex, 0);
  EXPECT_EQ(all.md5, "ab");
  EXPECT_TRUE(all.options[0]);
  EXPECT_EQ(all.sizeUnit, SizeUnit::kKilobytes);
  // The box keeps its state; the criteria's flag is cleared.
  EXPECT_TRUE(all.allVolumes);
  EXPECT_FALSE(criteria.allVolumes);
}

ItemRow Row(RowKind kind, const std::string& name, uint64_t size = 0) {
  ItemRow row;
  row.kind = kind;
  row.name = name;
  row.size = size;
  row.key = 77;
  return row;
}

TEST(SearchDialogRulesTest, PresetsOfEveryEntry) {
  const ItemRow file = Row(RowKind::kFile, "song.mp3", 4096);
  const ItemRow empty = Row(RowKind::kFile, "zero.dat", 0);
  const ItemRow folder = Row(RowKind::kFolder, "Music", 9000);
  const ItemRow root = Row(RowKind::kSourceRoot, "Extra", 100);
  const ItemRow up = Row(RowKind::kUp, "..");
  struct Case {
    const char* name;
    Command command;
    const ItemRow* row;
    RecordKey folder;
    bool loaded;
    bool open;
    const char* message;
    std::string mask;
    bool allVolumes;
    bool inFolder;
    bool findFolders;
    bool sizeEnabled;
    uint64_t size;
  };
  // Every case starts from criteria that hold a previous scope, "all volumes", a mask and a size.
  const Case cases[] = {
      {"button", C::kSearch, nullptr, 0, true, true, nullptr, "old*", true, false, false, true, 12},
      {"Search...", C::kSearchDialog, nullptr, 0, true, true, nullptr, "old*", false, false, false, true, 12},
      {"all volumes", C::kSearchAllVolumes, nullptr, 0, false, true, nullptr, "old*", true, false, false, true, 12},
      {"current folder", C::kSearchCurrentFolder, nullptr, 33, true, true, nullptr, "old*", false, true, false, true, 12},
      {"current folder at the root", C::kSearchCurrentFolder, nullptr, 0, true, true, nullptr, "old*", false, false, false, true, 12},
      {"current folder, no volume", C::kSearchCurrentFolder, nullptr, 0, false, false, messages::kLoadSomeVolumeFirst, "old*", true, true, false, true, 12},
      {"find selected file", C::kFindSelected, &file, 33, true, true, nullptr, "song.mp3", true, false, false, false, 12},
      {"find this folder", C::kFindThisItem, &folder, 33, true, true, nullptr, "Music", true, false, true, false, 12},
      {"find a source root", C::kFindThisItem, &root, 0, true, true, nullptr, "Extra", true, false, true, false, 12},
      {"copy of selected file", C::kFindCopy, &file, 33, true, true, nullptr, "song.mp3", true, false, false, true, 4096},
      {"copy of a file of 0 bytes", C::kFindCopyOfItem, &empty, 33, true, true, nullptr, "zero.dat", true, false, false, true, 0},
      {"copy of a folder", C::kFindCopyOfItem, &folder, 33, true, true, nullptr, "Music", true, false, true, true, 9000},
      {"find, no selection", C::kFindSelected, nullptr, 33, true, false, messages::kSelectItemFirst, "old*", true, true, false, true, 12},
      {"copy, no selection", C::kFindCopyOfItem, nullptr, 33, true, false, messages::kSelectItemFirst, "old*", true, true, false, true, 12},
      {"find, no volume", C::kFindThisItem, nullptr, 0, false, false, messages::kSelectItemFirst, "old*", true, true, false, true, 12},
      {"find the up entry", C::kFindThisItem, &up, 33, true, false, nullptr, "old*", true, true, false, true, 12},
      {"copy of the up entry", C::kFindCopy, &up, 33, true, false, nullptr, "old*", true, true, false, true, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SearchCriteria criteria;
    criteria.mask = "old*";
    criteria.allVolumes = true;
    criteria.inFolder = true;
    criteria.scopeFolder = 5;
    criteria.sizeEnabled = true;
    criteria.sizeValue = 12;
    criteria.sizeCompare = Comparison::kLess;
    criteria.sizeUnit = SizeUnit::kMegabytes;
    SearchPresetOutcome outcome = ApplySearchPreset(c.command, criteria, c.loaded, c.row, c.folder);
    EXPECT_EQ(outcome.open, c.open);
    EXPECT_EQ(outcome.message.has_value(), c.message != nullptr);
    if (c.message) {
      EXPECT_EQ(*outcome.message, c.message);
    }
    EXPECT_EQ(criteria.mask, c.mask);
    EXPECT_EQ(criteria.allVolumes, c.allVolumes);
    EXPECT_EQ(criteria.inFolder, c.inFolder);
    if (c.inFolder && c.open) {
      EXPECT_EQ(criteria.scopeFolder, c.folder);
    }
    EXPECT_EQ(criteria.findFolders, c.findFolders);
    EXPECT_EQ(criteria.sizeEnabled, c.sizeEnabled);
    EXPECT_EQ(criteria.sizeValue, c.size);
    if (c.open && c.sizeEnabled && c.row != nullptr) {
      EXPECT_EQ(criteria.sizeCompare, Comparison::kEqual);
      EXPECT_EQ(criteria.sizeUnit, SizeUnit::kBytes);
    }
    EXPECT_EQ(IsSearchCommand(c.command), true);
  }
  EXPECT_FALSE(IsSearchCommand(C::kExport));
}

TEST(SearchDialogRulesTest, CaptionControlsAndTexts) {
  EXPECT_EQ(SearchDialogCaption(std::nullopt, std::nullopt), "Search");
  EXPECT_EQ(SearchDialogCaption(std::string("Backup"), std::nullopt), "Search   in volume: Backup");
  EXPECT_EQ(SearchDialogCaption(std::string("Backup"), std::string("Source\\a\\b\\")),
            "Search   in volume: Backup   in folder: Source\\a\\b\\");
  EXPECT_EQ(SearchControlsFor(false), (SearchControls{true, false, true, true, true, true}));
  EXPECT_EQ(SearchControlsFor(true), (SearchControls{false, true, false, false, false, false}));
  EXPECT_EQ(TotalFoundText(0), "Total found: 0 files");
  EXPECT_EQ(TotalFoundText(123456), "Total found: 123456 files");
  EXPECT_EQ(BitrateText(0), "None");
  EXPECT_EQ(BitrateText(1), "8  Kbit/sec");
  EXPECT_EQ(BitrateText(15), "448  Kbit/sec");
  int step = 0;
  for (int i = 0; i < 29; ++i) step = NextProgressStep(step);
  EXPECT_EQ(step, 29);
  EXPECT_EQ(NextProgressStep(step), 0);
  for (SearchTip tip : {SearchTip::kMask, SearchTip::kJump, SearchTip::kSearch, SearchTip::kStop, SearchTip::kClear,
                        SearchTip::kAllVolumes, SearchTip::kResetAll, SearchTip::kClose, SearchTip::kMaximum,
                        SearchTip::kViewModes}) {
    auto lines = SearchToolTipLines(tip);
    ASSERT_FALSE(lines.empty());
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].substr(0, 4), "    ");
  }
  EXPECT_EQ(SearchToolTipLines(SearchTip::kStop)[0], "Immidiate stop search.");
}

TEST(SearchDialogRulesTest, JumpByVolumeFileAndKeys) {
  ItemRow row = Row(RowKind::kFile, "a\\b.txt");
  EXPECT_FALSE(JumpTargetOf(row));  // not a search result
  row.volume = std::make_shared<const ResultVolume>(ResultVolume{"Backup", "/v/./backup.vkt", 2});
  row.containerKey = 40;
  std::optional<JumpTarget> target = JumpTargetOf(row);
  ASSERT_TRUE(target);
  EXPECT_EQ(target->containerKey, 40u);
  EXPECT_EQ(target->key, 77u);

  std::vector<VolumeListEntry> entries(3);
  entries[0].filePath = "/v/alpha.vkt";
  entries[1].filePath = "/v/backup.vkt";
  entries[2].filePath = "/w/backup.vkt";
  EXPECT_EQ(FindVolumeEntry(entries, target->volumePath), 1u);
  // Rearranged: found where it went.
  std::swap(entries[0], entries[1]);
  EXPECT_EQ(FindVolumeEntry(entries, target->volumePath), 0u);
  entries.erase(entries.begin());
  EXPECT_FALSE(FindVolumeEntry(entries, target->volumePath));

  ItemRow listed = row;
  listed.volume.reset();
  EXPECT_TRUE(IsJumpTargetRow(*target, listed));
  listed.name = "other.txt";
  EXPECT_FALSE(IsJumpTargetRow(*target, listed));
  listed.name = row.name;
  listed.kind = RowKind::kArchive;
  EXPECT_FALSE(IsJumpTargetRow(*target, listed));
  // A folder source's root is listed as one, and found as a folder.
  ItemRow folder = Row(RowKind::kFolder, "Extra");
  folder.volume = row.volume;
  ItemRow sourceRoot = Row(RowKind::kSourceRoot, "Extra");
  EXPECT_TRUE(IsJumpTargetRow(*JumpTargetOf(folder), sourceRoot));
}

}  // namespace
}  // namespace volumist::browse
