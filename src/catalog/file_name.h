// How a file's name divides into the base name and the extension that file and archive records
// store apart.
#pragma once

#include <string_view>

namespace volumist {

// The position of the dot that starts the extension of `name`, or npos when it has none. The
// extension starts at the last dot, unless that dot ends the name: "trail." and "dots..." have no
// extension and are stored whole as their base name. Records store the extension without its dot,
// and an empty extension reads back as none, so a final dot split off as an extension would be lost.
inline size_t ExtensionDot(std::string_view name) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return std::string_view::npos;
  return dot;
}

}  // namespace volumist
