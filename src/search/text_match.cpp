#include "search/text_match.h"

#include <algorithm>
#include <array>
#include <cstring>

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
  for (char32_t c : mask_) {
    if (c == kAny) {
      asciiMaskBytes_ += '*';
    } else if (c == kOne) {
      asciiMaskBytes_ += '?';
    } else if (c < 0x80) {
      asciiMaskBytes_ += static_cast<char>(c);
    } else {
      asciiMask_ = false;
    }
  }
  if (asciiMask_ && mask_.size() >= 3 && mask_.front() == kAny && mask_.back() == kAny &&
      std::none_of(mask_.begin() + 1, mask_.end() - 1, [](char32_t c) { return c == kAny || c == kOne; })) {
    isContainsMask_ = true;
    containsText_ = asciiMaskBytes_.substr(1, asciiMaskBytes_.size() - 2);
  }
}

namespace {

// ASCII capitals to small letters; every other byte unchanged.
constexpr auto MakeAsciiFold() {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return table;
}
constexpr std::array<unsigned char, 256> kAsciiFold = MakeAsciiFold();
constexpr auto MakeAsciiSame() {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c);
  return table;
}
constexpr std::array<unsigned char, 256> kAsciiSame = MakeAsciiSame();

// Whether `needle` (not empty) occurs in `text`; both short, so a plain loop beats a library search.
bool ContainsBytes(std::string_view text, std::string_view needle) {
  if (needle.size() > text.size()) return false;
  const char first = needle[0];
  const size_t last = text.size() - needle.size();
  for (size_t i = 0; i <= last; ++i) {
    if (text[i] == first && std::memcmp(text.data() + i + 1, needle.data() + 1, needle.size() - 1) == 0) return true;
  }
  return false;
}

}  // namespace

std::optional<bool> NameMask::MatchesAscii(std::initializer_list<std::string_view> pieces) const {
  // Fold the pieces into one buffer; a name with other characters takes the general way.
  char folded[600];
  size_t length = 0;
  unsigned char all = 0;
  const unsigned char* fold = caseSensitive_ ? kAsciiSame.data() : kAsciiFold.data();
  for (std::string_view piece : pieces) {
    if (length + piece.size() > sizeof folded) return std::nullopt;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    for (size_t i = 0; i < piece.size(); ++i) {
      all |= bytes[i];
      folded[length + i] = static_cast<char>(fold[bytes[i]]);
    }
    length += piece.size();
  }
  if (all >= 0x80) return std::nullopt;
  std::string_view view(folded, length);
  if (isContainsMask_) return ContainsBytes(view, containsText_);
  return MatchesAsciiBytes(view);
}

bool NameMask::Matches(std::string_view name) const {
  if (matchesEverything_) return true;
  if (asciiMask_) {
    if (auto matched = MatchesAscii({name})) return *matched;
  }
  return MatchesCharacters(name);
}

bool NameMask::MatchesParts(std::string_view base, std::string_view extension) const {
  if (matchesEverything_) return true;
  if (asciiMask_) {
    if (auto matched = MatchesAscii({base, ".", extension})) return *matched;
  }
  std::string name;
  name.reserve(base.size() + 1 + extension.size());
  name.append(base).append(".").append(extension);
  return MatchesCharacters(name);
}

// The same matching as MatchesCharacters, on ASCII bytes already folded.
bool NameMask::MatchesAsciiBytes(std::string_view name) const {
  const std::string& mask = asciiMaskBytes_;
  size_t m = 0;
  size_t n = 0;
  size_t starMask = std::string::npos;
  size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      if (++m == mask.size()) return true;
      starMask = m;
      starName = n;
      continue;
    }
    if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++m;
      ++n;
      continue;
    }
    if (starMask == std::string::npos) return false;
    m = starMask;
    n = ++starName;
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

bool NameMask::MatchesCharacters(std::string_view name) const {
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
