// Name masks and text containment, as tables.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "catalog/case_folding.h"
#include "search/text_match.h"

namespace volumist {
namespace {

TEST(TextMatchTest, MatchMask) {
  struct Case {
    const char* mask;
    const char* name;
    bool caseSensitive;
    bool matches;
  };
  const Case cases[] = {
      {"*", "anything.at all", false, true},
      {"*", "", false, true},
      {"*.*", "abc", false, false},
      {"*.*", "a.b", false, true},
      {"*.*", "readme.", false, true},  // names read in compact form end with a dot
      {"a?c", "abc", false, true},
      {"a?c", "ac", false, false},
      {"a?c", "abbc", false, false},
      {"abc", "ABC", false, true},
      {"abc", "ABC", true, false},
      {"abc", "abcd", false, false},
      {"*.txt", "READ.ME.TXT", false, true},
      {"*.txt", "read.me.txt.bak", false, false},
      {"*x", "axbx", false, true},
      {"*a*b", "xxaxxb", false, true},
      {"*a*b", "xxaxxbc", false, false},
      {"a*", "a", false, true},
      {"a**b", "ab", false, true},
      {"", "", false, true},
      {"", "a", false, false},
      {"?", "", false, false},
      // Characters, not bytes.
      {"?", "\xC3\xA9", false, true},
      {"??", "\xC3\xA9", false, false},
      {"caf?.doc", "caf\xC3\xA9.doc", true, true},
      // Case folding beyond ASCII: Cyrillic, Greek (final sigma too), Latin-1.
      {"\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2*", "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.doc", false, true},
      {"\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2*", "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.doc", true, false},
      {"\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x99\xCE\x91\xCE\xA3", "\xCF\x83\xCE\xBF\xCF\x86\xCE\xB9\xCE\xB1\xCF\x82", false, true},
      {"\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", false, true},
      {"\xD0\x81*", "\xD1\x91lka", false, true},  // Ё and ё
      // Bytes that are not UTF-8 compare as themselves.
      {"a\xFF", "a\xFF", false, true},
      {"a\xFF", "a\xFE", false, false},
      {"?b", "\xFF" "b", false, true},
      {"*\xC3", "x\xC3", false, true},
      // "*text*" on names beyond ASCII: the Kelvin sign folds to k, é is not e.
      {"*k*", "\xE2\x84\xAA", false, true},
      {"*k*", "\xE2\x84\xAA", true, false},
      {"*e*", "caf\xC3\xA9", false, false},
      {"*doc*", "caf\xC3\xA9.DOC", false, true},
      {"*f\xC3\xA9*", "CAF\xC3\x89.doc", false, true},
      {"*abcdefghijklmnopsrs*", "abcdefghijklmnop\xC5\xBFrs", false, true},  // long s folds to s
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mask) + " / " + c.name + (c.caseSensitive ? " (case)" : ""));
    EXPECT_EQ(MatchMask(c.mask, c.name, c.caseSensitive), c.matches);
  }
}

// "*text*" masks are searched 16 bytes at a time: place the text at every position of names up to
// three blocks long, with near misses (first and last byte right, middle wrong) around it.
TEST(TextMatchTest, SubstringMaskAtEveryPosition) {
  for (std::string needle : {"q", "Qz", "qXz", "quartz"}) {
    std::string lower = needle;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string miss = lower;
    if (miss.size() > 2) miss[1] = '_';
    const std::string mask = "*" + needle + "*";
    const NameMask nameMask(mask, false);
    for (size_t length = 0; length <= 48; ++length) {
      for (size_t at = 0; at + lower.size() <= length + 1; ++at) {
        std::string name(length, 'a');
        if (miss.size() > 2) {
          for (size_t m = 0; m + miss.size() <= length; m += miss.size() + 1) name.replace(m, miss.size(), miss);
        }
        bool placed = at + lower.size() <= length;
        if (placed) name.replace(at, lower.size(), needle);
        SCOPED_TRACE(mask + " in \"" + name + "\"");
        EXPECT_EQ(nameMask.Matches(name), placed);
        // The same name as base + "." + extension, cut inside the text or around it.
        for (size_t cut = 0; cut <= length; cut += 3) {
          std::string joined = name.substr(0, cut) + "." + name.substr(cut);
          std::string folded = joined;
          for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
          EXPECT_EQ(nameMask.MatchesParts(name.substr(0, cut), name.substr(cut)), folded.find(lower) != std::string::npos)
              << "cut at " << cut;
        }
      }
    }
  }
}

TEST(TextMatchTest, ContainsText) {
  struct Case {
    const char* text;
    const char* pattern;
    bool caseSensitive;
    bool contains;
  };
  const Case cases[] = {
      {"", "", false, false},
      {"", "a", false, false},
      {"a", "", false, true},
      {"My SONG title", "song", false, true},
      {"My SONG title", "song", true, false},
      {"My SONG title", "SONG", true, true},
      {"abc", "abcd", false, false},
      {"aab", "ab", false, true},
      {"\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 1980", "\xD0\xBC\xD0\x9E\xD0\xA1", false, true},
      {"Bj\xC3\xB6rk", "\xC3\x96R", false, true},
      {"x\xFFy", "\xFF", false, true},
      {"x\xFEy", "\xFF", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.pattern);
    EXPECT_EQ(ContainsText(c.text, c.pattern, c.caseSensitive), c.contains);
  }
}

TEST(TextMatchTest, CaseFoldingTable) {
  EXPECT_EQ(FoldCase(U'A'), U'a');
  EXPECT_EQ(FoldCase(U'\u00C0'), U'\u00E0');  // À
  EXPECT_EQ(FoldCase(U'\u0178'), U'\u00FF');  // Ÿ
  EXPECT_EQ(FoldCase(U'\u0391'), U'\u03B1');  // Α
  EXPECT_EQ(FoldCase(U'\u03C2'), U'\u03C3');  // ς folds to σ
  EXPECT_EQ(FoldCase(U'\u0401'), U'\u0451');  // Ё
  EXPECT_EQ(FoldCase(U'\u042F'), U'\u044F');  // Я
  EXPECT_EQ(FoldCase(U'\u00DF'), U'\u00DF');  // ß has no one-character folding
  EXPECT_EQ(FoldCase(U'a'), U'a');
  for (size_t i = 1; i < kCaseFoldingTableSize; ++i) ASSERT_LT(kCaseFoldingTable[i - 1].from, kCaseFoldingTable[i].from);
}

}  // namespace
}  // namespace volumist
