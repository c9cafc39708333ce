#include "catalog/item_path.h"

#include "catalog/utf8.h"

namespace volumist {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendByte(std::string& out, unsigned char byte) {
  out += "\\x";
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0x0F];
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string EscapeName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  size_t i = 0;
  while (i < name.size()) {
    const unsigned char byte = static_cast<unsigned char>(name[i]);
    if (byte == '\\' || byte == '/') {
      out += '\\';
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    if (byte < 0x20 || byte == 0x7F) {
      AppendByte(out, byte);
      ++i;
      continue;
    }
    size_t length = Utf8CharacterLength(name.substr(i));
    // U+0080 to U+009F are the C1 controls, which some terminals obey as they do ESC.
    bool c1Control = length == 2 && byte == 0xC2 && static_cast<unsigned char>(name[i + 1]) < 0xA0;
    if (length == 0 || c1Control) {
      for (size_t end = i + (length == 0 ? 1 : length); i < end; ++i) AppendByte(out, static_cast<unsigned char>(name[i]));
      continue;
    }
    out.append(name.substr(i, length));
    i += length;
  }
  return out;
}

void AppendName(std::string& path, std::string_view name) {
  if (!path.empty()) path += '/';
  path += EscapeName(name);
}

std::string JoinItemPath(const std::vector<std::string>& names) {
  std::string path;
  for (const std::string& name : names) AppendName(path, name);
  return path;
}

std::optional<std::vector<std::string>> ParseItemPath(std::string_view path, std::string& problem) {
  std::vector<std::string> names;
  std::string name;
  for (size_t i = 0; i < path.size(); ++i) {
    char c = path[i];
    if (c == '/') {
      if (!name.empty()) names.push_back(std::move(name));
      name.clear();
      continue;
    }
    if (c != '\\') {
      name += c;
      continue;
    }
    if (i + 1 == path.size()) {
      problem = "the path ends in a lone \"\\\" (a backslash in a name is written \"\\\\\")";
      return std::nullopt;
    }
    char escaped = path[++i];
    if (escaped == '\\' || escaped == '/') {
      name += escaped;
    } else if (escaped == 'x') {
      if (i + 2 >= path.size() || HexValue(path[i + 1]) < 0 || HexValue(path[i + 2]) < 0) {
        problem = "\"\\x\" needs two hexadecimal digits";
        return std::nullopt;
      }
      name += static_cast<char>(HexValue(path[i + 1]) * 16 + HexValue(path[i + 2]));
      i += 2;
    } else {
      problem = std::string("unknown escape \"\\") + escaped + "\" (names escape \"\\\\\", \"\\/\" and \"\\xHH\")";
      return std::nullopt;
    }
  }
  if (!name.empty()) names.push_back(std::move(name));
  return names;
}

}  // namespace volumist
