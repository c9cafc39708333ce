#include "catalog/value_format.h"

#include <charconv>
#include <cstdio>
#include <ctime>

#include "platform/local_time.h"

namespace volumist {
namespace {

// "%.2f" of value followed by unit, with "." as the decimal point in every locale.
std::string FixedTwo(double value, const char* unit) {
  char digits[64];
  auto result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 2);
  return std::string(digits, result.ptr) + unit;
}

std::string Decimal(uint64_t value) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

// Zero-padded to three digits.
std::string Group(uint64_t value) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%03u", static_cast<unsigned>(value));
  return digits;
}

std::string FormatLocal(CatalogTime time, const char* pattern) {
  if (time.Value() < 0 || time.Value() > kLatestShownTime) return {};
  auto local = platform::ToLocalTime(time.Value());
  if (!local) return {};
  char text[128];
  size_t length = std::strftime(text, sizeof text, pattern, &*local);
  return std::string(text, length);
}

std::string Hex(const uint8_t* bytes, size_t n, bool upper) {
  static constexpr char kLower[] = "0123456789abcdef";
  static constexpr char kUpper[] = "0123456789ABCDEF";
  const char* digits = upper ? kUpper : kLower;
  std::string text(2 * n, '0');
  for (size_t i = 0; i < n; ++i) {
    text[2 * i] = digits[bytes[i] >> 4];
    text[2 * i + 1] = digits[bytes[i] & 15];
  }
  return text;
}

}  // namespace

std::string FormatSizeShort(uint64_t size) {
  if (size < 1000) return Decimal(size) + " B";
  if (size < 1000000) return FixedTwo(static_cast<double>(size) / 1024.0, " KB");
  if (size < 1000000000) return FixedTwo(static_cast<double>(size) / 1048576.0, " MB");
  return FixedTwo(static_cast<double>(size) / 1073741824.0, " GB");
}

std::string FormatSizeGrouped(uint64_t size, bool withBytes) {
  std::string text;
  if (size < 1000) {
    text = Decimal(size);
  } else if (size < 1000000) {
    text = Decimal(size / 1000) + " " + Group(size % 1000);
  } else if (size < 1000000000) {
    text = Decimal(size / 1000000) + " " + Group(size / 1000 % 1000) + " " + Group(size % 1000);
  } else {
    text = Decimal(size / 1000000000) + " " + Group(size / 1000000 % 1000) + " " + Group(size / 1000 % 1000) +
           " " + Group(size % 1000);
  }
  if (withBytes) text += " Bytes";
  return text;
}

std::string FormatSizeDecimal(uint64_t size) { return Decimal(size); }

std::string FormatDateTime(CatalogTime time) { return FormatLocal(time, "%d.%m.%Y %H:%M"); }
std::string FormatDate(CatalogTime time) { return FormatLocal(time, "%d.%m.%Y"); }

const std::string& DateTimeTexts::Format(CatalogTime time) {
  const int64_t t = time.Value();
  if (t >= hourStart_ && t < hourEnd_) {
    const int minute = static_cast<int>((t - hourStart_) / 60);
    text_.assign(prefix_);
    text_ += static_cast<char>('0' + minute / 10);
    text_ += static_cast<char>('0' + minute % 10);
    return text_;
  }
  text_ = FormatDateTime(time);
  hourStart_ = hourEnd_ = 0;
  if (text_.empty()) return text_;
  auto local = platform::ToLocalTime(t);
  if (!local) return text_;
  // The hour may be cached when it starts at hh:00:00 and ends at hh:59:59 of the same day.
  const int64_t start = t - local->tm_min * 60 - local->tm_sec;
  const int64_t last = start + 3599;
  if (start < 0 || last > kLatestShownTime) return text_;
  auto first = platform::ToLocalTime(start);
  auto end = platform::ToLocalTime(last);
  if (first && end && first->tm_min == 0 && first->tm_sec == 0 && first->tm_hour == local->tm_hour &&
      first->tm_mday == local->tm_mday && end->tm_min == 59 && end->tm_sec == 59 && end->tm_hour == local->tm_hour &&
      end->tm_mday == local->tm_mday) {
    hourStart_ = start;
    hourEnd_ = start + 3600;
    prefix_ = text_.substr(0, text_.size() - 2);
  }
  return text_;
}

std::string FormatAttributes(const SignatureBlock& block) {
  std::string text = "----";
  if (block.attrReadOnly) text[0] = 'r';
  if (block.attrArchive) text[1] = 'a';
  if (block.attrHidden) text[2] = 'h';
  if (block.attrSystem) text[3] = 's';
  return text;
}

std::string FormatCrc32(const SignatureBlock& block) {
  if (!block.hasCrc32) return {};
  char text[16];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(block.crc32));
  return text;
}

std::string FormatMd4(const SignatureBlock& block) {
  return block.hasMd4 ? Hex(block.md4.data(), block.md4.size(), true) : std::string();
}

std::string FormatMd5(const SignatureBlock& block) {
  return block.hasMd5 ? Hex(block.md5.data(), block.md5.size(), false) : std::string();
}

std::string FormatPlayTime(uint32_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
  return text;
}

std::string FormatSerialNumber(uint32_t serial) {
  char text[24];
  std::snprintf(text, sizeof text, "%X-%X", serial >> 16, serial & 0xFFFF);
  return text;
}

}  // namespace volumist
