#include "catalog/file_type_group.h"

#include <array>
#include <cctype>

namespace volumist {
namespace {

struct Group {
  const char* name;
  std::array<const char*, 12> extensions;  // up to 12 entries; unused ones are null
};

constexpr std::array<Group, kFileTypeGroupCount> kGroups = {{
    {"[All files (*.*)]", {}},
    {"- Acrobat Reader files", {"pdf"}},
    {"- CD images", {"iso", "bin", "cue", "nrg", "mds", "ccd", "cdi"}},
    {"- Compressed archives", {"zip", "ace", "rar", "arj", "zoo", "cab", "jar", "lzh", "lha", "lsz", "tar", "ha"}},
    {"- C++ Development", {"c", "h", "cpp", "hpp", "rc", "sln", "obj", "dsq", "rea"}},
    {"- Executable files", {"exe", "com"}},
    {"- Font files", {"ttf", "fnt", "fon"}},
    {"- Graphics files", {"bmp", "jpg", "gif", "pcx", "png", "tif", "wmf"}},
    {"- Hypertext files", {"htm"}},
    {"- MS Office files", {"doc", "xls", "mdb", "ppt"}},
    {"- Music files", {"mp3", "wav", "wma", "ogg", "m3u", "mid"}},
    {"- System files", {"sys", "bat", "dll", "ini", "pif", "exe", "ocx", "nls", "com", "ax"}},
    {"- Text files", {"txt", "nfo", "rtf", "ini", "bat", "cfg", "log"}},
    {"- Video files", {"avi", "mpg", "mpe", "mp2", "vob", "div", "m2v", "mov", "wmv", "asx", "ogm"}},
}};

}  // namespace

const char* FileTypeGroupName(uint32_t group) { return group < kFileTypeGroupCount ? kGroups[group].name : ""; }

bool MatchesFileTypeGroup(uint32_t group, std::string_view extension, size_t firstCharacter) {
  if (group == 0) return true;
  if (group >= kFileTypeGroupCount || extension.empty()) return false;
  // Three characters from the given position; those past the end of the text are NUL.
  char key[3];
  for (size_t i = 0; i < 3; ++i) {
    size_t at = firstCharacter + i;
    key[i] = at < extension.size() ? static_cast<char>(std::tolower(static_cast<unsigned char>(extension[at]))) : '\0';
  }
  for (const char* entry : kGroups[group].extensions) {
    if (entry == nullptr) break;
    std::string_view wanted(entry);
    bool match = true;
    for (size_t i = 0; i < 3 && match; ++i) match = key[i] == (i < wanted.size() ? wanted[i] : '\0');
    if (match) return true;
  }
  return false;
}

}  // namespace volumist
