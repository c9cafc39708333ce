#include "platform/volume_serial.h"

#include <array>
#include <string>

namespace volumist::platform {
namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool IsHexRun(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsHexDigit(c)) return false;
  }
  return true;
}

// "0123abcd-89ab-cdef-0123-456789abcdef": hex groups of 8, 4, 4, 4 and 12 digits.
bool IsGroupedUuid(std::string_view uuid) {
  constexpr std::array<size_t, 5> kGroups = {8, 4, 4, 4, 12};
  size_t position = 0;
  for (size_t i = 0; i < kGroups.size(); ++i) {
    if (i > 0) {
      if (position >= uuid.size() || uuid[position] != '-') return false;
      ++position;
    }
    std::string_view group = uuid.substr(position, kGroups[i]);
    if (group.size() != kGroups[i] || !IsHexRun(group)) return false;
    position += kGroups[i];
  }
  return position == uuid.size();
}

bool IsFatType(std::string_view type) {
  return type == "vfat" || type == "msdos" || type == "fat" || type == "exfat";
}

bool IsNtfsType(std::string_view type) { return type == "ntfs" || type == "ntfs3"; }

uint32_t NonZero(uint32_t hash) { return hash == 0 ? 1 : hash; }

}  // namespace

uint32_t StableHash32(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (char c : text) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 16777619u;
  }
  return hash;
}

std::optional<uint32_t> ParseHex32(std::string_view digits) {
  if (digits.size() != 8 || !IsHexRun(digits)) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    uint32_t digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    value = value << 4 | digit;
  }
  return value;
}

uint32_t DeriveSerialNumber(std::string_view fileSystemType, std::string_view uuid, std::string_view identity) {
  if (IsFatType(fileSystemType) && uuid.size() == 9 && uuid[4] == '-') {
    std::string digits = std::string(uuid.substr(0, 4)) + std::string(uuid.substr(5));
    if (auto serial = ParseHex32(digits)) return *serial;
  }
  if (IsNtfsType(fileSystemType) && uuid.size() == 16 && IsHexRun(uuid)) return *ParseHex32(uuid.substr(8));
  if (IsGroupedUuid(uuid) || (uuid.size() >= 8 && IsHexRun(uuid))) return *ParseHex32(uuid.substr(0, 8));
  if (!uuid.empty()) return NonZero(StableHash32(uuid));
  if (!identity.empty()) return NonZero(StableHash32(identity));
  return 0;
}

}  // namespace volumist::platform
