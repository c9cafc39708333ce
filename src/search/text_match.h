// Name masks with '*' and '?', and text containment, compared character by character on UTF-8 text:
// '?' stands for one character, and without case sensitivity characters are equal when their simple
// Unicode case foldings are. Bytes that are not UTF-8 compare as themselves.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace volumist {

// A mask prepared once and tested against many names.
class NameMask {
 public:
  NameMask(std::string_view mask, bool caseSensitive);
  // The whole name must match: "*" matches everything, "*.*" needs a dot, "a?c" matches abc only.
  bool Matches(std::string_view name) const;
  // The same for the name `base` + "." + `extension`, without assembling it first.
  bool MatchesParts(std::string_view base, std::string_view extension) const;

 private:
  static constexpr char32_t kAny = 0xFFFFFFFF;     // '*'
  static constexpr char32_t kOne = 0xFFFFFFFE;     // '?'
  bool MatchesCharacters(std::string_view name) const;
  // Folds the ASCII pieces into one name and matches it; nothing when a piece is not ASCII.
  std::optional<bool> MatchesAscii(std::initializer_list<std::string_view> pieces) const;
  bool MatchesAsciiBytes(std::string_view folded) const;

  std::vector<char32_t> mask_;
  bool caseSensitive_;
  bool matchesEverything_;
  // Most masks and names are ASCII: then the mask is matched byte by byte on the name folded into a
  // buffer, and "*text*" is a plain substring search.
  bool asciiMask_ = true;
  std::string asciiMaskBytes_;    // the mask with its literals folded; '*' and '?' as they are
  std::string containsText_;       // for masks of the form "*text*" (text without wildcards)
  bool isContainsMask_ = false;
  bool containsWithoutDot_ = false;  // then found in a name's pieces where they lie, without copying
};

// A text to look for, prepared once.
class TextPattern {
 public:
  TextPattern(std::string_view pattern, bool caseSensitive);
  // True when the pattern occurs in `text` as one run; an empty text contains nothing, an empty
  // pattern is in every other text.
  bool FoundIn(std::string_view text) const;

 private:
  std::string pattern_;             // as given, for the case-sensitive search
  std::vector<char32_t> folded_;    // folded characters, for the other one
  bool caseSensitive_;
};

bool MatchMask(std::string_view mask, std::string_view name, bool caseSensitive);
bool ContainsText(std::string_view text, std::string_view pattern, bool caseSensitive);

}  // namespace volumist
