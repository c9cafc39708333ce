#include "cli/json_output.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace volumist::cli {
namespace {

struct TextCase {
  const char* label;
  std::string text;
  std::string written;  // the member's value as stored
  bool escaped;
};

class PutTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(PutTextTest, StoresPlainTextAsItIsAndFlagsEscapedText) {
  const TextCase& c = GetParam();
  Json object = Json::object();
  PutText(object, "name", c.text);
  EXPECT_EQ(object["name"].get<std::string>(), c.written);
  EXPECT_EQ(object.contains("nameEscaped"), c.escaped);
  if (c.escaped) {
    EXPECT_TRUE(object["nameEscaped"].get<bool>());
  }
  // Whatever the bytes, the line parses back to the same value.
  std::ostringstream line;
  WriteJsonLine(line, object);
  EXPECT_EQ(line.str().back(), '\n');
  EXPECT_EQ(line.str().find('\n'), line.str().size() - 1);
  EXPECT_EQ(Json::parse(line.str())["name"], object["name"]);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PutTextTest,
    testing::Values(TextCase{"ascii", "report.txt", "report.txt", false},
                    TextCase{"utf8", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5", false},
                    TextCase{"backslashPlain", "a\\b", "a\\b", false},
                    TextCase{"lineBreaksPlain", "one\r\ntwo\tthree", "one\r\ntwo\tthree", false},
                    TextCase{"latin1", "caf\xE9", "caf\\xe9", true},
                    TextCase{"latin1WithBackslash", "a\\\xE9", "a\\\\\\xe9", true},
                    TextCase{"escapeCharacter", "red\x1B[31m", "red\\x1b[31m", true},
                    TextCase{"nul", std::string("a\0b", 3), "a\\x00b", true},
                    TextCase{"c1Control", "x\xC2\x9By", "x\\xc2\\x9by", true},
                    TextCase{"cutSequence", "abc\xE2\x82", "abc\\xe2\\x82", true},
                    TextCase{"overlongSlash", "\xC0\xAF", "\\xc0\\xaf", true},
                    TextCase{"surrogate", "\xED\xA0\x80", "\\xed\\xa0\\x80", true},
                    TextCase{"slashStaysSlash", "a/b\xFF", "a/b\\xff", true}),
    [](const testing::TestParamInfo<TextCase>& test) { return std::string(test.param.label); });

TEST(JsonOutputTest, DocumentKeepsMemberOrderAndEndsWithALineEnd) {
  Json object = Json::object();
  object["volume"] = "Backup";
  object["files"] = 3;
  object["bytes"] = 18446744073709551615ULL;
  std::ostringstream document;
  WriteJsonDocument(document, object);
  EXPECT_EQ(document.str(), "{\n  \"volume\": \"Backup\",\n  \"files\": 3,\n  \"bytes\": 18446744073709551615\n}\n");
  EXPECT_EQ(Json::parse(document.str())["bytes"].get<unsigned long long>(), 18446744073709551615ULL);
}

// Times as seconds and as ISO 8601 in UTC, across the range a volume can store (32 bits, signed).
TEST(PutTimeTest, SecondsAndIsoTextInUtc) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "1970-01-01T00:00:00Z"},
      {-1, "1969-12-31T23:59:59Z"},
      {951782400, "2000-02-29T00:00:00Z"},  // a leap day of a century year
      {1070633220, "2003-12-05T14:07:00Z"},
      {2147483647, "2038-01-19T03:14:07Z"},
      {-2147483648LL, "1901-12-13T20:45:52Z"},
      {4102444799, "2099-12-31T23:59:59Z"},
  };
  for (const auto& [seconds, text] : cases) {
    SCOPED_TRACE(seconds);
    EXPECT_EQ(IsoTimeText(seconds), text);
    Json object = Json::object();
    PutTime(object, "modified", CatalogTime(seconds));
    EXPECT_EQ(object.dump(), "{\"modified\":" + std::to_string(seconds) + ",\"modifiedIso\":\"" + text + "\"}");
  }
}

}  // namespace
}  // namespace volumist::cli
