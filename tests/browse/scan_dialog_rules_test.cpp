// The scan dialog's rules: captions, how the names follow each other, source names of browsed
// folders, the source lists, "Reset", the tooltips and the settings pages.
#include <gtest/gtest.h>

#include <functional>
#include <variant>

#include "browse/scan_dialog_rules.h"
#include "browse/scan_settings_pages.h"
#include "catalog/file_type_group.h"

namespace volumist::browse {
namespace {

TEST(ScanDialogRulesTest, Captions) {
  struct Case {
    ScanMode mode;
    ScanPage page;
    const char* caption;
  } cases[] = {
      {ScanMode::kNewVolume, ScanPage::kSingleSource, "New... - Single source"},
      {ScanMode::kNewVolume, ScanPage::kMultipleSources, "New... - Multiple sources"},
      {ScanMode::kAddToVolume, ScanPage::kSingleSource, "Add... - Single source"},
      {ScanMode::kAddToVolume, ScanPage::kMultipleSources, "Add... - Multiple sources"},
      {ScanMode::kUpdate, ScanPage::kSingleSource, "Update - Single source"},
      {ScanMode::kUpdate, ScanPage::kMultipleSources, "Update - Multiple sources"},
      {ScanMode::kNewFromVolumeSources, ScanPage::kMultipleSources, "New by current volume sources - Multiple sources"},
  };
  for (const Case& c : cases) EXPECT_EQ(ScanDialogCaption(c.mode, c.page), c.caption);
}

TEST(ScanDialogRulesTest, OpeningProposesTheDefaultNameOrShowsTheLoadedVolume) {
  ScanJob job;
  job.volumeCounter = 7;
  job.volumeName = "Old";
  job.volumeFileName = "old.vkt";
  struct Case {
    ScanMode mode;
    const char* name;
    const char* file;
  } cases[] = {
      {ScanMode::kNewVolume, "Volume7", "Volume7.vkt"},
      {ScanMode::kNewFromVolumeSources, "Volume7", "Volume7.vkt"},
      {ScanMode::kAddToVolume, "Old", "old.vkt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    job.mode = c.mode;
    ScanDialogNames names;
    names.SourceNameLeft("left over");
    names.Open(job);
    EXPECT_EQ(names.VolumeName(), c.name);
    EXPECT_EQ(names.FileName(), c.file);
    EXPECT_EQ(names.SourceName(), "");
    EXPECT_FALSE(names.FileNameEdited());
    EXPECT_FALSE(names.SourceNameEdited());
    EXPECT_TRUE(names.StartEnabled());
  }
}

// One step of the user: typing the volume name, leaving a field, clicking a drive, browsing.
struct VolumeNameTyped {
  std::string text;
};
struct FileNameLeft {
  std::string text;
};
struct SourceNameLeft {
  std::string text;
};
struct DriveClicked {
  DriveRow row;
};
struct FolderBrowsed {
  std::string folder;
};
using Step = std::variant<VolumeNameTyped, FileNameLeft, SourceNameLeft, DriveClicked, FolderBrowsed>;

const DriveRow kRootDrive{"/", "Local Disk", "System", kDriveFixed};
const DriveRow kDiscE{"/media/u/DISC_E", "CD Drive", "Holiday CD", kDriveCdRom};
const DriveRow kStickF{"/media/u/STICK", "Removable", "STICK", kDriveRemovable};
const DriveRow kAllDrives[] = {kRootDrive, kDiscE, kStickF};

void Apply(ScanDialogNames& names, const Step& step) {
  std::visit(
      [&](const auto& s) {
        using T = std::decay_t<decltype(s)>;
        if constexpr (std::is_same_v<T, VolumeNameTyped>) names.VolumeNameChanged(s.text);
        if constexpr (std::is_same_v<T, FileNameLeft>) names.FileNameLeft(s.text);
        if constexpr (std::is_same_v<T, SourceNameLeft>) names.SourceNameLeft(s.text);
        if constexpr (std::is_same_v<T, DriveClicked>) names.DriveClicked(s.row);
        if constexpr (std::is_same_v<T, FolderBrowsed>) names.FolderBrowsed(s.folder, kAllDrives);
      },
      step);
}

TEST(ScanDialogRulesTest, NamesFollowUntilTheUserTypesHisOwn) {
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::string volumeName;
    std::string fileName;
    bool fileNameEdited;
    std::string sourceName;
    std::string path;
    bool sourceNameEdited;
    bool startEnabled;
  };
  const Case cases[] = {
      {"typing a name proposes its file name", {VolumeNameTyped{"My CD"}}, "My CD", "My CD.vkt", false, "", "", false,
       true},
      {"characters a file name cannot hold become blanks", {VolumeNameTyped{"a:b/c?"}}, "a:b/c?", "a b c .vkt", false,
       "", "", false, true},
      {"a typed file name stops the following",
       {VolumeNameTyped{"My CD"}, FileNameLeft{"mine.vkt"}, VolumeNameTyped{"My CD 2"}}, "My CD 2", "mine.vkt", true, "",
       "", false, true},
      {"a typed file name is made usable, without an extension added", {FileNameLeft{"x:y"}}, "Volume1", "x y", true,
       "", "", false, true},
      {"leaving the file name as proposed is no edit",
       {VolumeNameTyped{"My CD"}, FileNameLeft{"My CD.vkt"}, VolumeNameTyped{"Other"}}, "Other", "Other.vkt", false,
       "", "", false, true},
      {"emptying the name disables both start buttons", {VolumeNameTyped{""}}, "", ".vkt", false, "", "", false,
       false},
      {"an emptied file name disables them too", {FileNameLeft{""}}, "Volume1", "", true, "", "", false, false},
      {"a drive click fills the path and the source name", {DriveClicked{kDiscE}}, "Volume1", "Volume1.vkt", false,
       "Holiday CD", "/media/u/DISC_E", false, true},
      {"after a typed source name a drive click changes only the path",
       {DriveClicked{kDiscE}, SourceNameLeft{"Mine"}, DriveClicked{kStickF}}, "Volume1", "Volume1.vkt", false, "Mine",
       "/media/u/STICK", true, true},
      {"a source name left empty follows the drives again",
       {SourceNameLeft{"Mine"}, SourceNameLeft{""}, DriveClicked{kStickF}}, "Volume1", "Volume1.vkt", false, "STICK",
       "/media/u/STICK", false, true},
      {"passing through the source name keeps the proposal a proposal",
       {DriveClicked{kDiscE}, SourceNameLeft{"Holiday CD"}, DriveClicked{kStickF}}, "Volume1", "Volume1.vkt", false,
       "STICK", "/media/u/STICK", false, true},
      {"a browsed folder is named after its last component", {FolderBrowsed{"/media/u/Photos/"}}, "Volume1",
       "Volume1.vkt", false, "Photos", "/media/u/Photos/", false, true},
      {"browsing after a typed source name changes only the path",
       {SourceNameLeft{"Mine"}, FolderBrowsed{"/home/u/Music"}}, "Volume1", "Volume1.vkt", false, "Mine",
       "/home/u/Music", true, true},
      {"a browsed drive root is named after the drive", {FolderBrowsed{"/media/u/DISC_E/"}}, "Volume1", "Volume1.vkt",
       false, "Holiday CD", "/media/u/DISC_E/", false, true},
      {"an unlabelled root drive gets a name without a separator",
       {DriveClicked{{"/", "Local Disk", "/", kDriveFixed}}}, "Volume1", "Volume1.vkt", false, "Root file system", "/",
       false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScanDialogNames names;
    names.Open(ScanJob{});
    for (const Step& step : c.steps) Apply(names, step);
    EXPECT_EQ(names.VolumeName(), c.volumeName);
    EXPECT_EQ(names.FileName(), c.fileName);
    EXPECT_EQ(names.FileNameEdited(), c.fileNameEdited);
    EXPECT_EQ(names.SourceName(), c.sourceName);
    EXPECT_EQ(names.Path(), c.path);
    EXPECT_EQ(names.SourceNameEdited(), c.sourceNameEdited);
    EXPECT_EQ(names.StartEnabled(), c.startEnabled);
  }
}

TEST(ScanDialogRulesTest, SourceNamesOfBrowsedFolders) {
  const DriveRow unlabelledRoot{"/", "Local Disk", "/", kDriveFixed};
  struct Case {
    std::string folder;
    std::vector<DriveRow> drives;
    std::string name;
  } cases[] = {
      {"/", {kRootDrive}, "System"},
      // A name with a separator would read as two names in a path.
      {"/", {unlabelledRoot}, "Root file system"},
      {"/", {}, "Root file system"},
      {"/media/u/DISC_F", {{"/media/u/DISC_F", "CD Drive", "a/b", kDriveCdRom}}, "DISC_F"},
      {"/media/u/DISC_G", {{"/media/u/DISC_G", "CD Drive", "", kDriveCdRom}}, "DISC_G"},
      {"/media/u/Photos/", {}, "Photos"},
      {"/media/u/Photos", {}, "Photos"},
      {"/media/u/Photos//", {}, "Photos"},
      {"/home/u/a/b/c", {kRootDrive}, "c"},
      {"/home/u/./docs/.", {}, "docs"},
      {"/media/u/DISC_E", {kRootDrive, kDiscE}, "Holiday CD"},
      {"/media/u/DISC_E/sub", {kRootDrive, kDiscE}, "sub"},
      {"/home/u/\xd0\xa4\xd0\xbe\xd1\x82\xd0\xbe/", {}, "\xd0\xa4\xd0\xbe\xd1\x82\xd0\xbe"},
      {"/home/u/caf\xc3\xa9", {}, "caf\xc3\xa9"},
      // Bytes that are not UTF-8 stay as they are.
      {"/srv/\xff\xfe", {}, "\xff\xfe"},
      {"Photos/", {}, "Photos"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(SourceNameForFolder(c.folder, c.drives), c.name);
    ScanSource source = SourceForTreePath(c.folder, c.drives);
    EXPECT_EQ(source.sourceName, c.name);
    EXPECT_EQ(source.path, c.folder);
    EXPECT_TRUE(source.isFolderSource);
  }
}

TEST(ScanDialogRulesTest, DuplicateSourcesCompareNormalisedPaths) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"/a", "/a", true},       {"/a", "/a/", true},   {"/a//", "/a", true},     {"/a/./b", "/a/b", true},
      {"/a", "/A", false},      {"/a", "/ab", false},  {"/a/b", "/a", false},    {"/", "//", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " " + c.b);
    EXPECT_EQ(SameSourcePath(c.a, c.b), c.same);
    std::vector<ScanSource> list = {{-1, "x", c.a, true}};
    EXPECT_EQ(HasSourcePath(list, c.b), c.same);
  }
  EXPECT_FALSE(HasSourcePath({}, "/a"));
}

std::vector<ScanSource> ThreeSources() {
  return {{-1, "a", "/a", true}, {-1, "b", "/b", true}, {-1, "c", "/c", true}};
}

TEST(ScanDialogRulesTest, RemovingSources) {
  struct Case {
    const char* what;
    std::vector<ScanSource> list;
    std::vector<size_t> selected;
    std::vector<std::string> left;
    std::optional<size_t> select;
  } cases[] = {
      {"the last one: the new last is selected", ThreeSources(), {2}, {"a", "b"}, 1},
      {"the first one: its follower takes its place", ThreeSources(), {0}, {"b", "c"}, 0},
      {"a middle one", ThreeSources(), {1}, {"a", "c"}, 1},
      {"two, in any order", ThreeSources(), {2, 0}, {"b"}, 0},
      {"the last two", ThreeSources(), {1, 2}, {"a"}, 0},
      {"every source: nothing to select", ThreeSources(), {0, 1, 2}, {}, std::nullopt},
      {"the last remaining source: nothing to select", {{-1, "a", "/a", true}}, {0}, {}, std::nullopt},
      {"nothing selected", ThreeSources(), {}, {"a", "b", "c"}, std::nullopt},
      {"an index past the end", ThreeSources(), {3}, {"a", "b", "c"}, std::nullopt},
      {"an index twice", ThreeSources(), {1, 1}, {"a", "c"}, 1},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RemoveSources(c.list, c.selected), c.select);
    std::vector<std::string> names;
    for (const ScanSource& source : c.list) names.push_back(source.sourceName);
    EXPECT_EQ(names, c.left);
  }
}

TEST(ScanDialogRulesTest, ResetTouchesOnlyTheCheckListAndTheGroup) {
  ScanOptions options;
  options.scanSubfolders = false;
  options.includeHiddenSystem = false;
  options.saveAttributes = false;
  options.dropEmptyFolders = true;
  options.fileTypeGroup = 12;
  options.analyzeArchives = false;
  options.analyzeAudio = true;
  options.analyzeVideo = true;
  options.analyzeImages = true;
  options.computeSignatures = true;
  options.archiveKinds[0] = false;
  options.imageTypes[3] = false;
  options.signatureMd5 = true;
  options.ejectAfterScan = false;
  ScanOptions expected = options;
  expected.scanSubfolders = true;
  expected.includeHiddenSystem = true;
  expected.saveAttributes = true;
  expected.dropEmptyFolders = false;
  expected.fileTypeGroup = 0;
  ResetScanChecks(options);
  EXPECT_EQ(options, expected);
  // The four options are what a first scan starts with.
  ScanOptions initial;
  for (const ScanCheck& check : ScanChecks()) EXPECT_EQ(options.*check.field, initial.*check.field) << check.text;
}

TEST(ScanDialogRulesTest, CheckListAndAnalyzers) {
  std::vector<std::string> checks;
  for (const ScanCheck& check : ScanChecks()) checks.emplace_back(check.text);
  EXPECT_EQ(checks, (std::vector<std::string>{"Scan subfolders", "Save hidden and system files", "Save file attributes",
                                              "Don't save empty folders or sources"}));
  struct Expected {
    const char* text;
    bool ScanOptions::*field;
    SettingsPage page;
    ScanTip tip;
  } expected[] = {
      {"Archives", &ScanOptions::analyzeArchives, SettingsPage::kArchives, ScanTip::kArchives},
      {"Audio", &ScanOptions::analyzeAudio, SettingsPage::kAudio, ScanTip::kAudio},
      {"Video", &ScanOptions::analyzeVideo, SettingsPage::kVideo, ScanTip::kVideo},
      {"Thumbnails", &ScanOptions::analyzeImages, SettingsPage::kGraphics, ScanTip::kThumbnails},
      {"Signatures", &ScanOptions::computeSignatures, SettingsPage::kSignatures, ScanTip::kSignatures},
  };
  ASSERT_EQ(AnalyzerBoxes().size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(AnalyzerBoxes()[i].text, expected[i].text);
    EXPECT_TRUE(AnalyzerBoxes()[i].field == expected[i].field) << expected[i].text;
    EXPECT_EQ(AnalyzerBoxes()[i].page, expected[i].page);
  }
  EXPECT_STREQ(FileTypeGroupName(0), "[All files (*.*)]");
}

TEST(ScanDialogRulesTest, ToolTips) {
  auto joined = [](ScanTip tip) {
    std::string text;
    for (std::string_view line : ScanToolTipLines(tip)) text += std::string(line) + "|";
    return text;
  };
  EXPECT_EQ(joined(ScanTip::kScanAndSaveNext),
            "Start scanning process and after scanning,|this dialog will show immidiately,|so you will be able to add "
            "new sources.|");
  EXPECT_EQ(joined(ScanTip::kCancel), "Cancel and close the window|without save any option changes.|");
  EXPECT_EQ(joined(ScanTip::kDriveList),
            "Drives list.|If you <Click> to any drive from the list,|then program will automatically set path to|this "
            "drive and name of the source.|");
  EXPECT_EQ(joined(ScanTip::kTreeMinus), "ADelete selected source from the scan list.|");
  EXPECT_EQ(joined(ScanTip::kLocalDrives), "Show or hide all local drives. (HDD)|");
  EXPECT_EQ(joined(ScanTip::kSignatures),
            "Calculate signatures (like CRC32) for each file|(very slow).|Press Setup for configuration.|");
  for (int tip = 0; tip <= static_cast<int>(ScanTip::kTreeMinus); ++tip) {
    EXPECT_FALSE(ScanToolTipLines(static_cast<ScanTip>(tip)).empty()) << tip;
  }
}

// The option each entry of each settings page sets, written out independently of the pages' table.
using Field = std::function<bool&(ScanOptions&)>;
struct PageEntry {
  SettingsPage page;
  std::string text;
  Field field;
};

std::vector<PageEntry> ExpectedEntries() {
  auto archive = [](int kind) { return Field([kind](ScanOptions& o) -> bool& { return o.archiveKinds[kind - 1]; }); };
  auto image = [](int type) { return Field([type](ScanOptions& o) -> bool& { return o.imageTypes[type - 5]; }); };
  return {
      {SettingsPage::kArchives, "*.ZIP, *.WSZ, *.WMZ", archive(1)},
      {SettingsPage::kArchives, "*.RAR, [ + multivolumes *.R00, *.R01, ...]", archive(2)},
      {SettingsPage::kArchives, "*.ACE, [ + multivolumes *.C00, *.C01, ...]", archive(4)},
      {SettingsPage::kArchives, "*.ARJ, [ + multivolumes *.A00, *.A01, ...]", archive(5)},
      {SettingsPage::kArchives, "*.CAB", archive(3)},
      {SettingsPage::kArchives, "*.JAR", archive(6)},
      {SettingsPage::kArchives, "*.LZH, *.LHA, *.LZS", archive(7)},
      {SettingsPage::kArchives, "*.ZOO", archive(8)},
      {SettingsPage::kArchives, "*.TAR", archive(9)},
      {SettingsPage::kArchives, "*.HA", archive(11)},
      {SettingsPage::kAudio, "*.MP3    - MPEG Layer III audio files (ID3v1.0/1.1 and ID3v2.0 tags)",
       [](ScanOptions& o) -> bool& { return o.audioMp3; }},
      {SettingsPage::kVideo, "*.AVI    - Microsoft Audio/Video Interleaved files",
       [](ScanOptions& o) -> bool& { return o.videoAvi; }},
      {SettingsPage::kVideo, "*.MPG, *.MPEG, *.MP2    - MPEG files", [](ScanOptions& o) -> bool& { return o.videoMpeg; }},
      {SettingsPage::kGraphics, "*.BMP    - Bitmap Images", image(6)},
      {SettingsPage::kGraphics, "*.JPG, *.JPEG   - JPEG: JFIF Compliant Images", image(5)},
      {SettingsPage::kGraphics, "*.GIF    - CompuServe Images", image(7)},
      {SettingsPage::kGraphics, "*.PNG    - Portable Network Graphics Images", image(11)},
      {SettingsPage::kGraphics, "*.ICO    - Icon Images", image(8)},
      {SettingsPage::kGraphics, "*.TGA    - Targa Bitmaps", image(9)},
      {SettingsPage::kGraphics, "*.PCX    - ZSoft Paintbrush Images", image(10)},
      {SettingsPage::kGraphics, "*.WMF    - Windows Metafailes", image(12)},
      {SettingsPage::kGraphics, "*.TIF, *.TIFF   - Tagged Images", image(13)},
      {SettingsPage::kGraphics, "*.WBMP   - Wireless Bitmaps", image(16)},
      {SettingsPage::kSignatures, "CRC32 Checksum    - 32-bit cyclic redundancy checksum",
       [](ScanOptions& o) -> bool& { return o.signatureCrc32; }},
      {SettingsPage::kSignatures, "MD4 Checksum    - (eDonkey2000 hash, than you can create links by this hash)",
       [](ScanOptions& o) -> bool& { return o.signatureMd4; }},
      {SettingsPage::kSignatures, "MD5 Checksum", [](ScanOptions& o) -> bool& { return o.signatureMd5; }},
  };
}

// Every switch of ScanOptions off, so that one stored entry shows which option it reached.
ScanOptions AllOff() {
  ScanOptions options;
  for (bool* b : {&options.includeHiddenSystem, &options.ejectAfterScan, &options.saveAttributes,
                  &options.scanSubfolders, &options.usedMultipleSources, &options.analyzeArchives,
                  &options.quickResize, &options.accurateCompressing, &options.videoAvi, &options.videoMpeg,
                  &options.audioMp3}) {
    *b = false;
  }
  options.archiveKinds.fill(false);
  options.imageTypes.fill(false);
  return options;
}

TEST(ScanSettingsPagesTest, EachEntrySetsItsOption) {
  std::vector<PageEntry> expected = ExpectedEntries();
  size_t seen = 0;
  for (const SettingsPageForm& form : SettingsPages()) {
    std::vector<const PageEntry*> ours;
    for (const PageEntry& entry : expected) {
      if (entry.page == form.page) ours.push_back(&entry);
    }
    ASSERT_EQ(form.entries.size(), ours.size()) << form.tab;
    for (size_t i = 0; i < ours.size(); ++i) {
      SCOPED_TRACE(ours[i]->text);
      EXPECT_EQ(form.entries[i].text, ours[i]->text);
      // Storing only this entry checked turns on exactly its option.
      ScanOptions options = AllOff();
      std::vector<bool> checked(form.entries.size(), false);
      checked[i] = true;
      StoreEntries(options, form.entries, checked);
      ScanOptions want = AllOff();
      ours[i]->field(want) = true;
      EXPECT_EQ(options, want);
      // And reading shows it checked alone.
      EXPECT_EQ(ReadEntries(options, form.entries), checked);
      ++seen;
    }
  }
  EXPECT_EQ(seen, expected.size());
}

TEST(ScanSettingsPagesTest, PagesSwitchesAndOrder) {
  std::vector<std::string> tabs;
  for (const SettingsPageForm& form : SettingsPages()) tabs.emplace_back(form.tab);
  EXPECT_EQ(tabs, (std::vector<std::string>{"Archives", "Audio", "Video", "Graphics", "Signatures"}));
  EXPECT_EQ(kSettingsStoreOrder, (std::array<SettingsPage, 5>{SettingsPage::kAudio, SettingsPage::kVideo,
                                                              SettingsPage::kGraphics, SettingsPage::kSignatures,
                                                              SettingsPage::kArchives}));
  // "Ultimate archives search (slow)" sets the search by content; the CRC32 switch sets nothing.
  const SettingsPageForm& archives = LayoutOf(SettingsPage::kArchives);
  ASSERT_EQ(archives.switches.size(), 2u);
  EXPECT_EQ(archives.switches[0].text, "Ultimate archives search (slow)");
  EXPECT_EQ(archives.switches[1].text, "Get and save CRC32 from archives");
  ScanOptions options = AllOff();
  StoreEntries(options, archives.switches, {true, true});
  ScanOptions want = AllOff();
  want.archiveKindByContent = true;
  EXPECT_EQ(options, want);
  EXPECT_EQ(ReadEntries(options, archives.switches), (std::vector<bool>{true, false}));
  // GZ has no entry: storing the whole archives page leaves it alone.
  ScanOptions gz;
  gz.archiveKinds[kArchiveKindCount - 2] = true;
  StoreEntries(gz, archives.entries, std::vector<bool>(archives.entries.size(), false));
  EXPECT_TRUE(gz.archiveKinds[9]);
  EXPECT_FALSE(gz.archiveKinds[0]);
  // Headings.
  EXPECT_EQ(LayoutOf(SettingsPage::kGraphics).heading, "Graphics formats");
  EXPECT_EQ(LayoutOf(SettingsPage::kArchives).lines.back(), "from them (also, if it's possible - extract CRC32 checksums)).");
  EXPECT_EQ(LayoutOf(SettingsPage::kSignatures).lines.size(), 3u);
}

}  // namespace
}  // namespace volumist::browse
