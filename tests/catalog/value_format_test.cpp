// The text forms of sizes, times, attributes, signatures and serial numbers.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

#include "catalog/value_format.h"

namespace volumist {
namespace {

TEST(ValueFormatTest, ShortSizes) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0 B"},
      {999, "999 B"},
      {1000, "0.98 KB"},
      {1536, "1.50 KB"},
      {999999, "976.56 KB"},
      {1000000, "0.95 MB"},
      {1048576, "1.00 MB"},
      {999999999, "953.67 MB"},
      {1000000000, "0.93 GB"},
      {5368709120ull, "5.00 GB"},
  };
  for (const auto& [size, text] : cases) EXPECT_EQ(FormatSizeShort(size), text) << size;
}

TEST(ValueFormatTest, GroupedSizes) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0"},
      {7, "7"},
      {1000, "1 000"},
      {1005, "1 005"},
      {1234567, "1 234 567"},
      {1000000005, "1 000 000 005"},
      {1234567890123ull, "1234 567 890 123"},
  };
  for (const auto& [size, text] : cases) EXPECT_EQ(FormatSizeGrouped(size), text) << size;
  EXPECT_EQ(FormatSizeGrouped(1234567, true), "1 234 567 Bytes");
}

TEST(ValueFormatTest, DecimalSizesKeepEveryDigit) {
  EXPECT_EQ(FormatSizeDecimal(5368709120ull), "5368709120");
  EXPECT_EQ(FormatSizeDecimal(UINT64_MAX), "18446744073709551615");
}

TEST(ValueFormatTest, DatesInLocalTime) {
  // The tests run with TZ=UTC.
  EXPECT_EQ(FormatDateTime(CatalogTime(1070633220)), "05.12.2003 14:07");
  EXPECT_EQ(FormatDate(CatalogTime(1070633220)), "05.12.2003");
  EXPECT_EQ(FormatDateTime(CatalogTime(0)), "01.01.1970 00:00");
  EXPECT_EQ(FormatDateTime(CatalogTime(kLatestShownTime)), "31.12.3000 23:59");
}

// The per-hour cache must give FormatDateTime's text for every time, also across changes of the
// offset: summer time, half-hour changes, offsets of hours and minutes, and offsets with seconds.
TEST(ValueFormatTest, DateTimeTextsAgreeWithFormatDateTimeInEveryZone) {
  struct Zone {
    const char* name;
    int64_t around;  // a time near a change of the offset
  };
  const Zone zones[] = {
      {"UTC", 1070633220},
      {"Europe/Berlin", 1711846800},        // 2024-03-31, summer time starts
      {"Europe/Berlin", 1729990800},        // 2024-10-27, the hour from 2 to 3 comes twice
      {"Australia/Lord_Howe", 1712494800},  // 2024-04-07, the clock goes back half an hour
      {"Asia/Kathmandu", 504901800},        // 1986-01-01, +5:30 becomes +5:45
      {"Africa/Monrovia", 63593070},        // 1972-01-07, -0:44:30 becomes UTC
  };
  const std::string saved = std::getenv("TZ") ? std::getenv("TZ") : "";
  for (const Zone& zone : zones) {
    SCOPED_TRACE(zone.name);
    ASSERT_EQ(setenv("TZ", zone.name, 1), 0);
    tzset();
    DateTimeTexts texts;
    // Steps of 7 minutes and 13 seconds over a day either side, and back again, so that times are
    // met both within a cached hour and after leaving it.
    for (int direction : {1, -1}) {
      for (int64_t step = -200; step <= 200; ++step) {
        CatalogTime time(zone.around + direction * step * 433);
        ASSERT_EQ(texts.Format(time), FormatDateTime(time)) << time.Value();
      }
    }
    EXPECT_EQ(texts.Format(CatalogTime(-1)), "");
    EXPECT_EQ(texts.Format(CatalogTime(kLatestShownTime)), FormatDateTime(CatalogTime(kLatestShownTime)));
    EXPECT_EQ(texts.Format(CatalogTime(kLatestShownTime + 1)), "");
  }
  setenv("TZ", saved.c_str(), 1);
  tzset();
}

TEST(ValueFormatTest, TimesThatCannotBeShownAreEmpty) {
  EXPECT_EQ(FormatDateTime(CatalogTime(-1)), "");
  EXPECT_EQ(FormatDate(CatalogTime(-1)), "");
  EXPECT_EQ(FormatDateTime(CatalogTime(kLatestShownTime + 1)), "");
  EXPECT_EQ(FormatDateTime(CatalogTime(INT64_MAX)), "");
}

TEST(ValueFormatTest, Attributes) {
  SignatureBlock block;
  EXPECT_EQ(FormatAttributes(block), "----");
  block.attrReadOnly = block.attrArchive = true;
  EXPECT_EQ(FormatAttributes(block), "ra--");
  block.attrHidden = block.attrSystem = true;
  EXPECT_EQ(FormatAttributes(block), "rahs");
}

TEST(ValueFormatTest, SignaturesOnlyWhenHeld) {
  SignatureBlock block;
  block.crc32 = 0x0a1b2c3d;
  for (int i = 0; i < 16; ++i) block.md4[i] = block.md5[i] = static_cast<uint8_t>(0xA0 + i);
  EXPECT_EQ(FormatCrc32(block), "");
  EXPECT_EQ(FormatMd4(block), "");
  EXPECT_EQ(FormatMd5(block), "");
  block.hasCrc32 = block.hasMd4 = block.hasMd5 = true;
  EXPECT_EQ(FormatCrc32(block), "0a1b2c3d");
  EXPECT_EQ(FormatMd4(block), "A0A1A2A3A4A5A6A7A8A9AAABACADAEAF");
  EXPECT_EQ(FormatMd5(block), "a0a1a2a3a4a5a6a7a8a9aaabacadaeaf");
  block.crc32 = 0;
  EXPECT_EQ(FormatCrc32(block), "00000000");
}

TEST(ValueFormatTest, PlayTimeAndSerialNumbers) {
  EXPECT_EQ(FormatPlayTime(0), "0:00");
  EXPECT_EQ(FormatPlayTime(187), "3:07");
  EXPECT_EQ(FormatPlayTime(19660), "327:40");
  EXPECT_EQ(FormatSerialNumber(0), "0-0");
  EXPECT_EQ(FormatSerialNumber(0xFFFF0000), "FFFF-0");
  EXPECT_EQ(FormatSerialNumber(0x00120003), "12-3");
  EXPECT_EQ(FormatSerialNumber(0x1A2B3C4D), "1A2B-3C4D");
}

TEST(ValueFormatTest, DecimalPointIgnoresTheLocale) {
  const char* locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"};
  const char* chosen = nullptr;
  for (const char* locale : locales) {
    if (std::setlocale(LC_NUMERIC, locale) != nullptr) {
      chosen = locale;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
  EXPECT_EQ(FormatSizeShort(1536), "1.50 KB");
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
}  // namespace volumist
