#include "search/text_match.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    containsWithoutDot_ = containsText_.find('.') == std::string::npos;
  }
}

namespace {

constexpr auto MakeAsciiFold() {
  std::array<char, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return table;
}
// ASCII capitals to small letters; every other byte unchanged.
constexpr std::array<char, 256> kAsciiFold = MakeAsciiFold();

// Room for the longest name a record holds (base, dot, extension), plus the padding that lets
// 16-byte loads run past its end.
constexpr size_t kMaxName = 600;
constexpr size_t kPadding = 32;

#if defined(__SSE2__)
// Folds `length` bytes in place (ASCII capitals to small letters) and tells whether any byte is
// beyond ASCII. The 16 bytes after the name must be readable.
bool FoldAscii(char* text, size_t length, bool fold) {
  const __m128i beforeA = _mm_set1_epi8('A' - 1);
  const __m128i afterZ = _mm_set1_epi8('Z' + 1);
  const __m128i caseBit = _mm_set1_epi8(0x20);
  __m128i high = _mm_setzero_si128();
  for (size_t i = 0; i < length; i += 16) {
    __m128i c = _mm_load_si128(reinterpret_cast<const __m128i*>(text + i));
    high = _mm_or_si128(high, c);
    if (fold) {
      // Bytes beyond ASCII are negative here, so they never count as capitals.
      __m128i capital = _mm_and_si128(_mm_cmpgt_epi8(c, beforeA), _mm_cmplt_epi8(c, afterZ));
      _mm_store_si128(reinterpret_cast<__m128i*>(text + i), _mm_add_epi8(c, _mm_and_si128(capital, caseBit)));
    }
  }
  return _mm_movemask_epi8(high) == 0;
}

// Whether `needle` (not empty) occurs in the first `length` bytes of `text`: candidates are the
// positions where the needle's first and last bytes both fit, 16 at a time; only those are compared.
bool ContainsBytes(const char* text, size_t length, std::string_view needle) {
  const size_t n = needle.size();
  if (n > length) return false;
  const __m128i first = _mm_set1_epi8(needle.front());
  const __m128i last = _mm_set1_epi8(needle.back());
  const size_t starts = length - n + 1;
  for (size_t i = 0; i < starts; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + n - 1));
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    if (starts - i < 16) bits &= (1u << (starts - i)) - 1;
    while (bits != 0) {
      size_t at = i + static_cast<size_t>(__builtin_ctz(bits));
      if (n <= 2 || std::memcmp(text + at + 1, needle.data() + 1, n - 2) == 0) return true;
      bits &= bits - 1;
    }
  }
  return false;
}

// Loads the 16 bytes at `p`, of which those from `end` on are not the text's. They are read in
// place when the load stays on one memory page (so it cannot fault), else the text's bytes are
// copied first; either way the caller masks them out.
__attribute__((no_sanitize_address)) inline __m128i Load16(const char* p, const char* end) {
  if (end - p >= 16 || (reinterpret_cast<uintptr_t>(p) & 4095) <= 4096 - 16) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  }
  alignas(16) char copy[16] = {};
  std::memcpy(copy, p, static_cast<size_t>(end - p));
  return _mm_load_si128(reinterpret_cast<const __m128i*>(copy));
}

inline __m128i FoldCapitals(__m128i c) {
  __m128i capital = _mm_and_si128(_mm_cmpgt_epi8(c, _mm_set1_epi8('A' - 1)), _mm_cmplt_epi8(c, _mm_set1_epi8('Z' + 1)));
  return _mm_add_epi8(c, _mm_and_si128(capital, _mm_set1_epi8(0x20)));
}

inline unsigned FirstBits(size_t count) { return count >= 16 ? 0xFFFFu : (1u << count) - 1; }

// Whether the folded ASCII `needle` occurs in `text`, read where it lies: 1 found, 0 not, -1 when
// the text holds bytes beyond ASCII (which the caller matches character by character).
int FindAscii(std::string_view text, std::string_view needle, bool fold) {
  const size_t n = needle.size();
  const size_t length = text.size();
  // Every character takes at least one byte, and the needle's are one byte each.
  if (n > length) return 0;
  const char* begin = text.data();
  const char* end = begin + length;
  const size_t starts = length - n + 1;
  // The loads below see every byte of the text when the needle is at most 17 bytes long.
  unsigned beyondAscii = 0;
  if (n > 17) {
    for (size_t i = 0; i < length; i += 16) beyondAscii |= _mm_movemask_epi8(Load16(begin + i, end)) & FirstBits(length - i);
  }
  const __m128i first = _mm_set1_epi8(needle.front());
  const __m128i last = _mm_set1_epi8(needle.back());
  for (size_t i = 0; i < starts; i += 16) {
    __m128i a = Load16(begin + i, end);
    __m128i b = Load16(begin + i + n - 1, end);
    beyondAscii |= (_mm_movemask_epi8(a) & FirstBits(length - i)) | (_mm_movemask_epi8(b) & FirstBits(length - (i + n - 1)));
    if (fold) {
      a = FoldCapitals(a);
      b = FoldCapitals(b);
    }
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    bits &= FirstBits(starts - i);
    while (bits != 0) {
      const char* at = begin + i + static_cast<size_t>(__builtin_ctz(bits));
      size_t k = 1;
      while (k + 1 < n && (fold ? kAsciiFold[static_cast<unsigned char>(at[k])] : at[k]) == needle[k]) ++k;
      // Found in ASCII bytes: character by character it would be found just the same.
      if (k + 1 >= n) return 1;
      bits &= bits - 1;
    }
  }
  return beyondAscii != 0 ? -1 : 0;
}
#else
bool FoldAscii(char* text, size_t length, bool fold) {
  unsigned char all = 0;
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    all |= c;
    if (fold && c >= 'A' && c <= 'Z') text[i] = static_cast<char>(c + 32);
  }
  return all < 0x80;
}

bool ContainsBytes(const char* text, size_t length, std::string_view needle) {
  return std::string_view(text, length).find(needle) != std::string_view::npos;
}


int FindAscii(std::string_view text, std::string_view needle, bool fold) {
  if (needle.size() > text.size()) return 0;
  std::string folded(text);
  if (!FoldAscii(folded.data(), folded.size(), fold)) return -1;
  return folded.find(needle) != std::string::npos ? 1 : 0;
}
#endif

}  // namespace

std::optional<bool> NameMask::MatchesAscii(std::initializer_list<std::string_view> pieces) const {
  // Gather the pieces into one buffer and fold it; a name with other characters takes the general way.
  alignas(16) char folded[kMaxName + kPadding];
  size_t length = 0;
  for (std::string_view piece : pieces) {
    if (length + piece.size() > kMaxName) return std::nullopt;
    std::memcpy(folded + length, piece.data(), piece.size());
    length += piece.size();
  }
  std::memset(folded + length, 0, kPadding);
  if (!FoldAscii(folded, length, !caseSensitive_)) return std::nullopt;
  if (isContainsMask_) return ContainsBytes(folded, length, containsText_);
  return MatchesAsciiBytes(std::string_view(folded, length));
}

bool NameMask::Matches(std::string_view name) const {
  if (matchesEverything_) return true;
  if (containsWithoutDot_) {
    int found = FindAscii(name, containsText_, !caseSensitive_);
    if (found >= 0) return found == 1;
  } else if (asciiMask_) {
    if (auto matched = MatchesAscii({name})) return *matched;
  }
  return MatchesCharacters(name);
}

bool NameMask::MatchesParts(std::string_view base, std::string_view extension) const {
  if (matchesEverything_) return true;
  if (containsWithoutDot_) {
    // Without a dot the text cannot run across the one between base and extension.
    int inBase = FindAscii(base, containsText_, !caseSensitive_);
    if (inBase == 1) return true;
    int inExtension = extension.size() < containsText_.size() ? 0 : FindAscii(extension, containsText_, !caseSensitive_);
    if (inExtension == 1) return true;
    if (inBase == 0 && inExtension == 0) return false;
  } else if (asciiMask_) {
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
