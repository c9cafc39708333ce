#include "platform/udev_record.h"

namespace volumist::platform {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of the property `name` ("E:NAME=value"), or nothing.
bool FindProperty(std::string_view text, std::string_view name, std::string_view& value) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.starts_with("E:") && line.substr(2).starts_with(name) && line.size() > 2 + name.size() &&
        line[2 + name.size()] == '=') {
      value = line.substr(3 + name.size());
      return true;
    }
    start = end + 1;
  }
  return false;
}

std::string Property(std::string_view text, std::string_view encodedName, std::string_view plainName) {
  std::string_view value;
  if (FindProperty(text, encodedName, value)) return DecodeUdevText(value);
  if (FindProperty(text, plainName, value)) return std::string(value);
  return {};
}

}  // namespace

std::string DecodeUdevText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      int high = HexValue(text[i + 2]);
      int low = HexValue(text[i + 3]);
      if (high >= 0 && low >= 0) {
        out.push_back(static_cast<char>(high * 16 + low));
        i += 3;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

VolumeIdentity IdentityFromUdevRecord(std::string_view text) {
  VolumeIdentity identity;
  identity.label = Property(text, "ID_FS_LABEL_ENC", "ID_FS_LABEL");
  identity.uuid = Property(text, "ID_FS_UUID_ENC", "ID_FS_UUID");
  identity.type = Property(text, "ID_FS_TYPE", "ID_FS_TYPE");
  return identity;
}

}  // namespace volumist::platform
