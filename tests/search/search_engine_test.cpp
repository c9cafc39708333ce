// Searches over volumes written by the tests: every criterion, scopes, archives, maxima, and all
// volumes at once.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "catalog/folder_contents.h"
#include "catalog/messages.h"
#include "search/search_engine.h"
#include "testing/recording_prompter.h"
#include "testing/temp_dir.h"
#include "testing/volume_fixture.h"

namespace volumist {
namespace {

using testing::MemoryNode;
using testing::MemorySource;
using testing::RecordingPrompter;
using testing::TempDir;

constexpr int64_t kDay = 86400;
constexpr int64_t kTime = 1262304000;  // 2010-01-01

MemoryNode Song(const std::string& name, const std::string& title, const std::string& artist, uint16_t bits,
                int32_t vbr = -1) {
  MemoryNode node = MemoryNode::File(name, ".mp3", 4000000, kTime);
  node.hasMediaInfo = true;
  node.mediaInfo.mediaType = kMediaMp3;
  Mp3Info info;
  info.title = title;
  info.artist = artist;
  info.mpegHeaderBits = bits;
  info.vbrBitrate = vbr;
  info.lengthSeconds = 250;
  info.isEmpty = false;
  node.mediaInfo.body = info;
  return node;
}

MemoryNode Signed(MemoryNode node, uint32_t crc) {
  node.hasSignatures = true;
  node.signatures.hasCrc32 = true;
  node.signatures.crc32 = crc;
  return node;
}

// MPEG-1 Layer III: version 3, rate index 0 (44100), bitrate index 9 (128) or 11 (192), layer code 0.
constexpr uint16_t k128 = 3 | (0 << 2) | (9 << 4);
constexpr uint16_t k192 = 3 | (0 << 2) | (11 << 4);

class SearchEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MemorySource first;
    first.children = {
        MemoryNode::Folder("Music", {Song("One", "First Song", "The Band", k128), Song("Two", "Other", "Solo Artist", k192),
                                     Song("Три", "Песня", "\xD0\x93\xD1\x80\xD1\x83\xD0\xBF\xD0\xBF\xD0\xB0", k128, 160)}),
        MemoryNode::Folder("Docs", {MemoryNode::File("readme", ".txt", 1024, kTime - kDay),
                                    MemoryNode::File("notes", ".TXT", 1025, kTime),
                                    MemoryNode::Folder("Old docs", {MemoryNode::File("old", ".txt", 10, kTime - 10 * kDay)}),
                                    Signed(MemoryNode::File("data", ".bin", 2048, kTime + kDay), 0x0A1B2C3D)}),
        MemoryNode::Archive("pack", ".zip", 5000, 1,
                            {MemoryNode::Folder("inner", {MemoryNode::File("readme", ".txt", 1024, kTime)}),
                             MemoryNode::File("top", ".txt", 3, kTime)}),
        MemoryNode::File("README", "", 1024, kTime),
    };
    MemorySource second;
    second.children = {MemoryNode::File("readme", ".txt", 1024, kTime)};
    ScanJob job = testing::MakeJob(dir_.File("a.vkt"), "Alpha", {true, false});
    ASSERT_TRUE(testing::WriteVolume(job, {first, second}, prompter_));
    volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
    ASSERT_TRUE(volume_->OpenVolume(dir_.File("a.vkt")));
  }

  // "folder path|name" of every result of a search of the loaded volume.
  std::vector<std::string> Find(const SearchCriteria& criteria) {
    ResultList results;
    SearchAll(criteria, results, volume_.get(), {}, platform::FileSystem::Default(), prompter_);
    std::vector<std::string> found;
    for (const SearchResult& result : results.Snapshot()) found.push_back(result.FolderPath() + "|" + result.name);
    return found;
  }
  static SearchCriteria Mask(const std::string& mask) {
    SearchCriteria criteria;
    criteria.mask = mask;
    return criteria;
  }

  TempDir dir_;
  RecordingPrompter prompter_;
  std::unique_ptr<VolumeCatalog> volume_;
};

using Found = std::vector<std::string>;

TEST_F(SearchEngineTest, NamesPathsAndArchives) {
  EXPECT_EQ(Find(Mask("readme*")), (Found{"Source0\\Docs\\|readme.txt", "Source0\\|README", "|readme.txt"}));
  // "*.*" takes a file without extension too, and its own name finds it.
  EXPECT_EQ(Find(Mask("*.*")).size(), 10u);
  EXPECT_EQ(Find(Mask("README")), (Found{"Source0\\|README"}));
  EXPECT_EQ(Find(Mask("README.")), (Found{"Source0\\|README"}));
  SearchCriteria archives = Mask("*.txt");
  archives.lookInArchives = true;
  EXPECT_EQ(Find(archives), (Found{"Source0\\Docs\\|readme.txt", "Source0\\Docs\\|notes.TXT",
                                   "Source0\\Docs\\Old docs\\|old.txt", "Source0\\pack.zip/inner\\|readme.txt",
                                   "Source0\\pack.zip/|top.txt", "|readme.txt"}));
  archives.onlyInArchives = true;
  EXPECT_EQ(Find(archives), (Found{"Source0\\pack.zip/inner\\|readme.txt", "Source0\\pack.zip/|top.txt"}));
  // Only in archives has no effect without looking in them.
  SearchCriteria only = Mask("*.txt");
  only.onlyInArchives = true;
  EXPECT_EQ(Find(only).size(), 4u);
  // Archives themselves are found like files.
  EXPECT_EQ(Find(Mask("pack.zip")), (Found{"Source0\\|pack.zip"}));
  SearchCriteria caseSensitive = Mask("*.txt");
  caseSensitive.caseSensitive = true;
  EXPECT_EQ(Find(caseSensitive).size(), 3u);
}

TEST_F(SearchEngineTest, FoldersAndSubfolders) {
  SearchCriteria folders = Mask("*doc*");
  folders.findFolders = true;
  EXPECT_EQ(Find(folders), (Found{"Source0\\|Docs", "Source0\\Docs\\|Old docs"}));
  // Without sub-folders only the top of each source is searched: the contents of a folder source's
  // root folder, the top entries of a drive source.
  SearchCriteria top = Mask("*");
  top.inSubfolders = false;
  top.findFolders = true;
  EXPECT_EQ(Find(top), (Found{"|Source0", "Source0\\|Music", "Source0\\|Docs", "Source0\\|pack.zip",
                              "Source0\\|README", "|readme.txt"}));
  // The sub-folders there are stepped over, also with archives looked into.
  top.findFolders = false;
  top.lookInArchives = true;
  EXPECT_EQ(Find(top), (Found{"Source0\\|pack.zip", "Source0\\pack.zip/|top.txt", "Source0\\|README", "|readme.txt"}));
}

TEST_F(SearchEngineTest, SizeAndTime) {
  struct Case {
    Comparison comparison;
    uint64_t value;
    SizeUnit unit;
    size_t count;
  };
  const Case cases[] = {
      {Comparison::kEqual, 1, SizeUnit::kKilobytes, 3},    // exactly 1024 bytes
      {Comparison::kGreater, 1024, SizeUnit::kBytes, 6},   // 1025, 2048, the three songs and the archive
      {Comparison::kLess, 1024, SizeUnit::kBytes, 1},      // old.txt
      {Comparison::kLessOrEqual, 1024, SizeUnit::kBytes, 4},
      {Comparison::kNotEqual, 1024, SizeUnit::kBytes, 7},
      {Comparison::kGreaterOrEqual, 3, SizeUnit::kMegabytes, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.comparison));
    SearchCriteria criteria = Mask("*");
    criteria.sizeEnabled = true;
    criteria.sizeCompare = c.comparison;
    criteria.sizeValue = c.value;
    criteria.sizeUnit = c.unit;
    EXPECT_EQ(Find(criteria).size(), c.count);
  }
  SearchCriteria time = Mask("*.txt");
  time.fromEnabled = time.toEnabled = true;
  time.fromTime.Set(kTime - kDay);
  time.toTime.Set(kTime - kDay);  // both ends included
  EXPECT_EQ(Find(time), (Found{"Source0\\Docs\\|readme.txt"}));
  time.toTime.Set(kTime);
  EXPECT_EQ(Find(time).size(), 3u);
}

TEST_F(SearchEngineTest, AudioTagsBitratesAndSequencesInNames) {
  SearchCriteria audio = Mask("*");
  audio.audioEnabled = audio.titleEnabled = true;
  audio.titleText = "song";
  EXPECT_EQ(Find(audio), (Found{"Source0\\Music\\|One.mp3"}));
  audio.titleText = "\xD0\xBF\xD0\x95\xD0\xA1\xD0\x9D\xD0\xAF";  // пЕСНЯ
  EXPECT_EQ(Find(audio), (Found{"Source0\\Music\\|\xD0\xA2\xD1\x80\xD0\xB8.mp3"}));
  SearchCriteria bitrate = Mask("*");
  bitrate.audioEnabled = true;
  bitrate.bitrateIndex = 8;  // 128 kbit/s
  bitrate.bitrateCompare = Comparison::kGreater;
  // 192 by its header, and 160 as the average of a variable-bitrate file.
  EXPECT_EQ(Find(bitrate), (Found{"Source0\\Music\\|Two.mp3", "Source0\\Music\\|\xD0\xA2\xD1\x80\xD0\xB8.mp3"}));
  // A file without audio information never matches; its name may, when asked.
  SearchCriteria names = Mask("*");
  names.audioEnabled = names.artistEnabled = true;
  names.artistText = "read";
  EXPECT_TRUE(Find(names).empty());
  names.trySequencesInNames = true;
  EXPECT_EQ(Find(names), (Found{"Source0\\Docs\\|readme.txt", "Source0\\|README", "|readme.txt"}));
  // Folders and archives are never audio results.
  names.findFolders = true;
  EXPECT_EQ(Find(names).size(), 3u);
}

TEST_F(SearchEngineTest, Signatures) {
  SearchCriteria crc = Mask("*");
  crc.signaturesEnabled = crc.crc32Enabled = true;
  crc.crc32Text = "0A1B2C3D";
  EXPECT_EQ(Find(crc), (Found{"Source0\\Docs\\|data.bin"}));
  crc.crc32Text = "0a1b2c3e";
  EXPECT_TRUE(Find(crc).empty());
  SearchCriteria md5 = Mask("*");
  md5.signaturesEnabled = md5.md5Enabled = true;
  md5.md5Text = "00000000000000000000000000000000";  // a missing digest never matches
  EXPECT_TRUE(Find(md5).empty());
}

TEST_F(SearchEngineTest, DescriptionsOnlyWhenRead) {
  // The description of Docs/readme.txt.
  RecordKey key = 0;
  ReadTopLevel(*volume_, [&](const ContentItem& root) {
    if (root.kind != RecordKind::kFolder) return true;
    ReadFolderContents(*volume_, root.folder, [&](const ContentItem& item) {
      if (item.kind == RecordKind::kFolder && item.folder.name.Text() == "Docs") {
        ReadFolderContents(*volume_, item.folder, [&](const ContentItem& file) {
          if (key == 0) key = file.DescriptionKey();
          return true;
        });
      }
      return true;
    });
    return false;
  });
  ASSERT_TRUE(volume_->SetDescription(key, "Read me FIRST"));
  ASSERT_TRUE(volume_->SaveDescriptions());
  SearchCriteria criteria = Mask("*.txt");
  criteria.descriptionEnabled = true;
  criteria.descriptionText = "first";
  EXPECT_EQ(Find(criteria).size(), 4u);  // ignored without reading descriptions
  criteria.getDescriptions = true;
  ResultList results;
  SearchAll(criteria, results, volume_.get(), {}, platform::FileSystem::Default(), prompter_);
  ASSERT_EQ(results.ResultCount(), 1u);
  EXPECT_EQ(results.Snapshot()[0].description, "Read me FIRST");
}

TEST_F(SearchEngineTest, InAFolderAndFindACopy) {
  RecordKey docs = 0;
  ReadTopLevel(*volume_, [&](const ContentItem& root) {
    if (root.kind == RecordKind::kFolder) {
      ReadFolderContents(*volume_, root.folder, [&](const ContentItem& item) {
        if (item.kind == RecordKind::kFolder && item.folder.name.Text() == "Docs") docs = item.folder.selfKey;
        return true;
      });
    }
    return false;
  });
  ASSERT_NE(docs, 0u);
  SearchCriteria scope = Mask("*");
  scope.inFolder = true;
  scope.scopeFolder = docs;
  EXPECT_EQ(Find(scope), (Found{"Source0\\Docs\\|readme.txt", "Source0\\Docs\\|notes.TXT",
                                "Source0\\Docs\\Old docs\\|old.txt", "Source0\\Docs\\|data.bin"}));
  scope.inSubfolders = false;
  EXPECT_EQ(Find(scope).size(), 3u);
  // A copy: the same name and exactly the same size.
  SearchCriteria copy = Mask("readme.txt");
  copy.sizeEnabled = true;
  copy.sizeCompare = Comparison::kEqual;
  copy.sizeValue = 1024;
  copy.lookInArchives = true;
  EXPECT_EQ(Find(copy), (Found{"Source0\\Docs\\|readme.txt", "Source0\\pack.zip/inner\\|readme.txt", "|readme.txt"}));
}

// At the top of a drive source every entry after the first names the source's first key as its
// parent: a search in the second folder must not see the first folder above it.
TEST_F(SearchEngineTest, InATopFolderOfADriveSource) {
  MemorySource drive;
  drive.children = {MemoryNode::Folder("A", {MemoryNode::File("a", ".txt", 1)}),
                    MemoryNode::Folder("B", {MemoryNode::Folder("C", {MemoryNode::File("c", ".txt", 1)})})};
  ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(dir_.File("d.vkt"), "Drive", {false}), {drive}, prompter_));
  volume_ = std::make_unique<VolumeCatalog>(platform::FileSystem::Default(), prompter_);
  ASSERT_TRUE(volume_->OpenVolume(dir_.File("d.vkt")));
  std::map<std::string, RecordKey> keys;
  ReadTopLevel(*volume_, [&](const ContentItem& top) {
    keys[top.folder.name.Text()] = top.key;
    ReadFolderContents(*volume_, top.folder, [&](const ContentItem& item) {
      keys[item.Record().name.Text()] = item.key;
      return true;
    });
    return true;
  });
  SearchCriteria scope = Mask("*.txt");
  scope.inFolder = true;
  scope.scopeFolder = keys.at("B");
  EXPECT_EQ(Find(scope), (Found{"B\\C\\|c.txt"}));
  scope.scopeFolder = keys.at("C");
  EXPECT_EQ(Find(scope), (Found{"B\\C\\|c.txt"}));
}

// A scope folder inside an archive is inside the archive, for "only in archives" too.
TEST_F(SearchEngineTest, InAFolderOfAnArchive) {
  RecordKey inner = 0;
  ReadTopLevel(*volume_, [&](const ContentItem& root) {
    if (root.kind != RecordKind::kFolder) return true;
    ReadFolderContents(*volume_, root.folder, [&](const ContentItem& item) {
      if (item.kind != RecordKind::kArchive) return true;
      ReadFolderContents(*volume_, item.archive, [&](const ContentItem& member) {
        if (member.kind == RecordKind::kFolder) inner = member.key;
        return true;
      });
      return true;
    });
    return false;
  });
  ASSERT_NE(inner, 0u);
  SearchCriteria scope = Mask("*.txt");
  scope.inFolder = true;
  scope.scopeFolder = inner;
  scope.lookInArchives = scope.onlyInArchives = true;
  EXPECT_EQ(Find(scope), (Found{"Source0\\pack.zip/inner\\|readme.txt"}));
}

TEST_F(SearchEngineTest, MaximumAndStop) {
  SearchCriteria criteria = Mask("*");
  criteria.maximum = 2;
  EXPECT_EQ(Find(criteria).size(), 2u);
  criteria.maximum = 1000;
  criteria.RequestStop();
  EXPECT_TRUE(Find(criteria).empty());
}

TEST_F(SearchEngineTest, AllVolumesInListOrderWithAMaximumEach) {
  std::vector<std::string> paths;
  for (int i = 0; i < 7; ++i) {
    MemorySource source;
    for (int j = 0; j < 15; ++j) source.children.push_back(MemoryNode::File("f" + std::to_string(j), ".dat", 1));
    ScanJob job = testing::MakeJob(dir_.File("v" + std::to_string(i) + ".vkt"), "V" + std::to_string(i), {false});
    ASSERT_TRUE(testing::WriteVolume(job, {source}, prompter_));
    paths.push_back(job.volumeFileName);
  }
  paths.insert(paths.begin() + 3, dir_.File("missing.vkt"));
  SearchCriteria criteria = Mask("*.dat");
  criteria.allVolumes = true;
  criteria.maximum = 10;
  for (unsigned threads : {1u, 2u, 4u}) {
    SCOPED_TRACE(threads);
    prompter_.entries.clear();
    ResultList results;
    SearchAll(criteria, results, volume_.get(), paths, platform::FileSystem::Default(), prompter_, threads);
    std::vector<SearchResult> all = results.Snapshot();
    ASSERT_EQ(all.size(), 70u);
    for (size_t i = 0; i < all.size(); ++i) {
      size_t volume = i / 10;
      EXPECT_EQ(all[i].VolumeName(), "V" + std::to_string(volume));
      EXPECT_EQ(all[i].VolumeIndex(), static_cast<int>(volume < 3 ? volume : volume + 1));
      EXPECT_EQ(all[i].name, "f" + std::to_string(i % 10) + ".dat");
    }
    // The message names the file it is about.
    EXPECT_EQ(prompter_.Errors(),
              std::vector<std::string>{std::string(messages::kCouldNotOpenForRead) + " (" + dir_.File("missing.vkt") + ")"});
  }
}

// Every result names the folder or archive that lists it, as the browsing of the volume lists it: the
// key a window opens to show the result among its neighbours.
TEST_F(SearchEngineTest, ResultsNameTheContainerThatListsThem) {
  // Each item's container, from listing the volume the way the browsing does.
  std::map<RecordKey, RecordKey> containerOf;
  std::function<void(const NestingFields&, RecordKey)> list = [&](const NestingFields& container, RecordKey key) {
    ReadFolderContents(*volume_, container, [&](const ContentItem& item) {
      containerOf[item.key] = key;
      if (item.kind == RecordKind::kFolder) list(item.folder, item.key);
      if (item.kind == RecordKind::kArchive) list(item.archive, item.key);
      return true;
    });
  };
  ReadTopLevel(*volume_, [&](const ContentItem& item) {
    containerOf[item.key] = 0;
    if (item.kind == RecordKind::kFolder) list(item.folder, item.key);
    return true;
  });
  SearchCriteria everything = Mask("*");
  everything.findFolders = everything.lookInArchives = true;
  ResultList results;
  SearchAll(everything, results, volume_.get(), {}, platform::FileSystem::Default(), prompter_);
  ASSERT_EQ(results.ResultCount(), containerOf.size());
  for (const SearchResult& result : results.Snapshot()) {
    SCOPED_TRACE(result.FolderPath() + result.name);
    ASSERT_TRUE(containerOf.count(result.key));
    EXPECT_EQ(result.containerKey, containerOf.at(result.key));
  }
  // In a folder: its direct items are listed by the folder itself, also when it is the scope.
  std::optional<ContentItem> docs = testing::FindItem(*volume_, {"Source0", "Docs"});
  ASSERT_TRUE(docs);
  SearchCriteria scope = Mask("*");
  scope.inFolder = true;
  scope.scopeFolder = docs->key;
  scope.findFolders = scope.lookInArchives = true;
  ResultList scoped;
  SearchAll(scope, scoped, volume_.get(), {}, platform::FileSystem::Default(), prompter_);
  // Everything below the folder, as the listing found it.
  size_t below = 0;
  for (const auto& [key, container] : containerOf) {
    for (RecordKey up = container; up != 0; up = containerOf.count(up) ? containerOf.at(up) : 0) {
      if (up == docs->key) {
        ++below;
        break;
      }
    }
  }
  ASSERT_GT(below, 1u);
  ASSERT_EQ(scoped.ResultCount(), below);
  for (const SearchResult& result : scoped.Snapshot()) {
    SCOPED_TRACE(result.name);
    EXPECT_EQ(result.containerKey, containerOf.at(result.key));
  }
}

// The loaded volume searched on another thread: its file opened afresh, and the description edits
// not applied yet read before the stored ones.
TEST_F(SearchEngineTest, LoadedVolumeFileWithPendingDescriptions) {
  std::optional<ContentItem> readme = testing::FindItem(*volume_, {"Source0", "Docs", "readme.txt"});
  std::optional<ContentItem> notes = testing::FindItem(*volume_, {"Source0", "Docs", "notes.TXT"});
  ASSERT_TRUE(readme && notes);
  ASSERT_TRUE(volume_->SetDescription(notes->DescriptionKey(), "stored words"));
  ASSERT_TRUE(volume_->SaveDescriptions());
  // Pending: a new description of readme.txt, and the stored one of notes.TXT removed.
  ASSERT_TRUE(volume_->SetDescription(readme->DescriptionKey(), "pending words"));
  ASSERT_TRUE(volume_->SetDescription(notes->DescriptionKey(), ""));
  const LoadedVolumeFile loaded = LoadedFileOf(*volume_);
  EXPECT_EQ(loaded.path, dir_.File("a.vkt"));
  EXPECT_EQ(loaded.pending.size(), 2u);

  SearchCriteria criteria = Mask("*");
  criteria.getDescriptions = criteria.descriptionEnabled = true;
  auto described = [&](const std::string& text, const std::vector<std::string>& volumes) {
    criteria.descriptionText = text;
    criteria.allVolumes = !volumes.empty();
    ResultList results;
    SearchAll(criteria, results, &loaded, volumes, platform::FileSystem::Default(), prompter_);
    std::vector<std::string> found;
    for (const SearchResult& result : results.Snapshot()) found.push_back(result.name + "=" + *result.description);
    return found;
  };
  EXPECT_EQ(described("WORDS", {}), (Found{"readme.txt=pending words"}));
  // The edits belong to the loaded volume's file, found in the list by its path.
  MemorySource other;
  other.children = {MemoryNode::File("readme", ".txt", 1)};
  ASSERT_TRUE(testing::WriteVolume(testing::MakeJob(dir_.File("b.vkt"), "Beta", {false}), {other}, prompter_));
  EXPECT_EQ(described("words", {dir_.File("b.vkt"), dir_.File("./a.vkt")}), (Found{"readme.txt=pending words"}));
  // The stored texts are what the volume file holds.
  LoadedVolumeFile stored{dir_.File("a.vkt"), {}};
  criteria.descriptionText = "words";
  criteria.allVolumes = false;
  ResultList results;
  SearchAll(criteria, results, &stored, {}, platform::FileSystem::Default(), prompter_);
  ASSERT_EQ(results.ResultCount(), 1u);
  EXPECT_EQ(results.Snapshot()[0].name, "notes.TXT");
  EXPECT_TRUE(prompter_.entries.empty());
  // The window's own handle was never moved: it still reads the volume where it was.
  EXPECT_EQ(volume_->GetDescription(readme->DescriptionKey()), "pending words");
  volume_->DiscardDescriptions();
}

TEST_F(SearchEngineTest, LoadedVolumeFileThatIsGone) {
  LoadedVolumeFile gone{dir_.File("gone.vkt"), {}};
  ResultList results;
  SearchAll(Mask("*"), results, &gone, {}, platform::FileSystem::Default(), prompter_);
  EXPECT_EQ(results.ResultCount(), 0u);
  EXPECT_EQ(prompter_.Errors(),
            std::vector<std::string>{std::string(messages::kCouldNotOpenForRead) + " (" + dir_.File("gone.vkt") + ")"});
}

}  // namespace
}  // namespace volumist
