// Comparing names without regard to case. Names are UTF-8 but may hold any bytes; letters of the
// Latin (ASCII, Latin-1, Latin Extended-A), Greek and Cyrillic alphabets are folded to small
// letters, everything else compares by its code point, and bytes that are not UTF-8 compare by their
// value after every character.
#pragma once

#include <string_view>

namespace volumist {

// The small letter of a capital letter of the alphabets above; any other code point unchanged.
char32_t FoldCase(char32_t c);

// Negative, 0 or positive as `a` sorts before, equal to or after `b`, comparing folded characters.
int CompareIgnoringCase(std::string_view a, std::string_view b);

}  // namespace volumist
