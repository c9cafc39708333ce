// Comparing volume names without regard to case, in UTF-8 and with bytes that are not UTF-8.
#include <gtest/gtest.h>

#include "catalog/case_folding.h"

namespace volumist {
namespace {

TEST(CaseFoldingTest, ComparesLettersOfSeveralAlphabetsWithoutCase) {
  struct Case {
    const char* a;
    const char* b;
    int expected;  // sign
  };
  const Case cases[] = {
      {"Backup", "bACKUP", 0},
      {"a", "B", -1},          // case does not put capitals first
      {"Zeta", "alpha", 1},
      {"Ёлка", "ёЛКА", 0},     // Cyrillic with and without diacritics
      {"ДИСК", "диск", 0},
      {"Ärger", "ärger", 0},   // Latin-1
      {"ŁÓDŹ", "łódź", 0},     // Latin Extended-A
      {"ΣΟΦΙΑ", "σοφια", 0},   // Greek
      {"a×b", "a÷b", -1},      // the multiplication sign is no capital letter
      {"abc", "abcd", -1},
      {"", "", 0},
      {"\xFF", "\xFE", 1},     // not UTF-8: by byte value
      {"\xC3", "\xC3\xA4", 1}, // a cut sequence sorts after every character
      {"\xE0\x80\x80", "\xE0", 1}, // an overlong form is three foreign bytes, longer than one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    int order = CompareIgnoringCase(c.a, c.b);
    EXPECT_EQ((order > 0) - (order < 0), c.expected);
    int reverse = CompareIgnoringCase(c.b, c.a);
    EXPECT_EQ((reverse > 0) - (reverse < 0), -c.expected);
  }
}

}  // namespace
}  // namespace volumist
