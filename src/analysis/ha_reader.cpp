#include "analysis/ha_reader.h"

namespace volumist {
namespace {

constexpr uint8_t kDirectoryMethod = 14;  // the low four bits of the type byte
constexpr uint8_t kDosMachine = 1;

}  // namespace

HaReader::HaReader(platform::File& file, const ScanOptions& options)
    : ArchiveReader(kArchiveHa, '\xFF', file, options) {}

bool HaReader::IsValid() {
  uint8_t head[2];
  in_.Seek(0);
  return ReadBytes(head, 2) && head[0] == 'H' && head[1] == 'A';
}

bool HaReader::ReadContent() {
  uint8_t header[4];  // "HA" and the 16-bit entry count
  in_.Seek(0);
  if (!ReadBytes(header, sizeof header) || header[0] != 'H' || header[1] != 'A') return false;
  for (;;) {
    uint8_t fields[17];
    if (!ReadBytes(fields, sizeof fields)) break;
    uint64_t packedSize = GetU32(fields + 1);
    std::optional<std::string> path = ReadCString();
    std::optional<std::string> name = ReadCString();
    uint8_t machineLength;
    if (!path || !name || !ReadBytes(&machineLength, 1)) break;
    std::optional<std::string> machine = ReadString(machineLength);
    if (!machine) break;
    std::string fullName = *path + *name;
    if (fullName.empty() || fullName.size() > kMaxNameLength) break;
    bool added;
    if ((fields[0] & 0x0F) == kDirectoryMethod) {
      added = AddPath(fullName, true, {});
    } else {
      ArchiveEntry entry;
      entry.size = GetU32(fields + 5);
      entry.crc32 = GetU32(fields + 9);
      entry.time = GetU32(fields + 13);
      // The machine-specific data of a DOS packer: its type, then the attribute byte.
      if (machine->size() >= 2 && static_cast<uint8_t>((*machine)[0]) == kDosMachine) {
        entry.SetDosAttributes(static_cast<uint8_t>((*machine)[1]));
      }
      added = AddPath(fullName, false, entry);
    }
    if (!added || !in_.Skip(packedSize)) break;
  }
  return true;
}

}  // namespace volumist
