// ExportOptions: what an export writes and how. The main window keeps one record between exports;
// the export dialog edits it. Everything but the output file and the starting point is kept
// between runs in configuration.cfg.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalog/record_key.h"

namespace volumist {

// The columns an export can write for each item, by id.
enum class ExportColumn : uint8_t {
  kType = 1,
  kSize = 2,
  kDateTime = 3,
  kAttributes = 4,
  kDescription = 5,
  kFullPath = 6,
  kLabel = 7,
  kFileSystem = 8,
  kSerial = 9,
};
inline constexpr int kExportColumnCount = 9;
// The columns' names in the export dialog, by id - 1.
inline constexpr std::array<std::string_view, kExportColumnCount> kExportColumnNames = {
    "Type", "Size", "Date/Time", "Attributes", "Description", "Full path", "Label", "File system", "Serial"};

enum class ExportFormat : uint32_t { kXml = 0 };

enum class ExportFrom : uint32_t {
  kFullVolume = 0,
  kCurrentFolder = 1,
  kCurrentFolderAndSubfolders = 2,
  kSearchResults = 3,
};

struct ExportOptions {
  std::string outputPath;
  ExportFormat format = ExportFormat::kXml;
  ExportFrom exportFrom = ExportFrom::kFullVolume;
  bool saveVolumeInfo = true;
  bool saveArchiveContent = false;
  bool saveSignatures = true;
  bool saveMedia = true;
  bool saveTotals = true;
  // A switch stored right after saveTotals that nothing sets; kept so that a stored value survives.
  bool extraSwitch = false;
  bool includeSubfolders = true;
  // Indexed by column id - 1: ids 1 to 6 on, 7 to 9 off.
  std::array<bool, kExportColumnCount> columnEnabled = {true, true, true, true, true, true, false, false, false};
  // Column ids in output order. Entries that name no column (0, or above 9) are skipped by writers.
  std::array<uint8_t, kExportColumnCount> columnOrder = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  RecordKey startPosition = 0;  // 0: the whole volume
  std::string startPath;
  bool attributeForm = false;  // values as attributes rather than as elements
  bool writeRoot = true;
  bool writeVolume = true;
  bool writeContent = true;

  // False for ids outside 1 to 9.
  bool IsColumnEnabled(int id) const { return id >= 1 && id <= kExportColumnCount && columnEnabled[id - 1]; }
  void SetColumnEnabled(int id, bool enabled) {
    if (id >= 1 && id <= kExportColumnCount) columnEnabled[id - 1] = enabled;
  }

  friend bool operator==(const ExportOptions&, const ExportOptions&) = default;
};

}  // namespace volumist
