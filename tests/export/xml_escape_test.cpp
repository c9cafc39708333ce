// EscapeXml: markup characters, control bytes, UTF-8 characters and bytes that are not UTF-8.
#include <gtest/gtest.h>

#include "export/xml_escape.h"

namespace volumist {
namespace {

TEST(EscapeXmlTest, Table) {
  const struct {
    std::string_view text;
    std::string_view escaped;
  } cases[] = {
      {"", ""},
      {"plain text 123", "plain text 123"},
      {"Tom & Jerry", "Tom &amp; Jerry"},
      {"<a href=\"x\">", "&lt;a href=&quot;x&quot;&gt;"},
      {"it's", "it's"},  // values stand in double quotes
      {"first\r\nsecond\tthird", "first  second third"},
      {std::string_view("a\0b\x1F" "c", 5), "a b c"},
      {"\x7F", "\x7F"},
      // Characters beyond ASCII: references to their code points, at least three digits.
      {"caf\xC3\xA9", "caf&#233;"},
      {"\xC2\x80", "&#128;"},
      {"\xC2\xA0", "&#160;"},
      {"\xE2\x82\xAC", "&#8364;"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "&#26085;&#26412;"},
      {"\xF0\x9F\x98\x80", "&#128512;"},
      // Bytes that are not UTF-8: references to the byte's value.
      {"bad\xE9", "bad&#233;"},
      {"\x80\xFF", "&#128;&#255;"},
      {"\xE2\x82", "&#226;&#130;"},          // a character cut short
      {"\xC0\xAF", "&#192;&#175;"},          // an overlong form
      {"\xED\xA0\x80", "&#237;&#160;&#128;"},  // a surrogate
      {"\xE9&", "&#233;&amp;"},
      // Not allowed in XML even as references.
      {"x\xEF\xBF\xBEy\xEF\xBF\xBF", "x y "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(EscapeXml(c.text), c.escaped);
  }
}

TEST(EscapeXmlTest, AppendsWithoutCutting) {
  std::string out = "start:";
  std::string longText(3000, '&');
  AppendEscapedXml(out, longText);
  EXPECT_EQ(out.size(), 6 + 3000 * 5);
  EXPECT_EQ(out.substr(0, 16), "start:&amp;&amp;");
}

}  // namespace
}  // namespace volumist
