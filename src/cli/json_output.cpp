#include "cli/json_output.h"

#include <chrono>
#include <cstdio>
#include <ostream>

#include "catalog/utf8.h"

namespace volumist::cli {

bool IsPlainText(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) return false;
      ++i;
      continue;
    }
    const size_t length = Utf8CharacterLength(text.substr(i));
    if (length == 0) return false;
    // The C1 controls (U+0080-U+009F) are two bytes, 0xC2 0x80-0x9F.
    if (length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) return false;
    i += length;
  }
  return true;
}

std::string EscapeText(std::string_view text) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() + 8);
  size_t i = 0;
  auto appendByte = [&out](unsigned char byte) {
    out += "\\x";
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
  };
  while (i < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte == '\\') {
      out += "\\\\";
      ++i;
    } else if (byte < 0x20 || byte == 0x7F) {
      appendByte(byte);
      ++i;
    } else {
      const size_t length = Utf8CharacterLength(text.substr(i));
      const bool c1Control = length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
      if (length == 0 || c1Control) {
        for (const size_t end = i + (length == 0 ? 1 : length); i < end; ++i) appendByte(static_cast<unsigned char>(text[i]));
      } else {
        out.append(text.substr(i, length));
        i += length;
      }
    }
  }
  return out;
}

void PutText(Json& object, const std::string& key, std::string_view text) {
  if (IsPlainText(text)) {
    object[key] = std::string(text);
    return;
  }
  object[key] = EscapeText(text);
  object[key + "Escaped"] = true;
}

std::string IsoTimeText(int64_t seconds) {
  using namespace std::chrono;
  // Floor division, so that times before 1970 fall on the day they belong to.
  int64_t days = seconds / 86400;
  int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const year_month_day date{sys_days{std::chrono::days{days}}};
  const int year = static_cast<int>(date.year());
  char text[48];
  const char* yearFormat = year < 0 ? "-%04d" : year > 9999 ? "+%d" : "%04d";
  int length = std::snprintf(text, sizeof text, yearFormat, year < 0 ? -year : year);
  std::snprintf(text + length, sizeof text - static_cast<size_t>(length), "-%02u-%02uT%02d:%02d:%02dZ",
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), static_cast<int>(rest / 3600),
                static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
  return text;
}

void PutTime(Json& object, const std::string& key, CatalogTime time) { PutTime(object, key, time.Value()); }

void PutTime(Json& object, const std::string& key, int64_t seconds) {
  object[key] = seconds;
  object[key + "Iso"] = IsoTimeText(seconds);
}

void WriteJsonLine(std::ostream& out, const Json& value) {
  out << value.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict) << '\n';
}

void WriteJsonDocument(std::ostream& out, const Json& value) {
  out << value.dump(2, ' ', false, nlohmann::json::error_handler_t::strict) << '\n';
}

}  // namespace volumist::cli
