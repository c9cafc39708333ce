#include "search/text_match.h"

#include <algorithm>

#include "catalog/case_folding.h"

namespace volumist {
namespace {

inline char32_t Next(std::string_view text, size_t& position, bool caseSensitive) {
  char32_t c = NextCharacter(text, position);
  return caseSensitive ? c : FoldCase(c);
}

std::vector<char32_t> Characters(std::string_view text, bool caseSensitive) {
  std::vector<char32_t> characters;
  for (size_t position = 0; position < text.size();) characters.push_back(Next(text, position, caseSensitive));
  return characters;
}

}  // namespace

NameMask::NameMask(std::string_view mask, bool caseSensitive) : caseSensitive_(caseSensitive) {
  for (size_t position = 0; position < mask.size();) {
    char c = mask[position];
    if (c == '*') {
      // Several stars in a row act as one.
      if (mask_.empty() || mask_.back() != kAny) mask_.push_back(kAny);
      ++position;
    } else if (c == '?') {
      mask_.push_back(kOne);
      ++position;
    } else {
      mask_.push_back(Next(mask, position, caseSensitive));
    }
  }
  matchesEverything_ = mask_.size() == 1 && mask_[0] == kAny;
}

bool NameMask::Matches(std::string_view name) const {
  if (matchesEverything_) return true;
  const size_t size = mask_.size();
  size_t m = 0;
  size_t n = 0;
  size_t starMask = std::string_view::npos;
  size_t starName = 0;
  while (n < name.size()) {
    if (m < size && mask_[m] == kAny) {
      if (++m == size) return true;  // a trailing star takes the rest
      starMask = m;
      starName = n;
      continue;
    }
    if (m < size) {
      size_t after = n;
      char32_t c = Next(name, after, caseSensitive_);
      if (mask_[m] == kOne || mask_[m] == c) {
        ++m;
        n = after;
        continue;
      }
    }
    if (starMask == std::string_view::npos) return false;
    // Let the last star take one more character and try again from there.
    m = starMask;
    NextCharacter(name, starName);
    n = starName;
  }
  while (m < size && mask_[m] == kAny) ++m;
  return m == size;
}

TextPattern::TextPattern(std::string_view pattern, bool caseSensitive)
    : pattern_(pattern), folded_(Characters(pattern, false)), caseSensitive_(caseSensitive) {}

bool TextPattern::FoundIn(std::string_view text) const {
  if (text.empty()) return false;
  if (pattern_.empty()) return true;
  if (caseSensitive_) return text.find(pattern_) != std::string_view::npos;
  // Compare folded characters, restarting at each character of the text.
  for (size_t start = 0; start < text.size();) {
    size_t position = start;
    size_t i = 0;
    while (i < folded_.size() && position < text.size() && Next(text, position, false) == folded_[i]) ++i;
    if (i == folded_.size()) return true;
    NextCharacter(text, start);
  }
  return false;
}

bool MatchMask(std::string_view mask, std::string_view name, bool caseSensitive) {
  return NameMask(mask, caseSensitive).Matches(name);
}

bool ContainsText(std::string_view text, std::string_view pattern, bool caseSensitive) {
  return TextPattern(pattern, caseSensitive).FoundIn(text);
}

}  // namespace volumist
