// configuration.cfg: its layout byte by byte, the round trip of every stored field, foreign and
// short files, the volume directory and its fallback, and saving through a temporary file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "catalog/program_settings.h"
#include "testing/byte_builder.h"
#include "testing/fault_file_system.h"
#include "testing/temp_dir.h"

namespace volumist {
namespace {

using testing::ByteBuilder;
using testing::FirstDifference;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::WriteFileBytes;

constexpr size_t kFileSize = 605;

// The file the built-in defaults make, field by field, with `volumeDirectory` stored.
std::string DefaultFile(const std::string& volumeDirectory) {
  ByteBuilder b;
  b.Raw("QVCT-CONFIGa").Padded(volumeDirectory, 500);
  b.U32(0x5);  // tooltips and splash on, explorer mode off
  // Shown columns of the list views Main, Audio, Video, Signatures, Images, Thumbnails.
  b.U32(0x177).U32(0x1FF07).U32(0x3FF07).U32(0x387).U32(0x23F).U32(0x1F);
  // Of the search views Main, Audio, Video, Signatures, and two empty ones.
  b.U32(0xFF).U32(0xE78F).U32(0x7F8F).U32(0x39F).U32(0).U32(0);
  b.U32(0xAB).U32(0x1FFD).U32(0x080D93FE).U8(0);  // the default scan options, file-type group 0
  b.U8(0x01);                                     // scan again
  b.U32(0x8);                                     // search in subfolders
  b.U32(0xFC05D).U32(0xE);                        // export: sections and columns 1 to 6; root, volume, content
  for (uint8_t id = 1; id <= 9; ++id) b.U8(id);
  b.Zeros(6);
  EXPECT_EQ(b.size(), kFileSize);
  return b.bytes();
}

// Sets every stored field to a value other than its default, and the fields that are not stored too.
void ChangeEverything(ProgramSettings& s) {
  s.ShowTooltips = false;
  s.explorerMode = true;
  s.ShowSplash = false;
  for (int i = 0; i < kViewCount; ++i) {
    for (size_t j = 0; j < s.listColumnSets[i].columns.size(); ++j) s.listColumnSets[i].columns[j].isShown = (i + j) % 3 == 0;
    for (size_t j = 0; j < s.searchColumnSets[i].columns.size(); ++j) s.searchColumnSets[i].columns[j].isShown = (i + j) % 2 == 0;
  }
  ScanJob& job = s.scanJob;
  job.fileTypeGroup = 7;
  job.includeHiddenSystem = false;
  job.dropEmptyFolders = true;
  job.archiveKinds[3] = false;
  job.imageTypes[10] = true;
  job.analyzeAudio = true;
  job.videoMpeg = false;
  job.computeSignatures = true;
  job.signatureMd4 = true;
  job.scanAgain = false;
  job.volumeCounter = 9;  // kept beside the file
  job.volumeName = "not stored";
  SearchCriteria& search = s.searchOptions;
  search.caseSensitive = true;
  search.lookInArchives = true;
  search.inSubfolders = false;
  search.findFolders = true;
  search.getDescriptions = true;
  search.allVolumes = true;  // not stored
  search.mask = "a*";
  ExportOptions& ex = s.exportOptions;
  ex.saveVolumeInfo = false;
  ex.saveArchiveContent = true;
  ex.saveSignatures = false;
  ex.saveTotals = false;
  ex.extraSwitch = true;
  ex.includeSubfolders = false;
  ex.columnEnabled = {false, true, false, true, true, false, true, false, true};
  ex.columnOrder = {9, 1, 8, 2, 7, 3, 6, 4, 5};
  ex.attributeForm = true;
  ex.writeRoot = false;
  ex.writeContent = false;
  ex.outputPath = "not stored.xml";
  ex.exportFrom = ExportFrom::kSearchResults;
  ex.startPosition = 77;
  ex.startPath = "\\not\\stored";
}

class ProgramSettingsTest : public ::testing::Test {
 protected:
  SettingsLocations Locations() const { return {dir_.File("config"), dir_.File("data/volumes")}; }
  std::string ConfigFile() const { return dir_.File("config/configuration.cfg"); }
  ProgramSettings Settings() { return ProgramSettings(fileSystem_, Locations()); }
  // Saves `settings` and returns the file.
  std::string Saved(const ProgramSettings& settings) {
    EXPECT_TRUE(settings.Save());
    return ReadFileBytes(ConfigFile());
  }
  void WriteConfig(const std::string& bytes) {
    ASSERT_TRUE(platform::CreateDirectories(fileSystem_, dir_.File("config")));
    WriteFileBytes(ConfigFile(), bytes);
  }
  // A folder the volume directory can be set to.
  std::string Folder(const std::string& name) {
    EXPECT_TRUE(platform::CreateDirectories(fileSystem_, dir_.File(name)));
    return dir_.File(name);
  }

  TempDir dir_;
  platform::FileSystem& fileSystem_ = platform::FileSystem::Default();
};

TEST_F(ProgramSettingsTest, WithoutAFileTheDefaultsAreSavedInTheFixedLayout) {
  ProgramSettings settings = Settings();
  EXPECT_EQ(settings.Load(), ProgramSettings::LoadResult::kNoFile);
  EXPECT_EQ(settings.VolumeDirectory(), dir_.File("data/volumes"));
  // Reading the settings made nothing.
  EXPECT_TRUE(testing::ListNames(dir_.path()).empty());

  std::string bytes = Saved(settings);
  EXPECT_EQ(FirstDifference(DefaultFile(dir_.File("data/volumes")), bytes), "");
  // The configuration folder was made, and no temporary file is left in it.
  EXPECT_EQ(testing::ListNames(dir_.File("config")), (std::vector<std::string>{"configuration.cfg", "volume-counter"}));
}

TEST_F(ProgramSettingsTest, WithoutAFileTheMainListHidesOnlySizePercentAndCrc32) {
  ProgramSettings settings = Settings();
  settings.Load();
  std::vector<ColumnId> hidden;
  for (const ShownColumn& column : settings.listColumnSets[kViewMain].columns) {
    if (!column.isShown) hidden.push_back(column.columnId);
  }
  EXPECT_EQ(hidden, (std::vector<ColumnId>{ColumnId::kSizePercent, ColumnId::kCrc32}));
  EXPECT_EQ(settings.listColumnSets[kViewMain].columns.size(), 9u);
}

TEST_F(ProgramSettingsTest, EveryStoredFieldRoundTripsAndNothingElse) {
  ProgramSettings original = Settings();
  ChangeEverything(original);
  ASSERT_TRUE(original.SetVolumeDirectory(Folder("my volumes")));
  ASSERT_TRUE(original.Save());

  ProgramSettings loaded = Settings();
  ASSERT_EQ(loaded.Load(), ProgramSettings::LoadResult::kLoaded);
  EXPECT_EQ(loaded.VolumeDirectory(), dir_.File("my volumes"));
  EXPECT_FALSE(loaded.ShowTooltips);
  EXPECT_TRUE(loaded.explorerMode);
  EXPECT_FALSE(loaded.ShowSplash);
  EXPECT_EQ(loaded.listColumnSets, original.listColumnSets);
  EXPECT_EQ(loaded.searchColumnSets, original.searchColumnSets);

  // The options, scanAgain and the volume counter (kept beside the file) come back; the rest of the
  // job keeps its defaults.
  ScanJob expectedJob;
  expectedJob.Options() = original.scanJob.Options();
  expectedJob.scanAgain = false;
  expectedJob.volumeCounter = original.scanJob.volumeCounter;
  EXPECT_EQ(loaded.scanJob, expectedJob);

  const SearchCriteria& search = loaded.searchOptions;
  EXPECT_TRUE(search.caseSensitive);
  EXPECT_TRUE(search.lookInArchives);
  EXPECT_FALSE(search.onlyInArchives);
  EXPECT_FALSE(search.inSubfolders);
  EXPECT_TRUE(search.findFolders);
  EXPECT_TRUE(search.getDescriptions);
  EXPECT_FALSE(search.allVolumes);
  EXPECT_EQ(search.mask, "*.*");

  ExportOptions expectedExport = original.exportOptions;
  expectedExport.outputPath.clear();
  expectedExport.exportFrom = ExportFrom::kFullVolume;
  expectedExport.startPosition = 0;
  expectedExport.startPath.clear();
  EXPECT_EQ(loaded.exportOptions, expectedExport);

  // Saving what was loaded gives the same bytes again.
  std::string first = ReadFileBytes(ConfigFile());
  EXPECT_EQ(FirstDifference(first, Saved(loaded)), "");
}

TEST_F(ProgramSettingsTest, EachStoredSwitchChangesOnlyItsOwnBit) {
  struct Case {
    const char* name;
    std::function<void(ProgramSettings&)> change;
    size_t offset;
    int width;
    uint32_t value;  // the field's value with the change
  };
  const Case cases[] = {
      {"ShowTooltips off", [](auto& s) { s.ShowTooltips = false; }, 512, 4, 0x4},
      {"explorerMode on", [](auto& s) { s.explorerMode = true; }, 512, 4, 0x7},
      {"ShowSplash off", [](auto& s) { s.ShowSplash = false; }, 512, 4, 0x1},
      {"first Thumbnails column hidden", [](auto& s) { s.listColumnSets[kViewThumbnails].columns[0].isShown = false; },
       536, 4, 0x1E},
      {"last search Signatures column hidden",
       [](auto& s) { s.searchColumnSets[kViewSignatures].columns.back().isShown = false; }, 552, 4, 0x19F},
      {"file-type group 13", [](auto& s) { s.scanJob.fileTypeGroup = 13; }, 576, 1, 13},
      {"scanAgain off", [](auto& s) { s.scanJob.scanAgain = false; }, 577, 1, 0},
      {"caseSensitive", [](auto& s) { s.searchOptions.caseSensitive = true; }, 578, 4, 0x9},
      {"lookInArchives", [](auto& s) { s.searchOptions.lookInArchives = true; }, 578, 4, 0xA},
      {"onlyInArchives", [](auto& s) { s.searchOptions.onlyInArchives = true; }, 578, 4, 0xC},
      {"inSubfolders off", [](auto& s) { s.searchOptions.inSubfolders = false; }, 578, 4, 0x0},
      {"findFolders", [](auto& s) { s.searchOptions.findFolders = true; }, 578, 4, 0x18},
      {"getDescriptions", [](auto& s) { s.searchOptions.getDescriptions = true; }, 578, 4, 0x28},
      {"saveVolumeInfo off", [](auto& s) { s.exportOptions.saveVolumeInfo = false; }, 582, 4, 0xFC05C},
      {"saveArchiveContent", [](auto& s) { s.exportOptions.saveArchiveContent = true; }, 582, 4, 0xFC05F},
      {"saveSignatures off", [](auto& s) { s.exportOptions.saveSignatures = false; }, 582, 4, 0xFC059},
      {"saveMedia off", [](auto& s) { s.exportOptions.saveMedia = false; }, 582, 4, 0xFC055},
      {"saveTotals off", [](auto& s) { s.exportOptions.saveTotals = false; }, 582, 4, 0xFC04D},
      {"the switch after saveTotals", [](auto& s) { s.exportOptions.extraSwitch = true; }, 582, 4, 0xFC07D},
      {"includeSubfolders off", [](auto& s) { s.exportOptions.includeSubfolders = false; }, 582, 4, 0xFC01D},
      {"column 1 off", [](auto& s) { s.exportOptions.SetColumnEnabled(1, false); }, 582, 4, 0xF805D},
      {"column 9 on", [](auto& s) { s.exportOptions.SetColumnEnabled(9, true); }, 582, 4, 0x4FC05D},
      {"attributeForm", [](auto& s) { s.exportOptions.attributeForm = true; }, 586, 4, 0xF},
      {"writeRoot off", [](auto& s) { s.exportOptions.writeRoot = false; }, 586, 4, 0xC},
      {"writeVolume off", [](auto& s) { s.exportOptions.writeVolume = false; }, 586, 4, 0xA},
      {"writeContent off", [](auto& s) { s.exportOptions.writeContent = false; }, 586, 4, 0x6},
      {"first column in order is 6", [](auto& s) { s.exportOptions.columnOrder[0] = 6; }, 590, 1, 6},
  };
  const std::string defaults = DefaultFile(dir_.File("data/volumes"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramSettings settings = Settings();
    c.change(settings);
    std::string expected = defaults;
    for (int i = 0; i < c.width; ++i) expected[c.offset + i] = static_cast<char>(c.value >> (8 * i));
    std::string bytes = Saved(settings);
    EXPECT_EQ(FirstDifference(expected, bytes), "");

    ProgramSettings loaded = Settings();
    ASSERT_EQ(loaded.Load(), ProgramSettings::LoadResult::kLoaded);
    EXPECT_EQ(FirstDifference(expected, Saved(loaded)), "");
  }
}

TEST_F(ProgramSettingsTest, AForeignFileLeavesEveryDefault) {
  ProgramSettings changed = Settings();
  ChangeEverything(changed);
  ASSERT_TRUE(changed.SetVolumeDirectory(Folder("elsewhere")));
  std::string valid = Saved(changed);
  std::string wrongLastLetter = valid;
  wrongLastLetter[11] = 'b';  // "QVCT-CONFIGb"
  std::string lowerCase = valid;
  lowerCase.replace(0, 12, "qvct-configa");
  const std::pair<const char*, std::string> cases[] = {
      {"eleven bytes of the magic, then another letter", wrongLastLetter},
      {"the magic in small letters", lowerCase},
      {"an empty file", ""},
      {"a file shorter than the magic", "QVCT-CONF"},
  };
  const std::string defaults = DefaultFile(dir_.File("data/volumes"));
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    WriteConfig(bytes);
    ProgramSettings settings = Settings();
    EXPECT_EQ(settings.Load(), ProgramSettings::LoadResult::kForeign);
    EXPECT_EQ(FirstDifference(defaults, Saved(settings)), "");
  }
}

TEST_F(ProgramSettingsTest, FieldsMissingFromAShortFileReadAsZero) {
  ProgramSettings changed = Settings();
  ChangeEverything(changed);
  ASSERT_TRUE(changed.SetVolumeDirectory(Folder("kept")));
  const std::string full = Saved(changed);
  // Ends after the magic, after the general switches, inside the options summary, before the
  // export column order.
  for (size_t length : {size_t{12}, size_t{516}, size_t{566}, size_t{590}}) {
    SCOPED_TRACE(length);
    WriteConfig(full.substr(0, length));
    ProgramSettings settings = Settings();
    ASSERT_EQ(settings.Load(), ProgramSettings::LoadResult::kLoaded);
    std::string expected = full.substr(0, length) + std::string(kFileSize - length, '\0');
    if (length < 512) {
      // No directory at all: the default one is used, and stored at the next save.
      ByteBuilder directory;
      directory.Padded(dir_.File("data/volumes"), 500);
      expected.replace(12, 500, directory.bytes());
    }
    EXPECT_EQ(FirstDifference(expected, Saved(settings)), "");
  }

  // What zero means: everything off, not the defaults.
  WriteConfig(full.substr(0, 516));
  ProgramSettings settings = Settings();
  settings.Load();
  EXPECT_EQ(settings.VolumeDirectory(), dir_.File("kept"));
  EXPECT_TRUE(settings.explorerMode);
  EXPECT_EQ(settings.listColumnSets[kViewMain].ShownMask(), 0u);
  EXPECT_FALSE(settings.scanJob.includeHiddenSystem);
  EXPECT_FALSE(settings.scanJob.scanSubfolders);
  EXPECT_FALSE(settings.scanJob.scanAgain);
  EXPECT_FALSE(settings.searchOptions.inSubfolders);
  EXPECT_FALSE(settings.exportOptions.saveVolumeInfo);
  EXPECT_FALSE(settings.exportOptions.writeRoot);
  EXPECT_FALSE(settings.exportOptions.IsColumnEnabled(1));
  EXPECT_EQ(settings.exportOptions.columnOrder, (std::array<uint8_t, 9>{}));
}

TEST_F(ProgramSettingsTest, AnUnusableStoredDirectoryFallsBackToTheDefaultOne) {
  WriteFileBytes(dir_.File("a file"), "x");
  Folder("config/relative");
  struct Case {
    std::string stored;
    std::string expected;
  };
  const Case cases[] = {
      {dir_.File("gone"), dir_.File("data/volumes")},
      {dir_.File("a file"), dir_.File("data/volumes")},
      {"", dir_.File("data/volumes")},
      // A relative path counts from the configuration folder.
      {"relative", dir_.File("config/relative")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    std::string bytes = DefaultFile(dir_.File("data/volumes"));
    ByteBuilder directory;
    directory.Padded(c.stored, 500);
    bytes.replace(12, 500, directory.bytes());
    WriteConfig(bytes);
    ProgramSettings settings = Settings();
    ASSERT_EQ(settings.Load(), ProgramSettings::LoadResult::kLoaded);
    EXPECT_EQ(settings.VolumeDirectory(), c.expected);
    // The next save stores the directory in use.
    std::string saved = Saved(settings);
    EXPECT_EQ(std::string(saved.c_str() + 12), c.expected);
  }
  // Loading made no volume directory; entering it does.
  std::filesystem::remove(ConfigFile());
  EXPECT_FALSE(fileSystem_.Status(dir_.File("data/volumes")));
  ProgramSettings settings = Settings();
  settings.Load();
  ASSERT_EQ(settings.VolumeDirectory(), dir_.File("data/volumes"));
  EXPECT_TRUE(settings.EnterVolumeDirectory());
  auto status = fileSystem_.Status(dir_.File("data/volumes"));
  ASSERT_TRUE(status);
  EXPECT_TRUE(status->isDirectory);
}

// A folder whose absolute path is exactly `length` bytes long.
std::string MakeFolderOfLength(platform::FileSystem& fileSystem, std::string path, size_t length) {
  while (length - path.size() - 1 > 200) path += "/" + std::string(200, 'a');
  path += "/" + std::string(length - path.size() - 1, 'b');
  EXPECT_EQ(path.size(), length);
  EXPECT_TRUE(platform::CreateDirectories(fileSystem, path));
  return path;
}

TEST_F(ProgramSettingsTest, SetVolumeDirectoryTakesOnlyUsableFoldersThatFitTheFile) {
  WriteFileBytes(dir_.File("a file"), "x");
  std::string longest = MakeFolderOfLength(fileSystem_, dir_.File("p"), 499);
  std::string tooLong = MakeFolderOfLength(fileSystem_, dir_.File("q"), 500);
  struct Case {
    std::string path;
    bool taken;
    std::string expected;
  };
  const Case cases[] = {
      {Folder("chosen"), true, dir_.File("chosen")},
      {dir_.File("chosen/../chosen/./"), true, dir_.File("chosen")},
      {longest, true, longest},
      {tooLong, false, dir_.File("data/volumes")},
      {dir_.File("missing"), false, dir_.File("data/volumes")},
      {dir_.File("a file"), false, dir_.File("data/volumes")},
      {"", false, dir_.File("data/volumes")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ProgramSettings settings = Settings();
    ASSERT_TRUE(settings.SetVolumeDirectory(Folder("previous")));
    EXPECT_EQ(settings.SetVolumeDirectory(c.path), c.taken);
    EXPECT_EQ(settings.VolumeDirectory(), c.expected);
    ASSERT_TRUE(settings.Save());
    ProgramSettings loaded = Settings();
    loaded.Load();
    EXPECT_EQ(loaded.VolumeDirectory(), c.expected);
  }

  // A relative path counts from the current directory.
  testing::CurrentDirectoryGuard guard(dir_.path());
  ProgramSettings settings = Settings();
  EXPECT_TRUE(settings.SetVolumeDirectory("chosen"));
  EXPECT_EQ(settings.VolumeDirectory(), dir_.File("chosen"));
}

TEST_F(ProgramSettingsTest, AVolumeDirectoryThatVanishesWhileRunningIsKept) {
  ProgramSettings settings = Settings();
  ASSERT_TRUE(settings.SetVolumeDirectory(Folder("usb")));
  EXPECT_TRUE(settings.EnterVolumeDirectory());
  ASSERT_TRUE(std::filesystem::remove(dir_.File("usb")));
  EXPECT_FALSE(settings.EnterVolumeDirectory());
  EXPECT_EQ(settings.VolumeDirectory(), dir_.File("usb"));
}

TEST_F(ProgramSettingsTest, AFailedSaveKeepsTheOldFileAndLeavesNoTemporaryFile) {
  ASSERT_TRUE(Settings().Save());
  const std::string old = ReadFileBytes(ConfigFile());
  struct Case {
    const char* name;
    std::function<void(testing::FaultFileSystem&)> fault;
  };
  const Case cases[] = {
      {"the write fails", [](auto& fs) { fs.failWritesFrom = 1; }},
      {"the disk is full", [](auto& fs) { fs.diskSpace = 100; }},
      {"the sync fails", [](auto& fs) { fs.failSync = true; }},
      {"the rename fails", [](auto& fs) { fs.failRename = true; }},
      {"no temporary file can be made", [](auto& fs) { fs.failCreate = true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::FaultFileSystem faulty;
    c.fault(faulty);
    ProgramSettings settings(faulty, Locations());
    ChangeEverything(settings);
    EXPECT_FALSE(settings.Save());
    EXPECT_EQ(ReadFileBytes(ConfigFile()), old);
    EXPECT_EQ(testing::ListNames(dir_.File("config")), (std::vector<std::string>{"configuration.cfg", "volume-counter"}));
  }
}

TEST_F(ProgramSettingsTest, WithoutAProgramDirectoryNothingIsReadOrWritten) {
  ProgramSettings settings(fileSystem_, {"", dir_.File("volumes")});
  EXPECT_EQ(settings.Load(), ProgramSettings::LoadResult::kNoFile);
  EXPECT_FALSE(settings.Save());
  EXPECT_TRUE(testing::ListNames(dir_.path()).empty());
}

TEST_F(ProgramSettingsTest, ResetColumnsRebuildsOnlyTheSelectedViews) {
  ProgramSettings settings = Settings();
  for (ColumnSet* set : {&settings.listColumnSets[kViewMain], &settings.listColumnSets[kViewAudio],
                         &settings.searchColumnSets[kViewMain]}) {
    set->columns[1].isShown = false;
    set->columns[1].width = 1;
  }
  ProgramSettings untouched = Settings();
  settings.ResetColumns(ListViewBit(kViewMain));
  EXPECT_EQ(settings.listColumnSets[kViewMain], untouched.listColumnSets[kViewMain]);
  EXPECT_NE(settings.listColumnSets[kViewAudio], untouched.listColumnSets[kViewAudio]);
  EXPECT_NE(settings.searchColumnSets[kViewMain], untouched.searchColumnSets[kViewMain]);
  settings.ResetColumns(kAllSearchViews);
  EXPECT_EQ(settings.searchColumnSets, untouched.searchColumnSets);
  EXPECT_NE(settings.listColumnSets[kViewAudio], untouched.listColumnSets[kViewAudio]);
}

}  // namespace
}  // namespace volumist
