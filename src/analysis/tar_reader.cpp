#include "analysis/tar_reader.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "analysis/decompressor.h"

namespace volumist {

// Where the headers come from.
class TarSource {
 public:
  virtual ~TarSource() = default;
  // Exactly n bytes, or false at the end of the data.
  virtual bool Read(void* out, size_t n) = 0;
  // Steps over n bytes; false when the data ends first or the scan is being stopped.
  virtual bool Skip(uint64_t n) = 0;
};

namespace {

constexpr size_t kBlock = 512;
// Headers are read through a buffer of this size, so the members of an archive of small files cost
// no system call each.
constexpr size_t kReadBuffer = 256 * 1024;
// GNU long names and pax records longer than this end the listing instead of being read.
constexpr uint64_t kMaxExtendedData = 1 << 20;

struct Field {
  size_t offset;
  size_t width;
};
constexpr Field kName{0, 100};
constexpr Field kSize{124, 12};
constexpr Field kTime{136, 12};
constexpr Field kChecksum{148, 8};
constexpr size_t kTypeFlag = 156;
constexpr Field kMagic{257, 6};
constexpr Field kPrefix{345, 155};
// GNU sparse headers: whether extension blocks follow, and the file's real size; in each extension
// block, whether another one follows.
constexpr size_t kSparseExtended = 482;
constexpr Field kSparseRealSize{483, 12};
constexpr size_t kSparseExtensionExtended = 504;

std::string_view Text(const uint8_t* header, Field field) {
  std::string_view text(reinterpret_cast<const char*>(header) + field.offset, field.width);
  return text.substr(0, text.find('\0'));
}

bool ChecksumMatches(const uint8_t* header) {
  // Summed with the checksum field taken as eight blanks; some old programs summed signed bytes.
  // The whole block is summed in one plain loop (which the compiler turns into vector code: this
  // was a quarter of the time of listing a .tar.gz of small files), then the field is put right.
  // 32-bit sums: 512 bytes sum to at most 130,560 either way.
  int32_t unsignedSum = 0;
  int32_t signedSum = 0;
  for (size_t i = 0; i < kBlock; ++i) {
    unsignedSum += header[i];
    signedSum += static_cast<int8_t>(header[i]);
  }
  for (size_t i = kChecksum.offset; i < kChecksum.offset + kChecksum.width; ++i) {
    unsignedSum += ' ' - header[i];
    signedSum += ' ' - static_cast<int8_t>(header[i]);
  }
  uint64_t stored = ParseTarNumber(header + kChecksum.offset, kChecksum.width);
  return stored == static_cast<uint64_t>(unsignedSum) || static_cast<int64_t>(stored) == int64_t{signedSum};
}

bool IsZeroBlock(const uint8_t* header) {
  return std::all_of(header, header + kBlock, [](uint8_t b) { return b == 0; });
}

// What GNU long-name and pax headers say of the member that follows them.
struct NextMember {
  std::string name;
  bool hasName = false;
  std::string sparseName;  // GNU.sparse.name: the real name of a pax sparse member
  bool hasSparseName = false;
  uint64_t size = 0;
  bool hasSize = false;
  uint64_t realSize = 0;  // GNU.sparse.realsize or GNU.sparse.size: a sparse member's real size
  bool hasRealSize = false;
  int64_t time = 0;
  bool hasTime = false;
};

std::optional<uint64_t> DecimalNumber(std::string_view text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || number > (std::numeric_limits<uint64_t>::max() - 9) / 10) return std::nullopt;
    number = number * 10 + static_cast<uint64_t>(c - '0');
  }
  return number;
}

// A pax time: an optional sign, seconds, an optional fraction. Whole seconds, rounded down (so -1.5
// is -2); times beyond the 64-bit range saturate.
std::optional<int64_t> PaxTime(std::string_view text) {
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  size_t dot = text.find('.');
  std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  std::string_view whole = text.substr(0, dot);
  if (whole.empty() || !std::all_of(whole.begin(), whole.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
      !std::all_of(fraction.begin(), fraction.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  std::optional<uint64_t> seconds = DecimalNumber(whole);
  constexpr uint64_t kLimit = uint64_t{std::numeric_limits<int64_t>::max()};
  uint64_t magnitude = std::min(seconds.value_or(kLimit), kLimit);
  bool fractional = fraction.find_first_not_of('0') != std::string_view::npos;
  if (!negative) return static_cast<int64_t>(magnitude);
  return -static_cast<int64_t>(magnitude) - (fractional && magnitude < kLimit ? 1 : 0);
}

// Pax records: "LENGTH KEY=VALUE\n", LENGTH counting the whole record.
void ReadPaxRecords(std::string_view data, NextMember& next) {
  while (!data.empty()) {
    size_t space = data.find(' ');
    if (space == std::string_view::npos || space == 0 || space > 20) return;
    std::optional<uint64_t> length = DecimalNumber(data.substr(0, space));
    if (!length || *length <= space + 1 || *length > data.size()) return;
    std::string_view record = data.substr(space + 1, static_cast<size_t>(*length) - space - 1);
    if (!record.empty() && record.back() == '\n') record.remove_suffix(1);
    size_t equals = record.find('=');
    if (equals != std::string_view::npos) {
      std::string_view key = record.substr(0, equals);
      std::string_view value = record.substr(equals + 1);
      if (key == "path") {
        next.name = std::string(value);
        next.hasName = true;
      } else if (key == "GNU.sparse.name") {
        next.sparseName = std::string(value);
        next.hasSparseName = true;
      } else if (key == "size") {
        if (std::optional<uint64_t> size = DecimalNumber(value)) next.size = *size, next.hasSize = true;
      } else if (key == "GNU.sparse.realsize" || key == "GNU.sparse.size") {
        if (std::optional<uint64_t> size = DecimalNumber(value)) next.realSize = *size, next.hasRealSize = true;
      } else if (key == "mtime") {
        if (std::optional<int64_t> time = PaxTime(value)) next.time = *time, next.hasTime = true;
      }
    }
    data.remove_prefix(static_cast<size_t>(*length));
  }
}

uint64_t RoundUpToBlock(uint64_t size) {
  return size > std::numeric_limits<uint64_t>::max() - (kBlock - 1) ? std::numeric_limits<uint64_t>::max()
                                                                     : (size + kBlock - 1) / kBlock * kBlock;
}

// Catalog times are stored in 32 bits.
int64_t CatalogRange(int64_t time) {
  return std::clamp<int64_t>(time, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
}

// Member type flags that the listing knows. NUL is the regular file of v7 and early ustar
// archives; "7" a contiguous file; "S" a GNU sparse file.
bool IsMemberType(uint8_t type) { return (type >= '0' && type <= '7') || type == 'S'; }

// The types whose size counts data blocks after the header: links, devices, FIFOs and folders
// have none, whatever their size field says.
bool HasData(uint8_t type) {
  return type == '0' || type == '7' || type == 'S' || type == 'L' || type == 'K' || type == 'x' || type == 'g';
}

// A plain TAR file: data is stepped over by seeking.
class FileSource final : public TarSource {
 public:
  explicit FileSource(platform::BufferedReader& in) : in_(in) {}
  bool Read(void* out, size_t n) override { return !ended_ && in_.Read(out, n); }
  bool Skip(uint64_t n) override {
    if (ended_ || n > in_.Remaining()) {
      ended_ = true;
      return false;
    }
    in_.Seek(in_.Position() + n);
    return true;
  }

 private:
  platform::BufferedReader& in_;
  bool ended_ = false;
};

// A compressed TAR: the stream is decompressed as it is read, data included, into one buffer.
class StreamSource final : public TarSource {
 public:
  StreamSource(Decompressor& stream, const std::function<bool()>& stopRequested)
      : stream_(stream), stopRequested_(stopRequested), buffer_(kStreamBuffer) {}

  bool Read(void* out, size_t n) override {
    auto* to = static_cast<uint8_t*>(out);
    while (n > 0) {
      if (next_ == length_ && !Refill()) return false;
      size_t chunk = std::min(n, length_ - next_);
      std::memcpy(to, buffer_.data() + next_, chunk);
      next_ += chunk, to += chunk, n -= chunk;
    }
    return true;
  }
  bool Skip(uint64_t n) override {
    while (n > 0) {
      if (next_ == length_ && !Refill()) return false;
      size_t chunk = static_cast<size_t>(std::min<uint64_t>(n, length_ - next_));
      next_ += chunk, n -= chunk;
    }
    return true;
  }

 private:
  // Inflating the data of a large member takes a while: the stop flag is asked for every buffer.
  // The buffer is large because zlib copies up to 32 KiB of each call's output into its window.
  bool Refill() {
    if (stopRequested_()) return false;
    std::optional<size_t> got = stream_.Read(buffer_);
    next_ = 0;
    length_ = got.value_or(0);
    return length_ > 0;
  }

  static constexpr size_t kStreamBuffer = 1024 * 1024;
  Decompressor& stream_;
  const std::function<bool()>& stopRequested_;
  std::vector<uint8_t> buffer_;
  size_t next_ = 0;
  size_t length_ = 0;
};

}  // namespace

uint64_t ParseTarNumber(const uint8_t* field, size_t width) {
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  uint64_t value = 0;
  if (width > 0 && (field[0] & 0x80)) {
    for (size_t i = 0; i < width; ++i) {
      uint8_t byte = i == 0 ? (field[0] & 0x7F) : field[i];
      if (value > (kMax >> 8)) return kMax;
      value = value << 8 | byte;
    }
    return value;
  }
  size_t i = 0;
  while (i < width && field[i] == ' ') ++i;
  for (; i < width && field[i] >= '0' && field[i] <= '7'; ++i) {
    if (value > (kMax >> 3)) return kMax;
    value = value << 3 | static_cast<uint64_t>(field[i] - '0');
  }
  return value;
}

int64_t ParseTarTime(const uint8_t* field, size_t width) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  // Base-256 with the sign bit (0x40 of the first byte) set: a negative two's complement number.
  if (width > 0 && (field[0] & 0xC0) == 0xC0) {
    // Every byte above the last eight must only extend the sign, or the value is below int64.
    for (size_t i = 0; i + 8 < width; ++i) {
      if ((i == 0 ? (field[0] | 0x80) : field[i]) != 0xFF) return kMin;
    }
    uint64_t bits = 0;
    size_t first = width > 8 ? width - 8 : 0;
    for (size_t i = first; i < width; ++i) bits = bits << 8 | (i == 0 ? (field[0] | 0x80) : field[i]);
    if (width < 8) bits |= ~uint64_t{0} << (8 * width);  // sign-extend a short field
    auto value = static_cast<int64_t>(bits);
    return value < 0 ? value : kMin;
  }
  uint64_t value = ParseTarNumber(field, width);
  return value > uint64_t{kMax} ? kMax : static_cast<int64_t>(value);
}

TarReader::TarReader(ArchiveKind kind, platform::File& file, const ScanOptions& options)
    : ArchiveReader(kind, '/', file, options, kReadBuffer) {}

bool TarReader::ReadContent() {
  in_.Seek(0);
  std::span<const std::byte> head = in_.Peek(8);
  Compression compression = CompressionOf(head);
  if (compression == Compression::kNone) {
    FileSource source(in_);
    return List(source, false);
  }
  std::unique_ptr<Decompressor> stream = Decompressor::Make(compression, in_);
  if (!stream) return false;
  std::function<bool()> stop = [this] { return StopRequested(); };
  StreamSource source(*stream, stop);
  return List(source, true);
}

bool TarReader::List(TarSource& source, bool compressed) {
  NextMember pending;
  for (bool first = true;; first = false) {
    if (StopRequested()) return !first;
    uint8_t header[kBlock];
    if (!source.Read(header, kBlock)) return !first;
    // The end of the archive; a compressed file that starts with zeros holds no archive at all (a
    // disk image, say), while a plain one named .tar is an empty archive.
    if (IsZeroBlock(header)) return !(first && compressed);
    // A block that is no header: a file that is no TAR at all, or the end of a damaged one.
    if (!ChecksumMatches(header)) return !first;

    uint8_t type = header[kTypeFlag];
    if (type == '\0') type = '0';
    uint64_t size = ParseTarNumber(header + kSize.offset, kSize.width);
    if (IsMemberType(type) && pending.hasSize) size = pending.size;
    uint64_t dataLength = HasData(type) ? RoundUpToBlock(size) : 0;

    if (type == 'L' || type == 'K' || type == 'x') {
      if (size > kMaxExtendedData) break;
      std::string data(static_cast<size_t>(size), '\0');
      if (!source.Read(data.data(), data.size())) break;
      if (type == 'L') {
        // A long name: the stored bytes up to the first NUL.
        pending.name = data.substr(0, data.find('\0'));
        pending.hasName = true;
      } else if (type == 'x') {
        ReadPaxRecords(data, pending);
      }
      // K names the target of the link that follows, which the listing does not keep.
      dataLength -= size;
    } else if (type == 'g') {
      // Global pax records: nothing in them changes the listing.
    } else if (IsMemberType(type)) {
      std::string name;
      if (pending.hasSparseName) {
        name = std::move(pending.sparseName);
      } else if (pending.hasName) {
        name = std::move(pending.name);
      } else {
        name = std::string(Text(header, kName));
        // POSIX ustar keeps the start of long paths in the prefix field; GNU's own format uses
        // those bytes for other things and has no prefix.
        if (std::memcmp(header + kMagic.offset, "ustar\0", 6) == 0) {
          std::string_view prefix = Text(header, kPrefix);
          if (!prefix.empty()) name = std::string(prefix) + "/" + name;
        }
      }
      if (name.empty()) break;
      bool added;
      if (type == '5') {
        added = AddPath(name, true, {});
      } else {
        ArchiveEntry entry;
        entry.size = size;
        if (type == 'S') {
          // GNU sparse: the header gives the real size; extension blocks continue its map of
          // data pieces as long as their last flag says so.
          entry.size = ParseTarNumber(header + kSparseRealSize.offset, kSparseRealSize.width);
          for (bool extended = header[kSparseExtended] != 0; extended;) {
            uint8_t block[kBlock];
            if (StopRequested() || !source.Read(block, kBlock)) return true;
            extended = block[kSparseExtensionExtended] != 0;
          }
        }
        if (pending.hasRealSize) entry.size = pending.realSize;
        int64_t time = pending.hasTime ? pending.time : ParseTarTime(header + kTime.offset, kTime.width);
        entry.time = CatalogRange(time);
        added = AddPath(name, false, entry);
      }
      pending = NextMember{};
      if (!added) break;
    } else {
      break;  // a member kind this reader does not know
    }
    if (dataLength > 0 && !source.Skip(dataLength)) break;
  }
  return true;
}

}  // namespace volumist
