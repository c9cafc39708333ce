#include "catalog/volume_names.h"

#include <algorithm>

#include "catalog/volume_format.h"

namespace volumist {

std::string MakeVolumeFileName(std::string_view volumeName, bool addExtension) {
  std::string name(volumeName);
  std::replace_if(
      name.begin(), name.end(),
      [](char c) { return c == '>' || c == '<' || c == '*' || c == ':' || c == '/' || c == '\\' || c == '"' || c == '?'; },
      ' ');
  if (addExtension) name += format::kVolumeExtension;
  return name;
}

std::string DefaultVolumeName(uint32_t counter) { return "Volume" + std::to_string(counter); }

}  // namespace volumist
