// File-type groups: the filter that chooses which files a scan records ("Include only:").
#pragma once

#include <cstdint>
#include <string_view>

namespace volumist {

inline constexpr uint32_t kFileTypeGroupCount = 14;

// The entry of a group in the "Include only:" list.
const char* FileTypeGroupName(uint32_t group);

// True when a file with `extension` belongs to `group`. The extension is given with its dot;
// `firstCharacter` is the position of the first character to compare (1, after the dot). Group 0
// takes every file; the other groups compare the first three characters of the extension in lower
// case (an entry shorter than three letters must match the whole extension) and never take a file
// without an extension.
bool MatchesFileTypeGroup(uint32_t group, std::string_view extension, size_t firstCharacter = 1);

}  // namespace volumist
