#include "analysis/archive_reader.h"

#include "analysis/ace_reader.h"
#include "analysis/arj_reader.h"
#include "analysis/cab_reader.h"
#include "analysis/ha_reader.h"
#include "analysis/lzh_reader.h"
#include "analysis/rar_reader.h"
#include "analysis/tar_reader.h"
#include "analysis/zip_reader.h"
#include "analysis/zoo_reader.h"

namespace volumist {

ArchiveReader::ArchiveReader(ArchiveKind kind, char separator, platform::File& file, const ScanOptions& options,
                             size_t bufferSize)
    : in_(file, bufferSize), separator_(separator), kind_(kind), options_(options) {
  // Stepping over an entry's data lands on the next header: read a header's worth there, not a
  // whole buffer, so archives of large files cost little reading.
  in_.SetJumpReadSize(kHeaderReadSize);
}

bool ArchiveReader::AddPath(std::string_view path, bool isFolder, const ArchiveEntry& entry) {
  return tree_.AddPath(path, separator_, isFolder, entry, options_) != ArchiveTree::AddResult::kFull;
}

std::optional<std::string> ArchiveReader::ReadCString() {
  std::string name;
  for (;;) {
    uint8_t byte;
    if (!in_.ReadByte(byte)) return std::nullopt;
    if (byte <= 5) return name;
    if (name.size() == kMaxNameLength) return std::nullopt;
    name += static_cast<char>(byte);
  }
}

std::optional<std::string> ArchiveReader::ReadString(size_t n) {
  std::string text(n, '\0');
  if (!in_.Read(text.data(), n)) return std::nullopt;
  return text;
}

std::unique_ptr<ArchiveReader> MakeArchiveReader(ArchiveKind kind, platform::File& file, const ScanOptions& options) {
  switch (kind) {
    case kArchiveZip:
    case kArchiveJar: return std::make_unique<ZipReader>(kind, file, options);
    case kArchiveRar: return std::make_unique<RarReader>(file, options);
    case kArchiveCab: return std::make_unique<CabReader>(file, options);
    case kArchiveAce: return std::make_unique<AceReader>(file, options);
    case kArchiveArj: return std::make_unique<ArjReader>(file, options);
    case kArchiveLzh: return std::make_unique<LzhReader>(file, options);
    case kArchiveZoo: return std::make_unique<ZooReader>(file, options);
    case kArchiveTar:
    case kArchiveGz: return std::make_unique<TarReader>(kind, file, options);
    case kArchiveHa: return std::make_unique<HaReader>(file, options);
    case kArchiveNone: break;
  }
  return nullptr;
}

}  // namespace volumist
