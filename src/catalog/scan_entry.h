// ScanEntry: one directory entry as the walk hands it to the volume writer and the analyzers,
// taken from the directory listing without further calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalog/file_name.h"

namespace volumist {

struct ScanEntry {
  std::string baseName;    // the name up to its extension (the whole name when it has none)
  std::string extension;   // from the extension's dot on, dot included; empty when it has none
  std::string directory;   // the directory that holds the entry
  int64_t lastWriteTime = 0;  // seconds since 1970-01-01 UTC
  uint64_t size = 0;
  bool isDirectory = false;
  bool isHidden = false;
  bool isSystem = false;
  bool isArchive = false;
  bool isReadOnly = false;
  bool isLink = false;  // a symbolic link, recorded as itself

  std::string Name() const { return baseName + extension; }
  std::string FullPath() const {
    std::string path = directory;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + baseName + extension;
  }
  // Splits a name at its extension's dot (ExtensionDot): "a.tar.gz" gives "a.tar" and ".gz",
  // "README" gives "README" and "", "trail." gives "trail." and "".
  void SetName(std::string_view name) {
    size_t dot = ExtensionDot(name);
    if (dot == std::string_view::npos) {
      baseName.assign(name);
      extension.clear();
    } else {
      baseName.assign(name.substr(0, dot));
      extension.assign(name.substr(dot));
    }
  }
};

}  // namespace volumist
