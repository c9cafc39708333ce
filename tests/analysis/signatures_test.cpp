// Content digests: MD4, MD5 and CRC-32 against the published test suites and against rhash, the
// eDonkey hash around its part size, the signature block as the options choose it, and links.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <random>
#include <thread>

#include "analysis/ed2k_hash.h"
#include "analysis/ed2k_link.h"
#include "analysis/file_signatures.h"
#include "analysis/md4.h"
#include "analysis/md5.h"
#include "analysis/messages.h"
#include "analysis/signatures.h"
#include "catalog/value_format.h"
#include "testing/fault_file_system.h"
#include "testing/recording_prompter.h"
#include "testing/run_command.h"
#include "testing/temp_dir.h"
#include "analysis/external_tool.h"

namespace volumist {
namespace {

template <typename Digest>
std::string Hex(const Digest& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (uint8_t byte : digest) {
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
  }
  return text;
}

std::string RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 generator(seed);
  std::string bytes(n, '\0');
  for (char& c : bytes) c = static_cast<char>(generator());
  return bytes;
}

bool HaveRhash() { return !testing::FindProgram("rhash").empty(); }

// rhash's value of one printf field for a file.
std::string Rhash(const std::string& format, const std::string& path) {
  testing::CommandResult result = testing::RunCommand(testing::FindProgram("rhash"), {"--printf=" + format, path});
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  return result.out;
}

struct Vector {
  const char* message;
  const char* md4;
  const char* md5;
};

// The test suites of RFC 1320 and RFC 1321 (the same seven messages).
constexpr Vector kRfcVectors[] = {
    {"", "31d6cfe0d16ae931b73c59d7e0c089c0", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "bde52cb31de33e46245e05fbdbd6fb24", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "a448017aaf21d8525fc10ae87aa6729d", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "d9130a8164549fe818874806e1c7014b", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "d79e1c308aa5bbcdeea8ed63df412da9", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "043f8582f241db351ce627e153e7f0e4",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "e33b4ddc9c38f2199c3e7b164fcc0536", "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(DigestTest, RfcTestSuites) {
  for (const Vector& vector : kRfcVectors) {
    SCOPED_TRACE(vector.message);
    std::string_view message = vector.message;
    Md4 md4;
    md4.Update(message.data(), message.size());
    EXPECT_EQ(Hex(md4.Finish()), vector.md4);
    Md5 md5;
    md5.Update(message.data(), message.size());
    EXPECT_EQ(Hex(md5.Finish()), vector.md5);
    // Fed one byte at a time the pending block carries every partial block over.
    Md4 md4Bytes;
    Md5 md5Bytes;
    for (char c : message) {
      md4Bytes.Update(&c, 1);
      md5Bytes.Update(&c, 1);
    }
    EXPECT_EQ(Hex(md4Bytes.Finish()), vector.md4);
    EXPECT_EQ(Hex(md5Bytes.Finish()), vector.md5);
  }
}

TEST(DigestTest, EmptyFileHasThePublishedDigests) {
  testing::TempDir dir;
  testing::WriteFileBytes(dir.File("empty"), "");
  SignatureBlock block;
  ASSERT_EQ(ComputeFileSignatures(dir.File("empty"), {true, true, true}, block), DigestOutcome::kDone);
  EXPECT_EQ(FormatCrc32(block), "00000000");
  EXPECT_EQ(FormatMd4(block), "31D6CFE0D16AE931B73C59D7E0C089C0");
  EXPECT_EQ(FormatMd5(block), "d41d8cd98f00b204e9800998ecf8427e");
}

// Lengths around the 64-byte block, the 56-byte padding limit and the old 2,048-byte buffer, and
// files large enough for the two-thread pass, fed to rhash and to us.
TEST(DigestTest, AgreesWithRhashOnFilesOfManyLengths) {
  if (!HaveRhash()) GTEST_SKIP() << "rhash is not installed (scripts/install-deps.sh)";
  testing::TempDir dir;
  const size_t lengths[] = {0, 1, 55, 56, 63, 64, 65, 119, 120, 2047, 2048, 2049, 262143, 262145, 3 * 1048576 + 17,
                            5 * 1048576};
  uint32_t seed = 1;
  for (size_t length : lengths) {
    SCOPED_TRACE(length);
    std::string path = dir.File("f" + std::to_string(length));
    testing::WriteFileBytes(path, RandomBytes(length, seed++));
    SignatureBlock block;
    ASSERT_EQ(ComputeFileSignatures(path, {true, true, true}, block), DigestOutcome::kDone);
    EXPECT_EQ(FormatCrc32(block) + " " + Hex(block.md4) + " " + FormatMd5(block),
              Rhash("%{crc32} %{ed2k} %{md5}", path));
    // Each digest alone takes the one-thread pass; the values must not change.
    SignatureBlock md5Only;
    ASSERT_EQ(ComputeFileSignatures(path, {false, false, true}, md5Only), DigestOutcome::kDone);
    EXPECT_EQ(md5Only.md5, block.md5);
    EXPECT_FALSE(md5Only.hasCrc32 || md5Only.hasMd4);
  }
}

// Just below and above the part size the hash agrees with rhash.
TEST(DigestTest, EdonkeyHashAgreesWithRhashAroundThePartSize) {
  if (!HaveRhash()) GTEST_SKIP() << "rhash is not installed (scripts/install-deps.sh)";
  testing::TempDir dir;
  std::string bytes = RandomBytes(kEd2kPartSize + 1, 7);
  for (uint64_t length : {kEd2kPartSize - 1, kEd2kPartSize + 1}) {
    SCOPED_TRACE(length);
    std::string path = dir.File("part");
    testing::WriteFileBytes(path, bytes.substr(0, length));
    SignatureBlock block;
    ASSERT_EQ(ComputeFileSignatures(path, {false, true, false}, block), DigestOutcome::kDone);
    EXPECT_EQ(Hex(block.md4), Rhash("%{ed2k}", path));
    // Past one part the hash is no longer the plain MD4 of the content.
    Md4 plain;
    plain.Update(bytes.data(), length);
    EXPECT_EQ(block.md4 == plain.Finish(), length < kEd2kPartSize);
  }
}

// The MD4 of the concatenated digests of the parts, built from MD4 alone.
Md4::Digest HashOfParts(const std::string& bytes) {
  std::string concatenated;
  for (size_t offset = 0; offset < bytes.size(); offset += kEd2kPartSize) {
    Md4 md4;
    md4.Update(bytes.data() + offset, std::min<size_t>(kEd2kPartSize, bytes.size() - offset));
    Md4::Digest digest = md4.Finish();
    concatenated.append(reinterpret_cast<const char*>(digest.data()), digest.size());
  }
  Md4 root;
  root.Update(concatenated.data(), concatenated.size());
  return root.Finish();
}

// At exact multiples of the part size no empty part is appended: one whole part is its plain MD4,
// three whole parts the MD4 of three digests.
TEST(DigestTest, EdonkeyHashOfWholePartsHasNoEmptyPart) {
  testing::TempDir dir;
  std::string bytes = RandomBytes(3 * kEd2kPartSize, 3);
  for (uint64_t length : {kEd2kPartSize, 2 * kEd2kPartSize, 3 * kEd2kPartSize}) {
    SCOPED_TRACE(length);
    std::string content = bytes.substr(0, length);
    testing::WriteFileBytes(dir.File("whole"), content);
    SignatureBlock block;
    ASSERT_EQ(ComputeFileSignatures(dir.File("whole"), {false, true, false}, block), DigestOutcome::kDone);
    if (length == kEd2kPartSize) {
      Md4 plain;
      plain.Update(content.data(), content.size());
      EXPECT_EQ(block.md4, plain.Finish());
    } else {
      EXPECT_EQ(block.md4, HashOfParts(content));
    }
  }
}

TEST(DigestTest, ReadErrorStoresNoDigest) {
  testing::TempDir dir;
  for (size_t length : {size_t{100000}, size_t{6 * 1048576}}) {  // one thread, two threads
    SCOPED_TRACE(length);
    testing::WriteFileBytes(dir.File("f"), RandomBytes(length, 5));
    testing::FaultFileSystem fileSystem;
    fileSystem.failReadsFrom = length / 2;
    SignatureBlock block;
    block.attrHidden = true;
    EXPECT_EQ(ComputeFileSignatures(dir.File("f"), {true, true, true}, block, fileSystem), DigestOutcome::kReadError);
    EXPECT_FALSE(block.hasCrc32 || block.hasMd4 || block.hasMd5);
    EXPECT_TRUE(block.attrHidden);

    // Through the scan's entry point the attributes stay and the digests are left out.
    ScanEntry entry;
    entry.directory = dir.path();
    entry.SetName("f");
    entry.size = length;
    entry.isReadOnly = true;
    ScanOptions options;
    options.computeSignatures = options.signatureCrc32 = options.signatureMd4 = options.signatureMd5 = true;
    SignatureBlock filled = FillSignatureBlock(entry, options, fileSystem);
    EXPECT_EQ(filled.Flags(), SignatureBlock{.attrReadOnly = true}.Flags());
  }
}

TEST(DigestTest, MissingFileFails) {
  SignatureBlock block;
  EXPECT_EQ(ComputeFileSignatures("/nonexistent/file", {true, true, true}, block), DigestOutcome::kCannotOpen);
  EXPECT_EQ(block, SignatureBlock{});
}

void Append(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << bytes;
}

// The digests of `content`, from a file of its own.
SignatureBlock DigestsOf(const testing::TempDir& dir, const std::string& content) {
  testing::WriteFileBytes(dir.File("reference"), content);
  SignatureBlock block;
  EXPECT_EQ(ComputeFileSignatures(dir.File("reference"), {true, true, true}, block), DigestOutcome::kDone);
  return block;
}

// Lengths that take the one-thread and the two-thread pass.
constexpr size_t kGrowLengths[] = {100000, 3 * 1048576 + 5};

// A file that grows by more than a read before every read, as a log or a download may: the digests
// are those of the size it was listed with (or, without one, the size it had when opened), and the
// reading stops there instead of chasing an end that keeps moving.
TEST(DigestTest, AFileGrowingWhileReadIsDigestedToItsListedSize) {
  testing::TempDir dir;
  const std::string growth = RandomBytes(512 * 1024, 12);
  constexpr int kGrowingReads = 100;  // far more than a correct reading makes; keeps a wrong one finite
  for (size_t length : kGrowLengths) {
    const std::string content = RandomBytes(length, 11);
    const SignatureBlock expected = DigestsOf(dir, content);
    for (bool listed : {true, false}) {
      SCOPED_TRACE(std::to_string(length) + (listed ? " listed size" : " size at open"));
      const std::string path = dir.File("growing");
      testing::WriteFileBytes(path, content);
      testing::FaultFileSystem fileSystem;
      fileSystem.beforeRead = [&](int readNumber, uint64_t) {
        if (readNumber <= kGrowingReads) Append(path, growth);
      };
      SignatureBlock block;
      std::optional<uint64_t> size = listed ? std::optional<uint64_t>(length) : std::nullopt;
      EXPECT_EQ(ComputeFileSignatures(path, {true, true, true}, block, fileSystem, nullptr, size),
                DigestOutcome::kDone);
      EXPECT_LT(fileSystem.readCount, kGrowingReads);
      EXPECT_EQ(block, expected);
    }
  }
}

// The same with a real writer appending on another thread all along; it has appended before the
// digests start, so a reading that went on to the end would always see more than the listed size.
TEST(DigestTest, AFileAppendedToByAnotherWriterIsDigestedToItsListedSize) {
  testing::TempDir dir;
  const std::string content = RandomBytes(2 * 1048576 + 3, 13);
  const SignatureBlock expected = DigestsOf(dir, content);
  const std::string path = dir.File("log");
  testing::WriteFileBytes(path, content);
  std::atomic<bool> done = false;
  std::atomic<int> appended = 0;
  std::thread writer([&] {
    const std::string chunk = RandomBytes(64 * 1024, 14);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    for (int i = 0; i < 1024 && !done; ++i) {  // at most 64 MiB
      out << chunk << std::flush;
      ++appended;
    }
  });
  while (appended == 0) std::this_thread::yield();
  SignatureBlock block;
  EXPECT_EQ(ComputeFileSignatures(path, {true, true, true}, block, platform::FileSystem::Default(), nullptr,
                                  content.size()),
            DigestOutcome::kDone);
  done = true;
  writer.join();
  EXPECT_EQ(block, expected);
}

// A file cut short while it is read (before its only read, before the first of several reads, and
// after it) has no digests: those of its first part would be stored as if they were the whole file's.
TEST(DigestTest, AFileThatShrinksWhileReadGetsNoDigests) {
  testing::TempDir dir;
  struct Case {
    size_t length;
    int cutBeforeRead;
  };
  const Case cases[] = {{kGrowLengths[0], 1}, {kGrowLengths[1], 1}, {kGrowLengths[1], 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.length) + " cut before read " + std::to_string(c.cutBeforeRead));
    const std::string path = dir.File("shrinking");
    testing::FaultFileSystem fileSystem;
    fileSystem.beforeRead = [&](int readNumber, uint64_t) {
      if (readNumber == c.cutBeforeRead) {
        ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(c.length / 2)), 0);
      }
    };
    testing::WriteFileBytes(path, RandomBytes(c.length, 15));
    SignatureBlock block;
    block.attrHidden = true;
    EXPECT_EQ(ComputeFileSignatures(path, {true, true, true}, block, fileSystem, nullptr, c.length),
              DigestOutcome::kShorter);
    EXPECT_FALSE(block.hasCrc32 || block.hasMd4 || block.hasMd5);
    EXPECT_TRUE(block.attrHidden);

    // Through the scan's entry point the outcome is told, and the attributes are kept.
    testing::WriteFileBytes(path, RandomBytes(c.length, 15));
    fileSystem.readCount = 0;
    ScanEntry entry;
    entry.directory = dir.path();
    entry.SetName("shrinking");
    entry.size = c.length;
    entry.isReadOnly = true;
    ScanOptions options;
    options.computeSignatures = options.signatureCrc32 = options.signatureMd4 = options.signatureMd5 = true;
    options.saveAttributes = true;
    DigestOutcome digests = DigestOutcome::kDone;
    SignatureBlock filled = FillSignatureBlock(entry, options, fileSystem, nullptr, digests);
    EXPECT_EQ(digests, DigestOutcome::kShorter);
    EXPECT_EQ(filled.Flags(), SignatureBlock{.attrReadOnly = true}.Flags());
  }
}

TEST(FillSignatureBlockTest, OptionsChooseDigestsAndAttributes) {
  testing::TempDir dir;
  testing::WriteFileBytes(dir.File("abc.txt"), "abc");
  ScanEntry entry;
  entry.directory = dir.path();
  entry.SetName("abc.txt");
  entry.size = 3;
  entry.isHidden = entry.isArchive = true;

  struct Case {
    bool compute, crc32, md4, md5, attributes;
    std::string expected;  // crc32/md4/md5/attributes
  };
  const Case cases[] = {
      {false, true, true, true, false, "///"},
      {false, true, true, true, true, "///-ah-"},
      {true, false, false, false, true, "///-ah-"},
      {true, true, false, false, false, "352441c2///"},
      {true, false, true, false, false, "/A448017AAF21D8525FC10AE87AA6729D//"},
      {true, true, true, true, true,
       "352441c2/A448017AAF21D8525FC10AE87AA6729D/900150983cd24fb0d6963f7d28e17f72/-ah-"},
  };
  for (const Case& c : cases) {
    ScanOptions options;
    options.computeSignatures = c.compute;
    options.signatureCrc32 = c.crc32;
    options.signatureMd4 = c.md4;
    options.signatureMd5 = c.md5;
    options.saveAttributes = c.attributes;
    SignatureBlock block = FillSignatureBlock(entry, options);
    std::string attributes = c.attributes ? FormatAttributes(block) : "";
    EXPECT_EQ(FormatCrc32(block) + "/" + FormatMd4(block) + "/" + FormatMd5(block) + "/" + attributes, c.expected);
  }
}

TEST(FillSignatureBlockTest, ArchiveEntriesGiveTheirCrcAndAttributesOnly) {
  ArchiveEntry entry;
  entry.crc32 = 0x0A1B2C3D;
  entry.SetDosAttributes(0x21);  // read-only, archive
  ScanOptions options;
  options.computeSignatures = options.signatureCrc32 = options.signatureMd4 = options.signatureMd5 = true;
  options.saveAttributes = true;
  SignatureBlock block = FillSignatureBlock(entry, options);
  EXPECT_EQ(FormatCrc32(block), "0a1b2c3d");
  EXPECT_FALSE(block.hasMd4 || block.hasMd5);
  EXPECT_EQ(FormatAttributes(block), "ra--");

  options.signatureCrc32 = false;
  EXPECT_FALSE(FillSignatureBlock(entry, options).hasCrc32);
  options.signatureCrc32 = true;
  entry.crc32 = 0;  // the kind stores none
  EXPECT_FALSE(FillSignatureBlock(entry, options).hasCrc32);
  ArchiveEntry noAttributes;  // ARJ, ZOO, TAR store none
  EXPECT_EQ(FormatAttributes(FillSignatureBlock(noAttributes, options)), "----");
}

TEST(Ed2kLinkTest, LinkTextHoldsNameSizeAndUpperCaseHash) {
  SignatureBlock block;
  block.hasMd4 = true;
  for (int i = 0; i < 16; ++i) block.md4[i] = static_cast<uint8_t>(0xA0 + i);
  EXPECT_EQ(BuildEd2kLink("Big Movie.avi", 5'000'000'000ULL, block),
            "ed2k://|file|Big Movie.avi|5000000000|A0A1A2A3A4A5A6A7A8A9AAABACADAEAF|/");
  // Bytes that would cut the link or change when decoded are escaped; UTF-8 stays as it is.
  EXPECT_EQ(BuildEd2kLink("a|b 100%\x01.txt", 0, block),
            "ed2k://|file|a%7Cb 100%25%01.txt|0|A0A1A2A3A4A5A6A7A8A9AAABACADAEAF|/");
  EXPECT_EQ(BuildEd2kLink("\xC3\xBC.mp3", 1, block), "ed2k://|file|\xC3\xBC.mp3|1|A0A1A2A3A4A5A6A7A8A9AAABACADAEAF|/");
}

TEST(Ed2kLinkTest, ItemWithoutHashShowsTheMessage) {
  FileRecord file;
  file.name.Set("song");
  file.extension.Set(".mp3");
  file.size.Set(3);
  testing::RecordingPrompter prompter;
  SignatureBlock crcOnly;
  crcOnly.hasCrc32 = true;
  EXPECT_FALSE(Ed2kLinkOfItem(file, &crcOnly, prompter));
  EXPECT_FALSE(Ed2kLinkOfItem(file, nullptr, prompter));  // a folder
  EXPECT_EQ(prompter.Errors(), (std::vector<std::string>{messages::kNoMd4ForLink, messages::kNoMd4ForLink}));

  testing::RecordingPrompter quiet;
  SignatureBlock withHash;
  withHash.hasMd4 = true;
  EXPECT_EQ(Ed2kLinkOfItem(file, &withHash, quiet), "ed2k://|file|song.mp3|3|00000000000000000000000000000000|/");
  EXPECT_TRUE(quiet.entries.empty());
}

}  // namespace
}  // namespace volumist
